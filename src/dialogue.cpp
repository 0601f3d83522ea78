#include "dialogue.hpp"

#include <array>
#include <charconv>
#include <istream>
#include <ostream>
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

void write_unread(std::ostream& out, const Question& question, ScanStatus status) {
    out << "ukjent (" << question.name
        << (status == ScanStatus::missing ? " mangler)" : " er ikke et tall)");
}

}  // namespace

int run_dialogue(std::istream& in, std::ostream& out, std::int32_t discharge_limit) {
    InputSource input(in.rdbuf());
    std::array<double, kQuestions.size()> values{};
    const Question* unread = nullptr;  // the first value that could not be read
    ScanStatus unread_status = ScanStatus::ok;

    for (std::size_t i = 0; i < kQuestions.size(); ++i) {
        out << kQuestions[i].prompt;
        if (unread != nullptr) continue;  // after a failed read, nothing more is read
        out.flush();
        const ReadResult read = read_number(input);
        if (read.status != ScanStatus::ok) {
            unread = &kQuestions[i];
            unread_status = read.status;
        }
        values[i] = read.value;
    }

    out << kResultLabel;
    if (unread != nullptr) {
        write_unread(out, *unread, unread_status);
    } else {
        const auto [c1, c2, v1, vend] = values;
        write_count(out, count_discharges(c1, c2, v1, vend, discharge_limit));
    }
    out << kClosingText;
    out.flush();

    if (unread == nullptr) {
        input.take();  // the line end after the final voltage
        input.take();  // the key that ends the program
    }
    return 0;
}

}  // namespace kondensator
