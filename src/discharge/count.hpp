#pragma once

#include <cstdint>
#include <limits>

namespace kondensator {

// One discharge: capacitor 1 (c1, v1) is connected to capacitor 2 (c2, v2)
// and keeps the common voltage (c1 * v1 + c2 * v2) / (c1 + c2), computed with
// the wide exponent range of WideFloat, so that a product or sum beyond the
// double range does not overflow as long as the voltage itself fits.
[[nodiscard]] double discharge(double c1, double v1, double c2, double v2) noexcept;

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

// The ways of carrying out the discharges one at a time. All give the same
// bits: the fast loops carry out only discharges they can prove equal to the
// exact step, and leave the others to it.
enum class DischargeKernel {
    exact,  // the wide-exponent step alone
    plain,  // a multiply and a divide on doubles
    fma,    // a multiply and an FMA; runs as `plain` where the processor has no FMA
};

// The kernel count_discharges uses on this processor.
[[nodiscard]] DischargeKernel fastest_discharge_kernel() noexcept;

struct DischargeRun {
    DischargeCount result;
    double voltage;            // the voltage of capacitor 1 after the last discharge
    std::int32_t exact_steps;  // how many of the discharges the exact step had to take
};

// count_discharges without the bounds: every discharge is carried out.
[[nodiscard]] DischargeRun run_discharges(double c1, double c2, double v1, double vend, std::int32_t limit,
                                          DischargeKernel kernel) noexcept;

}  // namespace kondensator
