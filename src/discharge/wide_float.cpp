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
    // Subnormal: rounded once more onto the grid of 2^-1074, claim 3.
    const double units = std::ldexp(significand_, exponent_ - kSubnormalSpacingExponent);
    return std::ldexp(std::nearbyint(units), kSubnormalSpacingExponent);
}

// Products and quotients of significands are normal and rounded once: claim 2.
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

// The smaller operand is aligned to the larger one's exponent: claim 2.
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
