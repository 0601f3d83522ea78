#pragma once

namespace kondensator {

// Characters as InputSource gives them: 0 to 255, or InputSource::kEnd.

constexpr bool is_digit(int c) { return c >= '0' && c <= '9'; }

// The white space a read skips: blank, tab, line feed, vertical tab, form
// feed, carriage return.
constexpr bool is_space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace kondensator
