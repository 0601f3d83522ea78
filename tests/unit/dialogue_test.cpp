#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue.hpp"
#include "web/page_output.hpp"
#include "transcript.hpp"

namespace {

struct DialogueCase {
    std::string input;
    std::string result;  // what follows "Antall ganger nedladet: "
    std::string rest;    // input left after the closing wait; "-" when it is not checked
    std::int32_t limit = kondensator::kMaxDischarges;
};

TEST(Dialogue, TranscriptsAndWhatTheClosingWaitConsumes) {
    const DialogueCase cases[] = {
        {"1e-6\n1e-6\n10\n1\nab", "4", "b"},
        {"1 1 8 1\n\n", "4", ""},
        // The closing wait discards the rest of the final value's line, then takes one key.
        {"1 1 8 1 \nab", "4", "b"},
        {"\n\n1\r\n1\r\n0.5\r\n1\r\nxy", "0", "y"},
        {"1 1 8 1V x\nab", "4", "b"},  // a unit leaves the value as it is
        {"1 1 8 1,x 1 ,5\n", "4", ""},
        {"1 1e-10 10 1\n", "over 5", "", 5},
        {"1 0 5 1\n", "uendelig (spenningen faller aldri under sluttspenningen)", ""},
        // A value that cannot be read: the rest of its line is discarded, and
        // the closing wait takes one more character, unless the input ended.
        {"", "ukjent (kapasitans kondensator 1 mangler)", ""},
        {"abc\nxy", "ukjent (kapasitans kondensator 1 er ikke et tall)", "y"},
        {"1 1", "ukjent (spenning kondensator 1 mangler)", ""},
        {"1 x 10 1\nab", "ukjent (kapasitans kondensator 2 er ikke et tall)", "b"},
        {"1 ,5 10 1\n", "ukjent (kapasitans kondensator 2 er ikke et tall)", ""},
        {"1 mikro\n", "ukjent (kapasitans kondensator 2 er ikke et tall)", ""},
        {"4.7\nuF\n", "ukjent (kapasitans kondensator 2 er ikke et tall)", ""},
        {"1 1 10 \n\n", "ukjent (sluttspenning mangler)", ""},
        // What stands behind the previous value names it, and says what to write.
        {"1,5\n1\n8\n", "ukjent (kapasitans kondensator 1 har desimalkomma; bruk punktum)", "\n8\n"},
        {"1 1,x\n", "ukjent (kapasitans kondensator 2 har ',' rett etter tallet)", ""},
        {"10Volt\n", "ukjent (kapasitans kondensator 1 har 'V' rett etter tallet)", ""},
        {"1 1\x7f", "ukjent (kapasitans kondensator 2 har et ukjent tegn rett etter tallet)", ""},
        {"1 1 8\xe6\x97\xa5\n", "ukjent (spenning kondensator 1 har et ukjent tegn rett etter tallet)", ""},
        {"1E+ 1\n", "ukjent (kapasitans kondensator 1 mangler sifre etter 'E')", ""},
        {"1 1 10V 1\n", "ukjent (spenning kondensator 1 har 'V' rett etter tallet; skriv tallet uten enhet)", ""},
        {"4.7 \tF\n", "ukjent (kapasitans kondensator 1 har 'F' etter tallet; skriv tallet uten enhet)", ""},
        {"4u7\n", "ukjent (kapasitans kondensator 1 har 'u' rett etter tallet; bruk e-6 for mikro)", ""},
        {"1 2 n\nab", "ukjent (kapasitans kondensator 2 har 'n' etter tallet; bruk e-9 for nano)", "b"},
        {"1 1 5pF\n", "ukjent (spenning kondensator 1 har 'p' rett etter tallet; bruk e-12 for piko)", ""},
        {"1 1 2MV\n", "ukjent (spenning kondensator 1 har 'M' rett etter tallet; bruk e6 for mega)", ""},
        {"4mA\n", "ukjent (kapasitans kondensator 1 har 'm' rett etter tallet)", ""},  // a word, not a prefix
        {"4.7\xb5\n", "ukjent (kapasitans kondensator 1 har mikrotegnet rett etter tallet; bruk e-6 for mikro)", ""},
        {"4.7\xe6" "F\n", "ukjent (kapasitans kondensator 1 har mikrotegnet rett etter tallet; bruk e-6 for mikro)", ""},
        {"4.7 \xce\xbc\n", "ukjent (kapasitans kondensator 1 har mikrotegnet etter tallet; bruk e-6 for mikro)", ""},
        // Behind the final value, a decimal comma or a prefix would change it.
        {"1 1 8 0,5\nab", "ukjent (sluttspenning har desimalkomma; bruk punktum)", "b"},
        {"1 1 8 5mV\n", "ukjent (sluttspenning har 'm' rett etter tallet; bruk e-3 for milli)", ""},
        {"1 1 8 5 k\n", "ukjent (sluttspenning har 'k' etter tallet; bruk e3 for kilo)", ""},
        {"1 1 8 5 \xc2\xb5V\n", "ukjent (sluttspenning har mikrotegnet etter tallet; bruk e-6 for mikro)", ""},
    };
    for (const DialogueCase& t : cases) {
        SCOPED_TRACE("input: " + t.input);
        std::istringstream in(t.input);
        std::ostringstream out;
        EXPECT_EQ(kondensator::run_dialogue(in, out, t.limit), 0);
        EXPECT_EQ(out.str(), transcript::of(t.result));
        if (t.rest != "-") {
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), t.rest);
        }
    }
}

