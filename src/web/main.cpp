// The program in a web page: the dialogue reads what the page sends and hands
// what it writes back to the page. The page's worker (or the test runner
// under node) gives the module readInput(capacity), a promise of at most
// capacity bytes, none at the end of the input; writeOutput(bytes); form,
// the written form of the page's reader ('nb' or 'nn'); wanted(c1, c2, v1,
// vend, limit), the discharge whose voltage the page wants besides (the
// formula's count, or 0); and report(type, ...fields), which sends the page the
// message of that type (src/web/protocol.js names them and their fields).
// The answer carries the voltages the count kept on its way, for the page's
// table and chart.
#include <emscripten.h>

#include <array>
#include <istream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string_view>

#include "dialogue.hpp"
#include "discharge/samples.hpp"
#include "web/page_output.hpp"
#include "words.hpp"

namespace {

// Waits, without blocking the page's worker, until the page sends input.
EM_ASYNC_JS(int, read_from_page, (char* buffer, int capacity), {
    const bytes = await Module.readInput(capacity);
    HEAPU8.set(bytes, buffer);
    return bytes.length;
});

EM_JS(void, write_to_page, (const char* data, int size), {
    Module.writeOutput(HEAPU8.slice(data, data + size));
});

EM_JS(void, report_awaiting_key, (), {
    Module.report('awaitingKey');
});

EM_JS(void, report_values, (double c1, double c2, double v1, double vend, int limit), {
    Module.report('values', c1, c2, v1, vend, limit);
});

EM_JS(int, page_form_is_nynorsk, (), {
    return Module.form === 'nn';
});

EM_JS(int, wanted_discharge, (double c1, double c2, double v1, double vend, int limit), {
    return Module.wanted(c1, c2, v1, vend, limit);
});

EM_JS(void, report_unread, (const char* text, int size), {
    Module.report('unread', UTF8ToString(text, size));
});

EM_JS(void, report_progress, (int count), {
    Module.report('progress', count);
});

EM_JS(void, begin_samples, (), {
    Module.samples = [];
});

EM_JS(void, add_sample, (int n, double voltage), {
    Module.samples.push([n, voltage]);
});

EM_JS(void, report_answer, (const char* kind, int count, const char* proof), {
    Module.report('answer', UTF8ToString(kind), count, Module.samples, UTF8ToString(proof));
});

// main returns to the runtime each time the program waits for input, so its
// last return says nothing by itself; the page hears of the end from here.
EM_JS(void, report_end, (int status), {
    Module.report('exit', status);
});

// The names by which the page knows how a count ended, and which bound
// gave its answer without running.
constexpr const char* kind_name(kondensator::DischargeCount::Kind kind) {
    switch (kind) {
        case kondensator::DischargeCount::Kind::fell_below:
            return "fell";
        case kondensator::DischargeCount::Kind::never_falls:
            return "never";
        case kondensator::DischargeCount::Kind::limit_exceeded:
            return "over";
    }
    return "";
}

constexpr const char* proof_name(kondensator::LimitProof proof) {
    switch (proof) {
        case kondensator::LimitProof::none:
            return "";
        case kondensator::LimitProof::ratio:
            return "ratio";
        case kondensator::LimitProof::doubles_passed:
            return "doubles";
    }
    return "";
}

class PageReport : public kondensator::DialogueReport {
public:
    void values_read(double c1, double c2, double v1, double vend) override {
        log_.emplace(kondensator::kMaxDischarges, wanted_discharge(c1, c2, v1, vend, kondensator::kMaxDischarges));
        report_values(c1, c2, v1, vend, kondensator::kMaxDischarges);
    }
    kondensator::SampleLog* sample_log() override { return log_ ? &*log_ : nullptr; }
    void answered(const kondensator::DischargeCount& count) override {
        begin_samples();
        for (const kondensator::Sample& sample : log_->shown(count.count)) add_sample(sample.n, sample.voltage);
        report_answer(kind_name(count.kind), count.count, proof_name(log_->proof()));
    }
    void unread(std::string_view text) override { report_unread(text.data(), static_cast<int>(text.size())); }
    void discharged(std::int32_t count) override { report_progress(count); }
    void awaiting_key() override { report_awaiting_key(); }

private:
    std::optional<kondensator::SampleLog> log_;
};

class PageInput : public std::streambuf {
private:
    int_type underflow() override {
        const int count = read_from_page(buffer_.data(), static_cast<int>(buffer_.size()));
        if (count <= 0) return traits_type::eof();
        setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
        return traits_type::to_int_type(buffer_[0]);
    }
    std::array<char, 4096> buffer_{};
};

}  // namespace

int main() {
    PageInput input_buffer;
    kondensator::PageOutput output_buffer([](void*, const char* data, int size) { write_to_page(data, size); },
                                          nullptr);
    std::istream in(&input_buffer);
    std::ostream out(&output_buffer);
    PageReport report;
    const auto form = page_form_is_nynorsk() ? kondensator::WrittenForm::nynorsk : kondensator::WrittenForm::bokmal;
    const int status = kondensator::run_dialogue(in, out, kondensator::kMaxDischarges, &report, form);
    out.flush();
    report_end(status);
    return status;
}
