// Times the program's discharge loop on one input of each kind against the
// floor of its dependency chain: a bare dependent multiply and FMA,
// v = fma(c1 * v, r, t), the least a discharge with a prepared reciprocal can
// cost, over the same number of steps; for subnormal voltages, whose chain
// rounds onto their grid, a bare FMA, FMA and addition. Also times a bare dependent multiply
// and divide, v = c1 * v / d, the plain way of discharging, and against it the
// plain loop, which runs where there is no FMA (and in WebAssembly), on the
// decay and the subnormal decay. Prints the ratios of the median times, one
// input a line.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "discharge/count.hpp"
#include "discharge/kernels.hpp"
#include "platform.hpp"

namespace {

struct Input {
    const char* name;
    double c1, c2, v1, vend;
    std::int32_t discharges;
};

// Each takes about 10^8 discharges.
constexpr Input kInputs[] = {
    {"decay", 1, 1e-8, 2.718281828, 1, 100000002},
    {"sign_flips", 1, -1.99999998, 1, -7.389056, 99999999},
    {"scaled_by_2^-1000", 1, 1e-8, 2.5368735349108243e-301, 9.332636185032189e-302, 100000002},
    {"subnormal", 1, 1e-8, 2e-308, 7.357588823428847e-309, 100000001},
};

// The values, as the compiler cannot see through them.
template <class T>
T opaque(T value) {
    benchmark::DoNotOptimize(value);
    return value;
}

void report_time_per_step(benchmark::State& state, std::int64_t steps) {
    state.counters["s_per_step"] = benchmark::Counter(
        static_cast<double>(steps), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

KONDENSATOR_FMA_TARGET double multiply_fma_steps(double c1, double v, double r, double t, std::int64_t steps) {
    for (std::int64_t i = 0; i < steps; ++i) v = std::fma(c1 * v, r, t);
    return v;
}

// The chain of a subnormal discharge: the product of the voltage's grid
// value x - 1, the quotient, and the rounding onto the grid, x = q + 1. Here
// x goes to 1.5 and stays there, well inside the normal range.
KONDENSATOR_FMA_TARGET double fma_fma_add_steps(double a, double x, double r, double t, double one, std::int64_t steps) {
    for (std::int64_t i = 0; i < steps; ++i) x = std::fma(std::fma(a, x, -a), r, t) + one;
    return x;
}

void subnormal_floor_loop(benchmark::State& state, const Input& input) {
    if (!kondensator::fma_in_hardware()) {
        state.SkipWithError("no FMA on this processor");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(fma_fma_add_steps(opaque(1.0), opaque(1.0), opaque(0.5), opaque(0.25), opaque(1.0),
                                                   opaque(input).discharges));
    }
    report_time_per_step(state, input.discharges);
}

void floor_loop(benchmark::State& state, const Input& input) {
    if (!kondensator::fma_in_hardware()) {
        state.SkipWithError("no FMA on this processor");
        return;
    }
    for (auto _ : state) {
        const Input in = opaque(input);
        benchmark::DoNotOptimize(multiply_fma_steps(in.c1, in.v1, 1 / (in.c1 + in.c2), opaque(0.0), in.discharges));
    }
    report_time_per_step(state, input.discharges);
}

void bare_multiply_divide(benchmark::State& state, const Input& input) {
    for (auto _ : state) {
        const Input in = opaque(input);
        const double d = in.c1 + in.c2;
        double v = in.v1;
        for (std::int64_t i = 0; i < in.discharges; ++i) v = in.c1 * v / d;
        benchmark::DoNotOptimize(v);
    }
    report_time_per_step(state, input.discharges);
}

void program_loop(benchmark::State& state, const Input& input) {
    for (auto _ : state) {
        const Input in = opaque(input);
        const auto result = kondensator::count_discharges(in.c1, in.c2, in.v1, in.vend);
        if (result.count != input.discharges) state.SkipWithError("unexpected number of discharges");
        benchmark::DoNotOptimize(result);
    }
    report_time_per_step(state, input.discharges);
}

void plain_loop(benchmark::State& state, const Input& input) {
    for (auto _ : state) {
        const Input in = opaque(input);
        const auto run = kondensator::run_discharges(in.c1, in.c2, in.v1, in.vend, kondensator::kMaxDischarges,
                                                     kondensator::DischargeKernel::plain);
        if (run.result.count != input.discharges) state.SkipWithError("unexpected number of discharges");
        benchmark::DoNotOptimize(run);
    }
    report_time_per_step(state, input.discharges);
}

void register_benchmarks() {
    const auto add = [](const std::string& name, void (*run)(benchmark::State&, const Input&), const Input& input) {
        benchmark::RegisterBenchmark(name.c_str(), run, input)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly();
    };
    add("floor/decay", floor_loop, kInputs[0]);
    add("floor/subnormal", subnormal_floor_loop, kInputs[3]);
    add("bare_multiply_divide/decay", bare_multiply_divide, kInputs[0]);
    for (const Input& input : kInputs) add(std::string("program/") + input.name, program_loop, input);
    add("plain/decay", plain_loop, kInputs[0]);
    add("plain/subnormal", plain_loop, kInputs[3]);
}

// Keeps the median time of each benchmark to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }
    // Every input has about the same number of discharges as the decay,
    // whose floor loops are timed; the ratio is scaled to the input's own
    // count. Without an FMA there is no multiply-FMA floor.
    void print_ratios() const {
        const auto per_step = [&](const char* name, std::int32_t discharges) {
            const auto found = medians_.find(name);
            return found == medians_.end() ? NAN : found->second / discharges;
        };
        const double floor_per_step = per_step("floor/decay", kInputs[0].discharges);
        const double divide_per_step = per_step("bare_multiply_divide/decay", kInputs[0].discharges);
        if (!std::isnan(floor_per_step)) {
            std::printf("bare multiply-divide / floor: %.3f\n", divide_per_step / floor_per_step);
            for (const Input& input : kInputs) {
                const std::string name = std::string("program/") + input.name;
                std::printf("%s / floor: %.3f\n", input.name, per_step(name.c_str(), input.discharges) / floor_per_step);
            }
            std::printf("subnormal / its floor (FMA, FMA, addition): %.3f\n",
                        per_step("program/subnormal", kInputs[3].discharges) /
                            per_step("floor/subnormal", kInputs[3].discharges));
        }
        const double plain_per_step = per_step("plain/decay", kInputs[0].discharges);
        std::printf("plain decay / bare multiply-divide: %.3f\n", plain_per_step / divide_per_step);
        std::printf("plain subnormal / plain decay: %.3f\n",
                    per_step("plain/subnormal", kInputs[3].discharges) / plain_per_step);
    }

private:
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    register_benchmarks();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios();
    benchmark::Shutdown();
    return 0;
}
