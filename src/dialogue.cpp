#include "dialogue.hpp"

#include <array>
#include <charconv>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "reading/behind_number.hpp"
#include "reading/input_source.hpp"
#include "reading/number_reader.hpp"

namespace kondensator {

namespace {

// Written without the stream's locale, so no locale can group the digits.
void write_integer(std::ostream& out, std::int32_t value) {
    std::array<char, 16> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    out.write(text.data(), end - text.data());
}

void write_count(std::ostream& out, const DischargeCount& result, WrittenForm form) {
    switch (result.kind) {
        case DischargeCount::Kind::fell_below:
            write_integer(out, result.count);
            break;
        case DischargeCount::Kind::never_falls:
            out << kWords.never_falls.in(form);
            break;
        case DischargeCount::Kind::limit_exceeded:
            out << kWords.over.in(form);
            write_integer(out, result.count);
            break;
    }
}

using Question = Words::Question;

std::string unknown(const Question& question, std::string_view why, WrittenForm form) {
    return std::string(kWords.unknown.in(form)).append(" (").append(question.name.in(form)).append(" ").append(why)
        .append(")");
}

// What the result line says of a value that could not be read. What stopped
// the read is still the next in the input: on the line of the previous
// value, it may be a mistake in that value as it was typed.
std::string unread_value_text(const Question* previous, const Question& question, const ReadResult& read,
                              InputSource& input, WrittenForm form) {
    if (read.status == ScanStatus::missing) return unknown(question, kWords.missing.in(form), form);
    if (previous != nullptr && read.skipped != Skipped::lines) {
        const Placement placement = read.skipped == Skipped::nothing ? Placement::right_behind : Placement::after_blanks;
        if (auto why = mistake_behind(trailer_ahead(input), placement, ValueRole::before_failed_read, form)) {
            return unknown(*previous, *why, form);
        }
    }
    return unknown(question, kWords.not_a_number.in(form), form);
}

// What stands behind the final value, on its line. Blanks behind it are
// consumed; the closing wait discards its line anyway.
std::optional<std::string> final_value_mistake(const Question& question, InputSource& input, WrittenForm form) {
    Placement placement = Placement::right_behind;
    while (input.peek() == ' ' || input.peek() == '\t') {
        input.take();
        placement = Placement::after_blanks;
    }
    const auto why = mistake_behind(trailer_ahead(input), placement, ValueRole::final_value, form);
    if (!why) return std::nullopt;
    return unknown(question, *why, form);
}

// Up to and including the line feed that ends the current line, or to the end
// of the input.
void discard_rest_of_line(InputSource& input) {
    for (int c = input.take(); c != '\n' && c != InputSource::kEnd; c = input.take()) {
    }
}

}  // namespace

int run_dialogue(std::istream& in, std::ostream& out, std::int32_t discharge_limit, DialogueReport* report,
                 WrittenForm form) {
    InputSource input(in.rdbuf());
    const auto& questions = kWords.questions;
    constexpr std::size_t kValues = std::size(kWords.questions);
    std::array<double, kValues> values{};
    std::optional<std::string> unread;  // the result line's text for a value that is not known

    for (std::size_t i = 0; i < kValues; ++i) {
        out << questions[i].prompt.in(form);
        if (unread) continue;  // after a failed read, nothing more is read
        out.flush();
        const ReadResult read = read_number(input);
        if (read.status != ScanStatus::ok) {
            unread = unread_value_text(i > 0 ? &questions[i - 1] : nullptr, questions[i], read, input, form);
        }
        values[i] = read.value;
    }
    if (!unread) unread = final_value_mistake(questions[kValues - 1], input, form);

    out << kWords.result_label.in(form);
    if (unread) {
        if (report != nullptr) report->unread(*unread);
        out << *unread;
    } else {
        const auto [c1, c2, v1, vend] = values;
        if (report != nullptr) report->values_read(c1, c2, v1, vend);
        SampleLog* log = report != nullptr ? report->sample_log() : nullptr;
        const DischargeCount count = count_discharges(c1, c2, v1, vend, discharge_limit, report, log);
        if (report != nullptr) report->answered(count);
        write_count(out, count, form);
    }
    out << kWords.closing_text.in(form);
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
