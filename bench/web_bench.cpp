// The program's discharge loop as the web build runs it, for web_bench.mjs:
// the script times count_discharges on the benchmark's decay input from
// JavaScript, under node and in a browser, alone and as the page's program
// runs it, keeping the voltages the page shows as it goes.
#include <emscripten.h>

#include "discharge/count.hpp"
#include "discharge/samples.hpp"

extern "C" EMSCRIPTEN_KEEPALIVE int web_bench_count(double c1, double c2, double v1, double vend) {
    return kondensator::count_discharges(c1, c2, v1, vend).count;
}

// The count as the page's program makes it: how many voltages it shows.
extern "C" EMSCRIPTEN_KEEPALIVE int web_bench_count_and_keep(double c1, double c2, double v1, double vend) {
    kondensator::SampleLog log(kondensator::kMaxDischarges);
    const std::int32_t count = kondensator::count_discharges(c1, c2, v1, vend, kondensator::kMaxDischarges, nullptr, &log).count;
    return static_cast<int>(log.shown(count).size());
}
