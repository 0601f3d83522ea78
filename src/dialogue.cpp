#include "dialogue.hpp"

#include <array>
#include <charconv>
#include <optional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "reading/behind_number.hpp"
#include "reading/input_source.hpp"
#include "reading/number_reader.hpp"

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

std::string unknown(std::string_view name, std::string_view why) {
    return std::string("ukjent (").append(name).append(" ").append(why).append(")");
}

// What the result line says of a value that could not be read. What stopped
// the read is still the next in the input. Right behind the previous value's
// number, or after blanks on its line where it is a unit or an SI prefix, it
// is a mistake in that value as it was typed: a decimal comma, a unit, a
// stray letter.
std::string unread_value_text(const Question* previous, const Question& question, const ReadResult& read,
                              InputSource& input) {
    if (read.status == ScanStatus::missing) return unknown(question.name, "mangler");
    if (previous != nullptr && read.skipped != Skipped::lines) {
        const Trailer trailer = trailer_ahead(input);
        if (read.skipped == Skipped::nothing) {
            return unknown(previous->name, trailer_mistake(trailer, Placement::right_behind));
        }
        const Behind kind = trailer.kind;
        if (kind == Behind::si_prefix || kind == Behind::micro_sign || kind == Behind::unit) {
            return unknown(previous->name, trailer_mistake(trailer, Placement::after_blanks));
        }
    }
    return unknown(question.name, "er ikke et tall");
}

// Behind the final value, a unit or any other character leaves the number as
// it was read, but a decimal comma or an SI prefix would make it another
// number than the one typed: that value is not known. Blanks behind the value
// are consumed; the closing wait discards its line anyway.
std::optional<std::string> final_value_mistake(const Question& question, InputSource& input) {
    Placement placement = Placement::right_behind;
    while (input.peek() == ' ' || input.peek() == '\t') {
        input.take();
        placement = Placement::after_blanks;
    }
    const Trailer trailer = trailer_ahead(input);
    const bool changes_value = trailer.kind == Behind::si_prefix || trailer.kind == Behind::micro_sign ||
                               (trailer.kind == Behind::decimal_comma && placement == Placement::right_behind);
    if (!changes_value) return std::nullopt;
    return unknown(question.name, trailer_mistake(trailer, placement));
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
    std::optional<std::string> unread;  // the result line's text for a value that is not known

    for (std::size_t i = 0; i < kQuestions.size(); ++i) {
        out << kQuestions[i].prompt;
        if (unread) continue;  // after a failed read, nothing more is read
        out.flush();
        const ReadResult read = read_number(input);
        if (read.status != ScanStatus::ok) {
            unread = unread_value_text(i > 0 ? &kQuestions[i - 1] : nullptr, kQuestions[i], read, input);
        }
        values[i] = read.value;
    }
    if (!unread) unread = final_value_mistake(kQuestions.back(), input);

    out << kResultLabel;
    if (unread) {
        out << *unread;
    } else {
        const auto [c1, c2, v1, vend] = values;
        write_count(out, count_discharges(c1, c2, v1, vend, discharge_limit));
    }
    out << kClosingText;
    out.flush();

    // A window opened for the program alone must stay open until the answer
    // has been read, whatever was typed behind the last value read: the rest
    // of its line is discarded, and the next character ends the program. When
    // the input has ended, both return at once.
    discard_rest_of_line(input);
    input.take();
    return 0;
}

}  // namespace kondensator
