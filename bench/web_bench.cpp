// The program's discharge loop as the web build runs it, for web_bench.mjs:
// the script times count_discharges on the benchmark's decay input from
// JavaScript, under node and in a browser, and the page's sampling of the
// same run against it.
#include <emscripten.h>

#include "discharge/count.hpp"
#include "discharge/samples.hpp"

extern "C" EMSCRIPTEN_KEEPALIVE int web_bench_count(double c1, double c2, double v1, double vend) {
    return kondensator::count_discharges(c1, c2, v1, vend).count;
}

// The voltages the page's panel shows of a run of `count` discharges: how
// many it found.
extern "C" EMSCRIPTEN_KEEPALIVE int web_bench_sample(double c1, double c2, double v1, double vend, int count) {
    return static_cast<int>(kondensator::sample_discharges(c1, c2, v1, vend, kondensator::sample_plan(count)).size());
}
