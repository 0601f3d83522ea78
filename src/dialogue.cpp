#include "dialogue.hpp"

#include <array>
#include <charconv>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "input_source.hpp"
#include "number_scanner.hpp"

namespace kondensator {

namespace {

struct Question {
    std::string_view prompt;
    std::string_view name;  // the value, as a failed read reports it
};

constexpr std::array<Question, 4> kQuestions{{
    {"Kapasitans kondensator 1 [F]: ", "kapasitans kondensator 1"},
    {"Kapasitans kondensator 2 [F]: ", "kapasitans kondensator 2"},
    {"Spenning kondensator 1 [V]: ", "spenning kondensator 1"},
    {"Sluttspenning [V]: ", "sluttspenning"},
}};

constexpr std::string_view kResultLabel = "Antall ganger nedladet: ";
constexpr std::string_view kClosingText = "\nTrykk en tast...";

// Written without the stream's locale, so no locale can group the digits.
void write_integer(std::ostream& out, std::int32_t value) {
    std::array<char, 16> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    out.write(text.data(), end - text.data());
}

void write_count(std::ostream& out, const DischargeCount& result) {
    switch (result.kind) {
        case DischargeCount::Kind::fell_below:
            write_integer(out, result.count);
            break;
        case DischargeCount::Kind::never_falls:
            out << "uendelig (spenningen faller aldri under sluttspenningen)";
            break;
        case DischargeCount::Kind::limit_exceeded:
            out << "over ";
            write_integer(out, result.count);
            break;
    }
}

bool is_digit(int c) { return c >= '0' && c <= '9'; }

// What the result line says of a value that could not be read. A character
// right behind the previous value's number, with no white space between, is
// a mistake in that value as it was typed: a decimal comma, a unit, a stray
// letter. The character that stopped the read is still the next in the input.
std::string unread_value_text(const Question* previous, const Question& question, const ReadResult& read,
                              InputSource& input) {
    std::string text = "ukjent (";
    if (read.status == ScanStatus::missing) return text.append(question.name).append(" mangler)");
    if (previous == nullptr || read.skipped_space) return text.append(question.name).append(" er ikke et tall)");
    text.append(previous->name);
    const int c = input.peek();
    if (c == ',' && is_digit(input.peek(1))) return text.append(" har desimalkomma; bruk punktum)");
    if (c >= 33 && c <= 126) return text.append(" har '").append(1, static_cast<char>(c)).append("' rett etter tallet)");
    return text.append(" har et ukjent tegn rett etter tallet)");
}

// Up to and including the line feed that ends the current line, or to the end
// of the input.
void discard_rest_of_line(InputSource& input) {
    for (int c = input.take(); c != '\n' && c != InputSource::kEnd; c = input.take()) {
    }
}

}  // namespace

int run_dialogue(std::istream& in, std::ostream& out, std::int32_t discharge_limit) {
    InputSource input(in.rdbuf());
    std::array<double, kQuestions.size()> values{};
    std::string unread;  // the result line's text for the first value that could not be read
    bool input_ended = false;

    for (std::size_t i = 0; i < kQuestions.size(); ++i) {
        out << kQuestions[i].prompt;
        if (!unread.empty()) continue;  // after a failed read, nothing more is read
        out.flush();
        const ReadResult read = read_number(input);
        if (read.status != ScanStatus::ok) {
            unread = unread_value_text(i > 0 ? &kQuestions[i - 1] : nullptr, kQuestions[i], read, input);
            input_ended = read.status == ScanStatus::missing;
        }
        values[i] = read.value;
    }

    out << kResultLabel;
    if (!unread.empty()) {
        out << unread;
    } else {
        const auto [c1, c2, v1, vend] = values;
        write_count(out, count_discharges(c1, c2, v1, vend, discharge_limit));
    }
    out << kClosingText;
    out.flush();

    if (unread.empty()) {
        input.take();  // the line end after the final voltage
        input.take();  // the key that ends the program
    } else if (!input_ended) {
        // A window opened for the program alone must stay open after a
        // mistake too, until its message has been read.
        discard_rest_of_line(input);
        input.take();
    }
    return 0;
}

}  // namespace kondensator
