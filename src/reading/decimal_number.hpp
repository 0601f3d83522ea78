#pragma once

#include <cstdint>
#include <string>

namespace kondensator {

// A decimal number as it was written, reduced to what correct rounding to a
// double needs: value = (negative ? -1 : 1) * 0.d1 d2 d3 ... * 10^exponent.
struct DecimalNumber {
    // Longer than any decimal that lies halfway between two doubles (767
    // significant digits), so the digits kept decide the rounding.
    static constexpr std::size_t kMaxDigits = 800;

    bool negative = false;
    // The significant digits, the first one not zero; empty for a zero. At most
    // kMaxDigits of them are kept; if any digit after those is not zero, one
    // more digit, a 1, stands for all of them.
    std::string digits;
    std::int64_t exponent = 0;
};

// The double nearest to the number, ties to even; an infinity of its sign
// beyond the double range, a zero of its sign below it.
[[nodiscard]] double to_double(const DecimalNumber& number);

}  // namespace kondensator
