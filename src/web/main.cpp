// The program in a web page: the dialogue reads what the page sends and hands
// what it writes back to the page. The page's worker (or the test runner
// under node) gives the module readInput(capacity), a promise of at most
// capacity bytes, none at the end of the input; writeOutput(bytes); and
// report(type, ...fields), which sends the page the message of that type
// (src/web/protocol.js names them and their fields).
//
// The same module, made without running the dialogue, samples the voltages
// of a run the dialogue counted, for the page's table and chart:
// sample_run() reports them as one 'samples' message, and how far it has
// come as 'progress'.
#include <emscripten.h>

#include <array>
#include <istream>
#include <ostream>
#include <streambuf>

#include "dialogue.hpp"
#include "discharge/samples.hpp"
#include "web/page_output.hpp"

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

EM_JS(void, report_answer, (const char* kind, int count), {
    Module.report('answer', UTF8ToString(kind), count);
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

EM_JS(void, report_samples, (), {
    Module.report('samples', Module.samples);
});

// main returns to the runtime each time the program waits for input, so its
// last return says nothing by itself; the page hears of the end from here.
EM_JS(void, report_end, (int status), {
    Module.report('exit', status);
});

// The names by which the page knows how a count ended.
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

class PageReport : public kondensator::DialogueReport {
public:
    void values_read(double c1, double c2, double v1, double vend) override {
        report_values(c1, c2, v1, vend, kondensator::kMaxDischarges);
    }
    void answered(const kondensator::DischargeCount& count) override {
        report_answer(kind_name(count.kind), count.count);
    }
    void discharged(std::int32_t count) override { report_progress(count); }
    void awaiting_key() override { report_awaiting_key(); }
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

// The voltages of the run of `count` discharges from these values, at the
// discharges the page shows, and around `formula`, the count the page's
// formula gives.
extern "C" EMSCRIPTEN_KEEPALIVE void sample_run(double c1, double c2, double v1, double vend, int count, int formula) {
    PageReport report;  // of which only the progress is heard here
    const auto plan = kondensator::sample_plan(count, {formula - 1, formula, formula + 1});
    begin_samples();
    for (const kondensator::Sample& sample : kondensator::sample_discharges(c1, c2, v1, vend, plan, &report)) {
        add_sample(sample.n, sample.voltage);
    }
    report_samples();
}

int main() {
    PageInput input_buffer;
    kondensator::PageOutput output_buffer([](void*, const char* data, int size) { write_to_page(data, size); },
                                          nullptr);
    std::istream in(&input_buffer);
    std::ostream out(&output_buffer);
    PageReport report;
    const int status = kondensator::run_dialogue(in, out, kondensator::kMaxDischarges, &report);
    out.flush();
    report_end(status);
    return status;
}
