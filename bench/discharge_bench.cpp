// Compares one discharge of the program's loop with a bare dependent multiply
// and divide on doubles, v = c1 * v / d, over the same number of steps, and
// prints the ratio of the two times per step.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "discharge.hpp"

namespace {

// 100000002 discharges: the voltage shrinks by a factor 1 / (1 + 1e-8).
struct Inputs {
    double c1 = 1.0;
    double c2 = 1e-8;
    double v1 = 2.718281828;
    double vend = 1.0;
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
    void print_ratio() const {
        const auto bare = medians_.find("bare_multiply_divide");
        const auto loop = medians_.find("program_discharge_loop");
        if (bare == medians_.end() || loop == medians_.end()) return;
        std::printf("discharge loop / bare multiply-divide (medians): %.3f\n", loop->second / bare->second);
    }

private:
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio();
    benchmark::Shutdown();
    return 0;
}
