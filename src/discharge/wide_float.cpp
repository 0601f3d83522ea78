#include "discharge/wide_float.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "platform.hpp"  // binary64 arithmetic, rounded once

namespace kondensator {

WideFloat WideFloat::normalized(double x, int exponent) noexcept {
    if (x == 0.0 || !std::isfinite(x)) {
        return special(x);
    }
    int shift = 0;
    const double fraction = std::frexp(x, &shift);
    return {fraction, exponent + shift};
}

WideFloat WideFloat::from_double(double x) noexcept { return normalized(x, 0); }

bool WideFloat::is_special() const noexcept {
    return significand_ == 0.0 || !std::isfinite(significand_);
}

double WideFloat::to_double() const noexcept {
    if (is_special()) {
        return significand_;
    }
    if (exponent_ > kMaxExponent) {
        return std::copysign(HUGE_VAL, significand_);
    }
    if (exponent_ >= kMinNormalExponent) {
        return std::ldexp(significand_, exponent_);  // exact
    }
    // Subnormal: count the result in units of the smallest subnormal, round
    // that count to an integer (ties to even), and scale back. Both scalings
    // are exact whenever the count could round to anything but zero.
    const double units = std::ldexp(significand_, exponent_ - kSubnormalSpacingExponent);
    return std::ldexp(std::nearbyint(units), kSubnormalSpacingExponent);
}

// The significands lie in [0.5, 1), so their product lies in [0.25, 1) and
// their quotient in (0.5, 2): well inside the normal range, where the double
// operation is the correctly rounded 53-bit result.
WideFloat operator*(WideFloat a, WideFloat b) noexcept {
    if (a.is_special() || b.is_special()) {
        return WideFloat::special(a.significand_ * b.significand_);
    }
    return WideFloat::normalized(a.significand_ * b.significand_, a.exponent_ + b.exponent_);
}

WideFloat operator/(WideFloat a, WideFloat b) noexcept {
    if (a.is_special() || b.is_special()) {
        return WideFloat::special(a.significand_ / b.significand_);
    }
    return WideFloat::normalized(a.significand_ / b.significand_, a.exponent_ - b.exponent_);
}

// The smaller operand is aligned to the larger one's exponent. When it is
// shifted so far that it underflows, it lies far below half a unit in the last
// place of the larger one and cannot change the rounded sum, lost bits or not.
// A sum that cancels is exact (it is a multiple of 2^-54 at the least), and an
// exact zero comes out as +0, as round-to-nearest requires.
WideFloat operator+(WideFloat a, WideFloat b) noexcept {
    if (a.is_finite_nonzero() && b.is_finite_nonzero()) {
        const int exponent = std::max(a.exponent_, b.exponent_);
        const double sum = std::ldexp(a.significand_, a.exponent_ - exponent) +
                           std::ldexp(b.significand_, b.exponent_ - exponent);
        return WideFloat::normalized(sum, exponent);
    }
    if (a.significand_ == 0.0 && b.is_finite_nonzero()) {
        return b;
    }
    if (b.significand_ == 0.0 && a.is_finite_nonzero()) {
        return a;
    }
    return WideFloat::special(a.significand_ + b.significand_);
}

}  // namespace kondensator
