#pragma once

// The voltages a run of discharges passes through, for the page that shows
// a run to a class: taken from the count's own loop, so that each is the
// voltage the count had after that discharge, to the bit.

#include <cstdint>
#include <vector>

#include "discharge/count.hpp"

namespace kondensator {

struct Sample {
    std::int32_t n;  // the discharge after which
    double voltage;  // capacitor 1 holds this voltage

    friend bool operator==(const Sample&, const Sample&) = default;
};

// The discharges to show of a run of `count`: each up to 12, the last 3, up
// to `spread` more spread evenly over log n between them, and `extra` ones
// (those beyond the run left out), in order, each once.
[[nodiscard]] std::vector<std::int32_t> sample_plan(std::int32_t count, const std::vector<std::int32_t>& extra = {},
                                                    int spread = 400);

// The voltage after each discharge of `plan` (ascending), as far as the run
// goes; `progress`, where given, hears how far a long run has come.
[[nodiscard]] std::vector<Sample> sample_discharges(double c1, double c2, double v1, double vend,
                                                    const std::vector<std::int32_t>& plan,
                                                    Progress* progress = nullptr);

}  // namespace kondensator
