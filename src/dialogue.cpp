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
// the read is still the next in the input: on the line of the previous
// value, it may be a mistake in that value as it was typed.
std::string unread_value_text(const Question* previous, const Question& question, const ReadResult& read,
                              InputSource& input) {
    if (read.status == ScanStatus::missing) return unknown(question.name, "mangler");
    if (previous != nullptr && read.skipped != Skipped::lines) {
        const Placement placement = read.skipped == Skipped::nothing ? Placement::right_behind : Placement::after_blanks;
        if (auto why = mistake_behind(trailer_ahead(input), placement, ValueRole::before_failed_read)) {
            return unknown(previous->name, *why);
        }
    }
    return unknown(question.name, "er ikke et tall");
}

// What stands behind the final value, on its line. Blanks behind it are
// consumed; the closing wait discards its line anyway.
std::optional<std::string> final_value_mistake(const Question& question, InputSource& input) {
    Placement placement = Placement::right_behind;
    while (input.peek() == ' ' || input.peek() == '\t') {
        input.take();
        placement = Placement::after_blanks;
    }
    const auto why = mistake_behind(trailer_ahead(input), placement, ValueRole::final_value);
    if (!why) return std::nullopt;
    return unknown(question.name, *why);
}

// Up to and including the line feed that ends the current line, or to the end
// of the input.
void discard_rest_of_line(InputSource& input) {
    for (int c = input.take(); c != '\n' && c != InputSource::kEnd; c = input.take()) {
    }
}

}  // namespace

int run_dialogue(std::istream& in, std::ostream& out, std::int32_t discharge_limit, DialogueReport* report) {
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
        if (report != nullptr) report->values_read(c1, c2, v1, vend);
        const DischargeCount count = count_discharges(c1, c2, v1, vend, discharge_limit, report);
        if (report != nullptr) report->answered(count);
        write_count(out, count);
    }
    out << kClosingText;
    out.flush();

    // A window opened for the program alone must stay open until the answer
    // has been read, whatever was typed behind the last value read: the rest
    // of its line is discarded, and the next character ends the program. When
    // the input has ended, both return at once.
    discard_rest_of_line(input);
    if (report != nullptr) report->awaiting_key();
    input.take();
    return 0;
}

}  // namespace kondensator
