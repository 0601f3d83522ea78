// The number reader as the web build has it, where the C library's strtod
// rounds instead of from_chars, for read_number_test.cjs.
#include <emscripten.h>

#include <sstream>

#include "reading/input_source.hpp"
#include "reading/number_reader.hpp"

// The value read from the start of text, or NaN where no number starts there.
extern "C" EMSCRIPTEN_KEEPALIVE double web_read_number(const char* text) {
    std::stringbuf buffer(text);
    kondensator::InputSource input(&buffer);
    const kondensator::ReadResult read = kondensator::read_number(input);
    return read.status == kondensator::ScanStatus::ok ? read.value : __builtin_nan("");
}
