#pragma once

// The domains of the fast loops: how the magnitudes of one range map onto a
// loop's chain values, and how one discharge goes from a chain value to the
// next. Each is tested on its own against the exact step.

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "discharge/wide_float.hpp"
#include "discharge/window.hpp"
#include "platform.hpp"

namespace kondensator::loops {

// Normal voltages, scaled by 2^K: the scaled chain rounds as the exact step
// does from 2^-960 to the largest double (claim 8 of doc/discharge.md).
struct ScaledDomain {
    int scale;  // K

    // Small voltages run scaled, so that a loop can take them down to the
    // smallest normal, and up to 2^512.
    static ScaledDomain for_voltage(double magnitude) { return {magnitude < 0x1p-512 ? 512 : 0}; }  // claim 8

    [[nodiscard]] Magnitudes magnitudes() const {
        return {std::max(DBL_MIN, std::ldexp(0x1p-960, -scale)), std::ldexp(DBL_MAX, -scale)};  // claims 8, 11
    }
    [[nodiscard]] double chain_value(double magnitude) const { return std::ldexp(magnitude, scale); }
    [[nodiscard]] double magnitude(double chain_value) const { return std::ldexp(chain_value, -scale); }

    [[nodiscard]] double times(double m, double x) const { return m * x; }
    [[nodiscard]] double next(double quotient) const { return quotient; }
    static constexpr bool kNextIsQuotient = true;
};

// The subnormal magnitudes, which both loops lay a grid over, each its own way.
struct SubnormalMagnitudes {
    [[nodiscard]] static Magnitudes magnitudes() { return {kSubnormalSpacing, DBL_MIN - kSubnormalSpacing}; }
};

// Subnormal voltages in plain arithmetic: scaled by 2^1074 they are the
// integers 1 to 2^52 - 1, onto which adding and taking away 2^52 rounds the
// quotient, ties to even, as the exact step does (claim 9).
struct GridDomain : SubnormalMagnitudes {
    static constexpr int kScale = 1074;      // claim 9
    static constexpr double kUnit = 0x1p52;  // where the doubles are the integers, claim 9

    [[nodiscard]] static double chain_value(double magnitude) { return std::ldexp(magnitude, kScale); }
    [[nodiscard]] static double magnitude(double chain_value) { return std::ldexp(chain_value, -kScale); }

    [[nodiscard]] double times(double m, double x) const { return m * x; }
    [[nodiscard]] double next(double quotient) const { return (quotient + kUnit) - kUnit; }
    static constexpr bool kNextIsQuotient = false;
};

// Subnormal voltages in the FMA loop: scaled by 2^1022 and lifted by 1 they
// fill the binade [1, 2), whose ulp is the grid's unit, so adding 1 rounds
// the quotient as the exact step does, and an FMA forms the products from
// the chain value (claim 10).
struct SubnormalDomain : SubnormalMagnitudes {
    static constexpr int kScale = 1022;  // claim 10
    static constexpr double kOne = 1.0;

    [[nodiscard]] static double chain_value(double magnitude) { return kOne + std::ldexp(magnitude, kScale); }
    [[nodiscard]] static double magnitude(double chain_value) { return std::ldexp(chain_value - kOne, -kScale); }

    // The FMA overwrites one of its operands. A copy of m made anew for
    // each x is one it may overwrite, so that x keeps its register for the
    // other product; GCC would otherwise copy x, on the chain.
    KONDENSATOR_FMA_TARGET KONDENSATOR_ALWAYS_INLINE double times(double m, double x) const {
        double factor = m;
        hold_until(factor, x);
        return std::fma(factor, x, -m);
    }
    KONDENSATOR_FMA_TARGET KONDENSATOR_ALWAYS_INLINE double next(double quotient) const { return quotient + kOne; }
    static constexpr bool kNextIsQuotient = false;
};

}  // namespace kondensator::loops
