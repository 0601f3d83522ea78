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

// Discharges capacitor 1 into the empty capacitor 2 one discharge at a time
// while its voltage is at or above vend, and says how that ended. At most
// `limit` discharges are carried out; limit must not be negative. Where bounds
// prove that the discharges would reach the limit, it says so at once.
[[nodiscard]] DischargeCount count_discharges(double c1, double c2, double v1, double vend,
                                              std::int32_t limit = kMaxDischarges) noexcept;

}  // namespace kondensator
