#include "discharge/samples.hpp"

#include <algorithm>
#include <cmath>

namespace kondensator {

SampleLog::SampleLog(std::int32_t limit, std::int32_t wanted) : limit_(limit), wanted_(wanted) {
    for (std::int32_t n = 1; n <= limit && n <= kFirst; ++n) plan_.push_back(n);
    // A 64th of the way so far: some 1200 discharges up to 2^31, the chart's
    // points a few times over; each with the one before, so that the energy
    // a discharge loses is known from the voltage before it.
    for (std::int64_t n = kFirst + 1; n <= limit; n += std::max<std::int64_t>(1, n / 64)) {
        plan_.push_back(static_cast<std::int32_t>(n - 1));
        plan_.push_back(static_cast<std::int32_t>(n));
    }
    const auto add = [&](std::int64_t n) {
        if (n >= 1 && n <= limit) plan_.push_back(static_cast<std::int32_t>(n));
    };
    for (std::int64_t back = 0; back < kLast; ++back) add(std::int64_t{limit} - back);
    if (wanted > 0) {
        for (const int step : {-1, 0, 1}) add(std::int64_t{wanted} + step);
    }
    std::sort(plan_.begin(), plan_.end());
    plan_.erase(std::unique(plan_.begin(), plan_.end()), plan_.end());
}

std::int64_t SampleLog::next_after(std::int64_t n) const noexcept {
    const auto next = std::upper_bound(plan_.begin(), plan_.end(), n);
    return next == plan_.end() ? std::int64_t{limit_} + 1 : *next;
}

void SampleLog::keep(std::int32_t n, double voltage) {
    if (kept_.empty() || kept_.back().n < n) kept_.push_back({n, voltage});
}

std::vector<Sample> SampleLog::shown(std::int32_t count, int spread) const {
    // The others fall into `spread` buckets of equal width in log n, strictly
    // between the first and the last ones; the first in each that was kept
    // with the one before it is shown, with that one.
    const double low = std::log(static_cast<double>(kFirst));
    const double width = (std::log(static_cast<double>(count - kLast + 1)) - low) / spread;
    std::vector<Sample> shown;
    std::int64_t last_bucket = -1;
    for (std::size_t i = 0; i < kept_.size() && kept_[i].n <= count; ++i) {
        const Sample& sample = kept_[i];
        const bool always = sample.n <= kFirst || sample.n > count - kLast ||
                            (wanted_ > 0 && std::abs(std::int64_t{sample.n} - wanted_) <= 1);
        if (!always) {
            // Only a discharge kept with the one before it, and the first of its bucket.
            const bool pair = i > 0 && kept_[i - 1].n == sample.n - 1;
            const auto bucket = static_cast<std::int64_t>((std::log(static_cast<double>(sample.n)) - low) / width);
            if (!pair || bucket == last_bucket) continue;
            last_bucket = bucket;
            if (shown.empty() || shown.back().n != sample.n - 1) shown.push_back(kept_[i - 1]);
        }
        shown.push_back(sample);
    }
    return shown;
}

}  // namespace kondensator
