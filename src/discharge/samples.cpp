#include "discharge/samples.hpp"

#include <algorithm>
#include <cmath>

#include "discharge/kernels.hpp"

namespace kondensator {

std::vector<std::int32_t> sample_plan(std::int32_t count, const std::vector<std::int32_t>& extra, int spread) {
    constexpr std::int32_t kFirst = 12;
    constexpr std::int32_t kLast = 3;
    std::vector<std::int32_t> plan;
    for (std::int32_t n = 1; n <= std::min(count, kFirst); ++n) plan.push_back(n);
    for (std::int32_t back = kLast - 1; back >= 0; --back) {
        if (count - back > kFirst) plan.push_back(count - back);
    }
    // Evenly over log n, strictly between the first and the last ones.
    const double low = std::log(static_cast<double>(kFirst));
    const double high = std::log(static_cast<double>(count - kLast + 1));
    for (int k = 1; k <= spread && high > low; ++k) {
        const auto n = static_cast<std::int32_t>(std::lround(std::exp(low + (high - low) * k / (spread + 1))));
        if (n > kFirst && n <= count - kLast) plan.push_back(n);
    }
    for (const std::int32_t n : extra) {
        if (n >= 1 && n <= count) plan.push_back(n);
    }
    std::sort(plan.begin(), plan.end());
    plan.erase(std::unique(plan.begin(), plan.end()), plan.end());
    return plan;
}

std::vector<Sample> sample_discharges(double c1, double c2, double v1, double vend,
                                      const std::vector<std::int32_t>& plan, Progress* progress) {
    DischargeRunner runner(c1, c2, v1, vend, fastest_discharge_kernel(), progress);
    std::vector<Sample> samples;
    for (const std::int32_t n : plan) {
        const DischargeRun run = runner.run(n);
        if (run.result.count != n) break;
        samples.push_back({n, run.voltage});
    }
    return samples;
}

}  // namespace kondensator
