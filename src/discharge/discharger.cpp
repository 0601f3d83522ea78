#include "discharge/discharger.hpp"

#include <cmath>

namespace kondensator {

namespace {

// Capacitor 2 is empty at every connection.
constexpr double kEmptyVoltage = 0.0;

}  // namespace

Discharger::Discharger(double c1, double c2) noexcept
    : c1_(WideFloat::from_double(c1)),
      charge2_(WideFloat::from_double(c2) * WideFloat::from_double(kEmptyVoltage)),
      sum_(c1_ + WideFloat::from_double(c2)) {
    // A finite sum means a finite c2, whose product with the empty voltage is
    // a zero.
    if (c1_.is_special() || sum_.is_special()) {
        return;
    }
    const int exponent = c1_.exponent() - sum_.exponent();
    if (exponent < WideFloat::kMinNormalExponent || exponent > WideFloat::kMaxExponent) {
        return;
    }
    scaled_c1_ = std::ldexp(c1_.significand(), exponent);
    scaled_sum_ = sum_.significand();
}

}  // namespace kondensator
