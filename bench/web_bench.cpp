// The program's discharge loop as the web build runs it, for web_bench.mjs:
// the script times count_discharges on the benchmark's decay input from
// JavaScript, under node and in a browser.
#include <emscripten.h>

#include "discharge/count.hpp"

extern "C" EMSCRIPTEN_KEEPALIVE int web_bench_count(double c1, double c2, double v1, double vend) {
    return kondensator::count_discharges(c1, c2, v1, vend).count;
}
