#pragma once

// The machinery of the count, open to the benchmark and the tests, which
// hold each way of discharging against the exact step. The dialogue needs
// only count_discharges (count.hpp).

#include <cstdint>

#include "discharge/count.hpp"

namespace kondensator {

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
