#pragma once

#include <cstdint>
#include <limits>

namespace kondensator {

struct DischargeCount {
    enum class Kind {
        fell_below,       // the voltage fell below the final voltage after `count` discharges
        never_falls,      // the voltage repeats while at or above the final voltage
        limit_exceeded,   // `count` discharges were done and the voltage is still too high
    };
    Kind kind;
    std::int32_t count;

    friend bool operator==(const DischargeCount&, const DischargeCount&) = default;
};

inline constexpr std::int32_t kMaxDischarges = std::numeric_limits<std::int32_t>::max();

// Told how far a long run of discharges has come, every few million of them,
// between segments of the loop, so that the loop itself pays nothing for it.
class Progress {
public:
    virtual void discharged(std::int32_t count) = 0;

protected:
    ~Progress() = default;
};

class SampleLog;

// Discharges capacitor 1 into the empty capacitor 2 one discharge at a time
// while its voltage is at or above vend, and says how that ended. At most
// `limit` discharges are carried out; limit must not be negative. Where bounds
// prove that the discharges would reach the limit, it says so at once.
// `progress`, where given, hears how far a long run has come; `log`, where
// given, keeps the voltages of its plan as the count passes them, and where
// a bound gave the answer, the first few and which bound (samples.hpp).
[[nodiscard]] DischargeCount count_discharges(double c1, double c2, double v1, double vend,
                                              std::int32_t limit = kMaxDischarges, Progress* progress = nullptr,
                                              SampleLog* log = nullptr);

}  // namespace kondensator
