#pragma once

#include <cstdint>

#include "discharge/discharger.hpp"

namespace kondensator {

// The state of the discharge loop between two discharges.
struct LoopState {
    double v;
    double previous;  // the voltage one discharge back; NaN before the first
    std::int32_t count;
};

// The fast loops. Each carries out discharges for as long as every one of them
// is provably the discharger's exact step, and stops before a discharge that
// is not due (v below vend, or `limit` reached), whose voltage would repeat
// one of the last two, or that it cannot vouch for; the caller then takes one
// exact step. Without the discharger's scaled operands they do nothing.

// Multiplies and divides in plain double arithmetic; runs for voltages of
// either sign, normal or subnormal, whether or not the sign flips at every
// discharge.
[[nodiscard]] LoopState run_plain_discharges(LoopState state, const Discharger& discharger, double vend,
                                             std::int32_t limit) noexcept;

// Replaces the divide by a multiply and an FMA with a prepared reciprocal and
// proves every quotient with a second FMA; runs for voltages of either sign,
// normal or subnormal, whether or not the sign flips at every discharge.
// Only where fma_in_hardware() (platform.hpp).
[[nodiscard]] LoopState run_fma_discharges(LoopState state, const Discharger& discharger, double vend,
                                           std::int32_t limit) noexcept;

}  // namespace kondensator
