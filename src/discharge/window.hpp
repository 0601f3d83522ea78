#pragma once

#include <algorithm>
#include <optional>

namespace kondensator {

// A closed interval of magnitudes of the voltage.
struct Magnitudes {
    double lowest;
    double highest;
};

// Which signs the coming voltages take: the sign of v1 alone, or, where
// c1 / (c1 + c2) is negative, both in turn. The fast loops and the bounds
// both go on only while every voltage is at or above vend, and this is what
// that asks of the magnitudes: claim 6 of doc/discharge.md.
struct Swings {
    bool positive;
    bool negative;

    static Swings of(double v1, bool flips) { return {!(v1 < 0) || flips, v1 < 0 || flips}; }

    // The magnitudes, among `valid`, at which each of the signs is at or
    // above vend, or nothing where there are none.
    [[nodiscard]] std::optional<Magnitudes> at_or_above(double vend, Magnitudes valid) const {
        if (positive && vend > 0) valid.lowest = std::max(valid.lowest, vend);
        if (negative) valid.highest = vend < 0 ? std::min(valid.highest, -vend) : 0.0;
        if (!(valid.lowest <= valid.highest)) return std::nullopt;
        return valid;
    }
};

}  // namespace kondensator
