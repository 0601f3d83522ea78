// Compares one discharge of the program's loop with a bare dependent multiply
// and divide on doubles, v = c1 * v / d, and with a bare dependent multiply and
// FMA, v = fma(c1 * v, r, t), the least a discharge with a prepared reciprocal
// can cost, over the same number of steps; prints the ratios of the times.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "discharge.hpp"
#include "discharge_kernels.hpp"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(__FMA__)
#define BENCH_FMA_TARGET __attribute__((target("fma")))
#else
#define BENCH_FMA_TARGET
#endif

namespace {

// 100000002 discharges: the voltage shrinks by a factor 1 / (1 + 1e-8).
struct Inputs {
    double c1 = 1.0;
    double c2 = 1e-8;
    double v1 = 2.718281828;
    double vend = 1.0;
    double addend = 0.0;  // of the bare multiply-FMA
};
constexpr std::int64_t kSteps = 100000002;

// The inputs, as values the compiler cannot see through.
Inputs opaque_inputs() {
    Inputs inputs;
    benchmark::DoNotOptimize(inputs);
    return inputs;
}

void report_time_per_step(benchmark::State& state) {
    state.counters["s_per_step"] = benchmark::Counter(
        static_cast<double>(kSteps),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void bare_multiply_divide(benchmark::State& state) {
    for (auto _ : state) {
        const Inputs in = opaque_inputs();
        const double d = in.c1 + in.c2;
        double v = in.v1;
        for (std::int64_t i = 0; i < kSteps; ++i) v = in.c1 * v / d;
        benchmark::DoNotOptimize(v);
    }
    report_time_per_step(state);
}

BENCH_FMA_TARGET double multiply_fma_steps(double c1, double v, double r, double t) {
    for (std::int64_t i = 0; i < kSteps; ++i) v = std::fma(c1 * v, r, t);
    return v;
}

void bare_multiply_fma(benchmark::State& state) {
    if (!kondensator::fma_discharges_available()) {
        state.SkipWithError("no FMA on this processor");
        return;
    }
    for (auto _ : state) {
        const Inputs in = opaque_inputs();
        benchmark::DoNotOptimize(multiply_fma_steps(in.c1, in.v1, 1 / (in.c1 + in.c2), in.addend));
    }
    report_time_per_step(state);
}

void program_discharge_loop(benchmark::State& state) {
    for (auto _ : state) {
        const Inputs in = opaque_inputs();
        const auto result = kondensator::count_discharges(in.c1, in.c2, in.v1, in.vend);
        if (result.count != kSteps) state.SkipWithError("unexpected number of discharges");
        benchmark::DoNotOptimize(result);
    }
    report_time_per_step(state);
}

BENCHMARK(bare_multiply_divide)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(bare_multiply_fma)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(program_discharge_loop)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// Keeps the median time of each benchmark to print their ratio at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }
    void print_ratio(const char* baseline, const char* label) const {
        const auto bare = medians_.find(baseline);
        const auto loop = medians_.find("program_discharge_loop");
        if (bare == medians_.end() || loop == medians_.end()) return;
        std::printf("discharge loop / %s (medians): %.3f\n", label, loop->second / bare->second);
    }

private:
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("bare_multiply_divide", "bare multiply-divide");
    reporter.print_ratio("bare_multiply_fma", "bare multiply-FMA");
    benchmark::Shutdown();
    return 0;
}
