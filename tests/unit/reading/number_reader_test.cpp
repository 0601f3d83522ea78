#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <regex>
#include <sstream>
#include <string>

#include "reading/number_reader.hpp"

namespace {

using kondensator::ScanStatus;

struct Read {
    ScanStatus status;
    double value;
    std::string rest;  // what the next reads of the same input find
};

Read read_from(const std::string& text) {
    std::stringbuf buffer(text);
    kondensator::InputSource input(&buffer);
    const kondensator::ReadResult result = kondensator::read_number(input);
    std::string rest;
    for (int c = input.take(); c != kondensator::InputSource::kEnd; c = input.take()) rest += static_cast<char>(c);
    return {result.status, result.value, rest};
}

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

constexpr double kInf = HUGE_VAL;

struct ReaderCase {
    std::string input;
    ScanStatus status;
    double value;
    std::string rest;
};

TEST(ReadNumber, FormsAndWhatStaysInTheInput) {
    const std::string zeros400(400, '0');
    const ReaderCase cases[] = {
        {"1e-6\n", ScanStatus::ok, 1e-6, "\n"},
        {"0.000001", ScanStatus::ok, 1e-6, ""},
        {"+12 ", ScanStatus::ok, 12, " "},
        {"230", ScanStatus::ok, 230, ""},
        {".5", ScanStatus::ok, 0.5, ""},
        {"5.\n", ScanStatus::ok, 5, "\n"},
        {"-0", ScanStatus::ok, -0.0, ""},
        {"00012", ScanStatus::ok, 12, ""},
        {"1.5E+3x", ScanStatus::ok, 1500, "x"},
        {" \t\n\v\f\r\n\n42", ScanStatus::ok, 42, ""},
        {"1\r\n", ScanStatus::ok, 1, "\r\n"},
        {"1e", ScanStatus::ok, 1, "e"},
        {"1e\n", ScanStatus::ok, 1, "e\n"},
        {"1e+", ScanStatus::ok, 1, "e+"},
        {"1E-x", ScanStatus::ok, 1, "E-x"},
        {"1.2.3", ScanStatus::ok, 1.2, ".3"},
        {"5-3", ScanStatus::ok, 5, "-3"},
        {"0,5", ScanStatus::ok, 0, ",5"},
        {"10V", ScanStatus::ok, 10, "V"},
        {"0x1A", ScanStatus::ok, 0, "x1A"},
        {"1e400", ScanStatus::ok, kInf, ""},
        {"-1e400", ScanStatus::ok, -kInf, ""},
        {"1e-400", ScanStatus::ok, 0, ""},
        {"-1e-400", ScanStatus::ok, -0.0, ""},
        {"1e99999999999999999999", ScanStatus::ok, kInf, ""},
        {"1e-99999999999999999999", ScanStatus::ok, 0, ""},
        {"0." + zeros400 + "1e401", ScanStatus::ok, 1, ""},
        {"1" + zeros400 + "e-400", ScanStatus::ok, 1, ""},
        {"4.9406564584124654e-324", ScanStatus::ok, 4.9406564584124654e-324, ""},
        {"9007199254740993", ScanStatus::ok, 9007199254740992.0, ""},  // a tie, to even
        {"9007199254740993." + std::string(1000, '0') + "1", ScanStatus::ok, 9007199254740994.0, ""},
        {".", ScanStatus::not_a_number, 0, "."},
        {"+", ScanStatus::not_a_number, 0, "+"},
        {"-.e1", ScanStatus::not_a_number, 0, "-.e1"},
        {" e5", ScanStatus::not_a_number, 0, "e5"},
        {"inf", ScanStatus::not_a_number, 0, "inf"},
        {"nan", ScanStatus::not_a_number, 0, "nan"},
        {"", ScanStatus::missing, 0, ""},
        {" \n\r\n", ScanStatus::missing, 0, ""},
    };
    for (const ReaderCase& t : cases) {
        const Read read = read_from(t.input);
        SCOPED_TRACE("input: " + t.input.substr(0, 40));
        EXPECT_EQ(read.status, t.status);
        if (t.status == ScanStatus::ok) {
            EXPECT_EQ(bits(read.value), bits(t.value)) << read.value;
        }
        EXPECT_EQ(read.rest, t.rest);
    }
}

// Random strings against a regular expression for the grammar and strtod for
// the value: long digit strings and exponents test the correct rounding.
std::string random_text(std::mt19937& random) {
    static const std::string kAlphabet = " \n0123456789.eE+-x";
    std::string text;
    if (random() % 4 == 0) {  // a long number near the limits of the double range
        for (int i = 0, n = static_cast<int>(random() % 900) + 1; i < n; ++i) text += static_cast<char>('0' + random() % 10);
        text += 'e';
        text += std::to_string(static_cast<int>(random() % 1400) - 1100);
        return text;
    }
    for (int i = 0, n = static_cast<int>(random() % 24); i < n; ++i) text += kAlphabet[random() % kAlphabet.size()];
    return text;
}

TEST(ReadNumber, AgreesWithGrammarAndStrtodOnRandomText) {
    const std::regex number(R"(^[ \t\n\v\f\r]*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?))");
    std::mt19937 random(2024);
    for (int i = 0; i < 100'000; ++i) {
        const std::string text = random_text(random);
        const Read read = read_from(text);
        std::smatch match;
        SCOPED_TRACE("input: " + text);
        if (std::regex_search(text, match, number)) {
            const std::string found = match[1].str();
            ASSERT_EQ(read.status, ScanStatus::ok);
            ASSERT_EQ(bits(read.value), bits(std::strtod(found.c_str(), nullptr)));
            ASSERT_EQ(read.rest, text.substr(static_cast<std::size_t>(match.length(0))));
        } else {
            const bool blank = text.find_first_not_of(" \n") == std::string::npos;
            ASSERT_EQ(read.status, blank ? ScanStatus::missing : ScanStatus::not_a_number);
        }
    }
}

}  // namespace
