#include "reading/behind_number.hpp"

#include <array>
#include <string_view>

#include "reading/characters.hpp"

namespace kondensator {

namespace {

struct Prefix {
    char letter;
    std::string_view exponent;  // what to write instead
    std::string_view name;
};

constexpr std::array<Prefix, 6> kPrefixes{{
    {'p', "e-12", "piko"},
    {'n', "e-9", "nano"},
    {'u', "e-6", "mikro"},
    {'m', "e-3", "milli"},
    {'k', "e3", "kilo"},
    {'M', "e6", "mega"},
}};

const Prefix* prefix_of(int c) {
    for (const Prefix& prefix : kPrefixes) {
        if (prefix.letter == c) return &prefix;
    }
    return nullptr;
}

bool is_letter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_unit(int c) { return c == 'F' || c == 'V'; }
bool is_continuation_byte(int c) { return c >= 0x80 && c <= 0xbf; }

// The micro sign is C2 B5 in UTF-8 and the Greek mu CE BC; a Norwegian
// Windows console sends it as the single byte B5 (code page 1252), which
// starts no UTF-8 sequence, or E6 (850 and 865), where that is not the first
// of three UTF-8 bytes. Only a continuation byte makes it look further.
bool micro_sign_ahead(InputSource& input) {
    const int c = input.peek();
    if (c == 0xc2) return input.peek(1) == 0xb5;
    if (c == 0xce) return input.peek(1) == 0xbc;
    if (c == 0xe6) return !(is_continuation_byte(input.peek(1)) && is_continuation_byte(input.peek(2)));
    return c == 0xb5;
}

}  // namespace

Trailer trailer_ahead(InputSource& input) {
    const int c = input.peek();
    const char letter = static_cast<char>(c);
    if (c == InputSource::kEnd || is_space(c)) return {Behind::nothing, '\0'};
    if (micro_sign_ahead(input)) return {Behind::micro_sign, '\0'};
    if (c < 33 || c > 126) return {Behind::unknown, '\0'};
    if (c == ',' && is_digit(input.peek(1))) return {Behind::decimal_comma, letter};
    if (c == 'e' || c == 'E') return {Behind::bare_exponent, letter};
    const int after = is_letter(c) ? input.peek(1) : 0;
    if (prefix_of(c) != nullptr && (!is_letter(after) || is_unit(after))) return {Behind::si_prefix, letter};
    if (is_unit(c) && !is_letter(after)) return {Behind::unit, letter};
    return {Behind::printable, letter};
}

namespace {

// What is wrong with a number that has the trailer behind it. Not for
// Behind::nothing.
std::string trailer_mistake(Trailer trailer, Placement placement, WrittenForm form) {
    const auto word = [form](const Wording& wording) { return std::string(wording.in(form)); };
    const std::string where = word(placement == Placement::right_behind ? kWords.right_behind : kWords.after_blanks);
    const std::string quoted = std::string("'") + trailer.letter + "'";
    // What to write instead of the prefix: "; bruk e-6 for mikro".
    const auto instead = [&word](const Prefix& prefix) {
        return word(kWords.use) + std::string(prefix.exponent) + word(kWords.for_prefix) + std::string(prefix.name);
    };
    switch (trailer.kind) {
        case Behind::decimal_comma:
            return word(kWords.decimal_comma);
        case Behind::bare_exponent:
            return word(kWords.no_exponent_digits) + quoted;
        case Behind::si_prefix:
            return word(kWords.has) + quoted + " " + where + instead(*prefix_of(trailer.letter));
        case Behind::micro_sign:
            return word(kWords.micro_sign) + where + instead(*prefix_of('u'));
        case Behind::unit:
            return word(kWords.has) + quoted + " " + where + word(kWords.without_unit);
        case Behind::printable:
            return word(kWords.has) + quoted + " " + where;
        case Behind::nothing:
        case Behind::unknown:
            break;
    }
    return word(kWords.unknown_character) + where;
}

bool makes_another_number(Behind kind, Placement placement) {
    return kind == Behind::si_prefix || kind == Behind::micro_sign ||
           (kind == Behind::decimal_comma && placement == Placement::right_behind);
}

bool stops_the_next_read(Behind kind, Placement placement) {
    if (placement == Placement::right_behind) return kind != Behind::nothing;
    return kind == Behind::si_prefix || kind == Behind::micro_sign || kind == Behind::unit;
}

}  // namespace

std::optional<std::string> mistake_behind(Trailer trailer, Placement placement, ValueRole role, WrittenForm form) {
    const bool mistake = role == ValueRole::final_value ? makes_another_number(trailer.kind, placement)
                                                        : stops_the_next_read(trailer.kind, placement);
    if (!mistake) return std::nullopt;
    return trailer_mistake(trailer, placement, form);
}

}  // namespace kondensator
