#pragma once

#include "reading/decimal_number.hpp"
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

struct ScanResult {
    ScanStatus status;
    DecimalNumber number;  // meaningful when status is ok
    Skipped skipped;
};

// Skips white space (blank, tab, line feed, vertical tab, form feed, carriage
// return) and scans one number: an optional sign, decimal digits with at most
// one full stop (at least one digit), and an optional exponent, e or E with an
// optional sign and at least one digit. An e that no digit follows is not part
// of the number and stays in the input, as does the first character that
// cannot continue the number. A failed scan consumes only the white space.
// Memory stays bounded however long the number is.
[[nodiscard]] ScanResult scan_number(InputSource& input);

// scan_number followed by to_double.
struct ReadResult {
    ScanStatus status;
    double value;  // meaningful when status is ok
    Skipped skipped;
};
[[nodiscard]] ReadResult read_number(InputSource& input);

}  // namespace kondensator
