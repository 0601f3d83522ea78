// The program in a web page: the dialogue reads what the page sends and hands
// what it writes back to the page. The page (or the test runner under node)
// gives the module these functions: readInput(capacity), a promise of at
// most capacity bytes, none at the end of the input; writeOutput(bytes);
// valuesRead(c1, c2, v1, vend) and answered(kind, count), where the dialogue
// read four values and counted; discharged(count), now and then during a
// long count; awaitingKey(), called as the program waits for its closing
// key; and ended(status), called once the program has ended.
//
// The same module, made without running the dialogue, samples the voltages
// of a run the dialogue counted, for the page's table and chart:
// sample_run() hands each to sampled(n, voltage), and says how far it has
// come to discharged(count).
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
    Module.awaitingKey();
});

EM_JS(void, report_values, (double c1, double c2, double v1, double vend), {
    Module.valuesRead(c1, c2, v1, vend);
});

EM_JS(void, report_answer, (int kind, int count), {
    Module.answered(kind, count);
});

EM_JS(void, report_progress, (int count), {
    Module.discharged(count);
});

EM_JS(void, report_sample, (int n, double voltage), {
    Module.sampled(n, voltage);
});

// main returns to the runtime each time the program waits for input, so its
// last return says nothing by itself; the page hears of the end from here.
EM_JS(void, report_end, (int status), {
    Module.ended(status);
});

class PageReport : public kondensator::DialogueReport {
public:
    void values_read(double c1, double c2, double v1, double vend) override { report_values(c1, c2, v1, vend); }
    // kind: 0 fell below, 1 never falls, 2 over the limit.
    void answered(const kondensator::DischargeCount& count) override {
        report_answer(static_cast<int>(count.kind), count.count);
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
    for (const kondensator::Sample& sample : kondensator::sample_discharges(c1, c2, v1, vend, plan, &report)) {
        report_sample(sample.n, sample.voltage);
    }
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
