#pragma once

#include "reading/input_source.hpp"

namespace kondensator {

enum class ScanStatus {
    ok,
    not_a_number,  // the next character after the white space cannot start a number
    missing,       // the input ended before a number began
};

// The white space a scan skipped before the number, or before what stopped it.
enum class Skipped {
    nothing,
    blanks,  // blanks and tabs alone: what follows stands on the same line
    lines,   // a line end, or other white space that may stand for one
};

// Skips white space (blank, tab, line feed, vertical tab, form feed, carriage
// return) and reads one number: an optional sign, decimal digits with at most
// one full stop (at least one digit), and an optional exponent, e or E with an
// optional sign and at least one digit, as the double nearest to it, ties to
// even (beyond the double range an infinity, below it a zero, of its sign).
// An e that no digit follows is not part of the number and stays in the
// input, as does the first character that cannot continue the number. A
// failed read consumes only the white space. Memory stays bounded however
// long the number is.
struct ReadResult {
    ScanStatus status;
    double value;  // meaningful when status is ok
    Skipped skipped;
};
[[nodiscard]] ReadResult read_number(InputSource& input);

}  // namespace kondensator