// In the page's nynorsk every line the program writes is nynorsk.
TEST(Dialogue, SpeaksNynorskWhereThePageAsks) {
    const std::pair<std::string, std::string> cases[] = {
        {"1e-6\n1e-6\n10\n1\n", "4"},
        {"1 0 5 1\n", "uendeleg (spenninga fell aldri under sluttspenninga)"},
        {"abc\n", "ukjend (kapasitans kondensator 1 er ikkje eit tal)"},
        {"1 1", "ukjend (spenning kondensator 1 manglar)"},
        {"1,5\n", "ukjend (kapasitans kondensator 1 har desimalkomma; bruk punktum)"},
        {"4u7\n", "ukjend (kapasitans kondensator 1 har 'u' rett etter talet; bruk e-6 for mikro)"},
        {"1 2 n\n", "ukjend (kapasitans kondensator 2 har 'n' etter talet; bruk e-9 for nano)"},
        {"4.7 \tF\n", "ukjend (kapasitans kondensator 1 har 'F' etter talet; skriv talet utan eining)"},
        {"1E+ 1\n", "ukjend (kapasitans kondensator 1 manglar siffer etter 'E')"},
        {"4.7\xb5\n", "ukjend (kapasitans kondensator 1 har mikroteiknet rett etter talet; bruk e-6 for mikro)"},
        {"1 1\x7f", "ukjend (kapasitans kondensator 2 har eit ukjent teikn rett etter talet)"},
        {"1 1,x\n", "ukjend (kapasitans kondensator 2 har ',' rett etter talet)"},
        {"1 1 8 5mV\n", "ukjend (sluttspenning har 'm' rett etter talet; bruk e-3 for milli)"},
        {"1 1e-10 10 1\n", "over 5"},
    };
    for (const auto& [input, result] : cases) {
        std::istringstream in(input);
        std::ostringstream out;
        kondensator::run_dialogue(in, out, 5, nullptr, kondensator::WrittenForm::nynorsk);
        EXPECT_EQ(out.str(), transcript::in_nynorsk(result)) << input;
    }
}

// The page's output, which delivers only what was flushed, and input that
// notes what had been delivered whenever a character is read.
struct Delivered {
    std::string text;
    static void append(void* self, const char* data, int size) {
        static_cast<Delivered*>(self)->text.append(data, static_cast<std::size_t>(size));
    }
};

