#pragma once

#include <cmath>

#include "discharge/wide_float.hpp"

namespace kondensator {

// The constant part of every discharge of one run: the capacitances and the
// empty capacitor 2, prepared once so the loops do the least work per discharge.
class Discharger {
public:
    Discharger(double c1, double c2) noexcept;

    // One discharge in the wide-exponent arithmetic: the reference that every
    // faster way of discharging must reproduce bit for bit.
    [[nodiscard]] double exact_step(double v) const noexcept {
        return ((c1_ * WideFloat::from_double(v) + charge2_) / sum_).to_double();
    }

    // c1 and c1 + c2 scaled by one power of two so that
    // 0.5 <= |scaled_sum| < 1, with scaled_c1 a normal double: a discharge
    // is then scaled_c1 * v / scaled_sum in plain double arithmetic wherever
    // the product and the quotient are normal (claim 4 of doc/discharge.md).
    // Without such a pair only the exact step discharges.
    [[nodiscard]] bool has_scaled_operands() const noexcept { return scaled_c1_ != 0.0; }
    [[nodiscard]] double scaled_c1() const noexcept { return scaled_c1_; }
    [[nodiscard]] double scaled_sum() const noexcept { return scaled_sum_; }

    // Whether c1 / (c1 + c2) > 0 with scaled operands: then every discharge
    // keeps the sign of the voltage and is a monotonic function of it.
    [[nodiscard]] bool keeps_sign() const noexcept {
        return has_scaled_operands() && std::signbit(scaled_c1_) == std::signbit(scaled_sum_);
    }

private:
    WideFloat c1_;
    WideFloat charge2_;
    WideFloat sum_;
    double scaled_c1_ = 0.0;  // a normal double where there are scaled operands, and 0 where there are none
    double scaled_sum_ = 1.0;
};

}  // namespace kondensator
