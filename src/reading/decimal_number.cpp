#include "reading/decimal_number.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "platform.hpp"

namespace kondensator {

namespace {

// 0.1 * 10^311 lies above the largest double; 10^-330 lies below half the
// smallest subnormal (about 2.5e-324).
constexpr std::int64_t kOverflowExponent = 311;
constexpr std::int64_t kUnderflowExponent = -330;

double with_sign(bool negative, double magnitude) { return negative ? -magnitude : magnitude; }

// The double nearest to digits and a decimal exponent, such as "123e-5",
// ties to even; `beyond` where that lies beyond the double range.
double correctly_rounded(const std::string& text, [[maybe_unused]] double beyond) {
#if defined(KONDENSATOR_DOUBLE_FROM_CHARS)
    double magnitude = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    return error == std::errc::result_out_of_range ? beyond : magnitude;
#else
    // Without a from_chars for doubles (the C++ library of the WebAssembly
    // build), the C library's strtod, which rounds correctly too: beyond the
    // range to infinity, below it to the nearest subnormal or zero. Its
    // decimal point is the full stop, in the "C" locale the program never
    // leaves.
    return std::strtod(text.c_str(), nullptr);
#endif
}

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

    return with_sign(number.negative, correctly_rounded(text, number.exponent > 0 ? HUGE_VAL : 0.0));
}

}  // namespace kondensator
