#pragma once

#include <optional>
#include <string>

#include "reading/input_source.hpp"
#include "words.hpp"

namespace kondensator {

// What a student may type behind a number out of habit, in the order the
// checks take them.
enum class Behind {
    nothing,        // white space, or the end of the input
    decimal_comma,  // a comma with a digit after it: 0,5
    bare_exponent,  // e or E with no digits after it: 1e, 1e+
    si_prefix,      // p n u m k M, where no letter or only the unit F or V follows: 4.7uF, 4u7, 2 n
    micro_sign,     // the micro sign or the Greek mu, in UTF-8 or a Windows code page
    unit,           // F or V, where no letter follows: 10V
    printable,      // any other visible ASCII character
    unknown,        // any other byte
};

struct Trailer {
    Behind kind;
    char letter;  // the character as typed, for every kind but nothing, micro_sign and unknown
};

// What the next characters of the input are; nothing is consumed. Looks no
// further than the line the first character stands on.
[[nodiscard]] Trailer trailer_ahead(InputSource& input);

enum class Placement {
    right_behind,  // no white space between the number and the trailer
    after_blanks,  // blanks or tabs between them, on the same line
};

// Where the value with the trailer behind it stands in the dialogue.
enum class ValueRole {
    before_failed_read,  // the next value could not be read: the trailer stopped it
    final_value,         // nothing more is read as a number
};

// Whether the trailer makes the number a mistake, and if so what the result
// line says of it after the value's name, in `form`: "har 'u' rett etter
// tallet; bruk e-6 for mikro". Where a read failed, anything right behind the number is a
// mistake in it, and after blanks a unit or a prefix. Behind the final value,
// where nothing more is read, only what would make it another number than
// the one typed: a prefix, or a decimal comma right behind it; a unit or
// anything else leaves it as it is.
[[nodiscard]] std::optional<std::string> mistake_behind(Trailer trailer, Placement placement, ValueRole role,
                                                       WrittenForm form = WrittenForm::bokmal);

}  // namespace kondensator