class WatchingInput : public std::streambuf {
public:
    WatchingInput(std::string text, const Delivered& output) : text_(std::move(text)), output_(output) {}
    std::vector<std::string> seen;  // the flushed output at each character read

private:
    int_type underflow() override {
        return position_ < text_.size() ? traits_type::to_int_type(text_[position_]) : traits_type::eof();
    }
    int_type uflow() override {
        seen.push_back(output_.text);
        const int_type c = underflow();
        ++position_;
        return c;
    }
    std::string text_;
    std::size_t position_ = 0;
    const Delivered& output_;
};

// What the page hears beside the text: the values, the answer, how far a
// long count has come, and that the closing wait takes its key, once the
// whole output is there.
struct Report : kondensator::DialogueReport {
    explicit Report(const Delivered* output = nullptr) : output(output) {}
    void values_read(double c1, double c2, double v1, double vend) override {
        std::ostringstream text;
        text << "values " << c1 << " " << c2 << " " << v1 << " " << vend;
        heard.push_back(text.str());
    }
    void answered(const kondensator::DischargeCount& count) override {
        heard.push_back("answer " + std::to_string(static_cast<int>(count.kind)) + " " + std::to_string(count.count));
    }
    void discharged(std::int32_t count) override { heard.push_back("progress " + std::to_string(count)); }
    void unread(std::string_view text) override { heard.push_back("unread " + std::string(text)); }
    void awaiting_key() override { heard.push_back("key" + (output ? " " + output->text : "")); }
    const Delivered* output;
    std::vector<std::string> heard;
};

TEST(Dialogue, TellsThePageTheValuesTheAnswerAndTheClosingWait) {
    using Heard = std::vector<std::string>;
    const std::pair<std::string, Heard> cases[] = {
        {"1 1 8 1\n\n", {"values 1 1 8 1", "answer 0 4", "key"}},
        {"1 0 5 1\n", {"values 1 0 5 1", "answer 1 1", "key"}},
        {"1 1e-10 10 1\n", {"values 1 1e-10 10 1", "answer 2 2147483647", "key"}},
        {"1,5\n", {"unread ukjent (kapasitans kondensator 1 har desimalkomma; bruk punktum)", "key"}},
        {"1 1 8 5mV\n", {"unread ukjent (sluttspenning har 'm' rett etter tallet; bruk e-3 for milli)", "key"}},
        {"", {"unread ukjent (kapasitans kondensator 1 mangler)", "key"}},
    };
    for (const auto& [input, heard] : cases) {
        std::istringstream in(input);
        std::ostringstream out;
        Report report;
        kondensator::run_dialogue(in, out, kondensator::kMaxDischarges, &report);
        EXPECT_EQ(report.heard, heard) << input;
    }
    // A long count says how far it has come, every 2^22 discharges.
    std::istringstream in("1 1e-8 2.718281828 1\n");
    std::ostringstream out;
    Report report;
    kondensator::run_dialogue(in, out, kondensator::kMaxDischarges, &report);
    ASSERT_EQ(report.heard.size(), 3u + 100000002 / (1 << 22));
    EXPECT_EQ(report.heard[1], "progress 4194304");
    EXPECT_EQ(report.heard[report.heard.size() - 3], "progress " + std::to_string(23 * (1 << 22)));
}

TEST(Dialogue, FlushesBeforeEveryReadToThePage) {
    Delivered delivered;
    kondensator::PageOutput output_buffer(Delivered::append, &delivered);
    WatchingInput input_buffer("1\n1\n8\n1\nx", delivered);
    std::istream in(&input_buffer);
    std::ostream out(&output_buffer);
    Report report(&delivered);
    kondensator::run_dialogue(in, out, kondensator::kMaxDischarges, &report);
    EXPECT_EQ(report.heard.back(), "key " + transcript::of("4"));

    const std::string full = transcript::of("4");
    std::vector<std::string> expected;
    std::size_t prompt_end = 0;
    for (int prompt = 0; prompt < 4; ++prompt) {
        prompt_end = full.find(": ", prompt_end) + 2;
        expected.push_back(full.substr(0, prompt_end));  // the value
        expected.push_back(full.substr(0, prompt_end));  // the line end, looked at to end the value
    }
    expected.push_back(full);  // the key of the closing wait
    EXPECT_EQ(input_buffer.seen, expected);
}

}  // namespace
