#include "reading/decimal_number.hpp"

#include <cmath>

#include "platform.hpp"

namespace kondensator {

namespace {

// 0.1 * 10^311 lies above the largest double; 10^-330 lies below half the
// smallest subnormal (about 2.5e-324).
constexpr std::int64_t kOverflowExponent = 311;
constexpr std::int64_t kUnderflowExponent = -330;

double with_sign(bool negative, double magnitude) { return negative ? -magnitude : magnitude; }

}  // namespace

double to_double(const DecimalNumber& number) {
    if (number.digits.empty() || number.exponent < kUnderflowExponent) {
        return with_sign(number.negative, 0.0);
    }
    if (number.exponent >= kOverflowExponent) {
        return with_sign(number.negative, HUGE_VAL);
    }
    // The digits as an integer, scaled by a power of ten that is now small.
    std::string text = number.digits;
    text += 'e';
    text += std::to_string(number.exponent - static_cast<std::int64_t>(number.digits.size()));

    return with_sign(number.negative, nearest_double(text, number.exponent > 0 ? HUGE_VAL : 0.0));
}

}  // namespace kondensator
