#include "reading/number_reader.hpp"

#include <cstdint>

#include "reading/characters.hpp"
#include "reading/decimal_number.hpp"

namespace kondensator {

namespace {

// Far beyond any exponent that can matter (a double needs about 10^-330 to
// 10^310), and far beyond the length of any input that can be typed or piped,
// yet twice it still fits in 64 bits: so exponents saturate at this value,
// and no input overflows them.
constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000'000;

bool is_sign(int c) { return c == '+' || c == '-'; }

std::int64_t saturating_step(std::int64_t value, std::int64_t step) {
    const std::int64_t next = value + step;
    if (next > kExponentLimit) return kExponentLimit;
    if (next < -kExponentLimit) return -kExponentLimit;
    return next;
}

std::int64_t saturating_append_digit(std::int64_t value, int digit) {
    return value >= kExponentLimit / 10 ? kExponentLimit : value * 10 + digit;
}

// Does a number start `ahead` characters further on (after a sign, say)?
bool mantissa_starts_at(InputSource& input, std::size_t ahead) {
    const int c = input.peek(ahead);
    return is_digit(c) || (c == '.' && is_digit(input.peek(ahead + 1)));
}

// Does an exponent with at least one digit start at the next character?
bool exponent_follows(InputSource& input) {
    const int e = input.peek();
    if (e != 'e' && e != 'E') return false;
    const int c = input.peek(1);
    return is_digit(c) || (is_sign(c) && is_digit(input.peek(2)));
}

class DigitCollector {
public:
    explicit DigitCollector(DecimalNumber& number) : number_(number) {}

    void add(int c, bool after_point) {
        if (number_.digits.empty() && c == '0') {
            if (after_point) number_.exponent = saturating_step(number_.exponent, -1);
            return;
        }
        if (!after_point) number_.exponent = saturating_step(number_.exponent, 1);
        if (number_.digits.size() < DecimalNumber::kMaxDigits) {
            number_.digits.push_back(static_cast<char>(c));
        } else if (number_.digits.size() == DecimalNumber::kMaxDigits && c != '0') {
            number_.digits.push_back('1');
        }
    }

private:
    DecimalNumber& number_;
};

void scan_mantissa(InputSource& input, DecimalNumber& number) {
    DigitCollector digits(number);
    while (is_digit(input.peek())) digits.add(input.take(), false);
    if (input.peek() != '.') return;
    input.take();
    while (is_digit(input.peek())) digits.add(input.take(), true);
}

std::int64_t scan_exponent(InputSource& input) {
    input.take();  // e or E
    const bool negative = input.peek() == '-';
    if (is_sign(input.peek())) input.take();
    std::int64_t exponent = 0;
    while (is_digit(input.peek())) exponent = saturating_append_digit(exponent, input.take() - '0');
    return negative ? -exponent : exponent;
}

// Scanning, apart from converting: the number as it was written, into
// `number`. The result's value is left for the conversion.
ReadResult scan_number(InputSource& input, DecimalNumber& number) {
    ReadResult result{ScanStatus::ok, 0.0, Skipped::nothing};
    while (is_space(input.peek())) {
        const int c = input.take();
        if (c != ' ' && c != '\t') {
            result.skipped = Skipped::lines;
        } else if (result.skipped == Skipped::nothing) {
            result.skipped = Skipped::blanks;
        }
    }

    const int first = input.peek();
    if (first == InputSource::kEnd) {
        result.status = ScanStatus::missing;
        return result;
    }
    const bool has_sign = is_sign(first);
    if (!mantissa_starts_at(input, has_sign ? 1 : 0)) {
        result.status = ScanStatus::not_a_number;
        return result;
    }
    if (has_sign) number.negative = input.take() == '-';
    scan_mantissa(input, number);
    if (exponent_follows(input)) {
        number.exponent = saturating_step(number.exponent, scan_exponent(input));
    }
    return result;
}

}  // namespace

ReadResult read_number(InputSource& input) {
    DecimalNumber number;
    ReadResult result = scan_number(input, number);
    if (result.status == ScanStatus::ok) result.value = to_double(number);
    return result;
}

}  // namespace kondensator
