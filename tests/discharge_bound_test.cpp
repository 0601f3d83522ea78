// The early answer against the discharges carried out, with the count limit a
// parameter so that the discharges can be carried out to the end.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>

#include "discharge.hpp"
#include "discharge_bound.hpp"

namespace {

using kondensator::DischargeCount;

// Inputs whose discharges would end after about `limit + offset` discharges:
// by falling below a positive vend, or, with vend at or below zero, by
// reaching the subnormals, where the voltage soon repeats.
struct Input {
    double c1, c2, v1, vend;
};

enum class Ending { below_vend, subnormal_positive, subnormal_negative };

Input input_ending_near(std::mt19937_64& random, Ending ending, std::int32_t limit, double offset) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // The logarithm of the voltage shrinks by 1e-3 to 500 over `limit` discharges.
    const double lambda = std::exp(std::log(1e-3 / limit) + unit(random) * std::log(5e5));
    const double sign = random() % 4 == 0 ? -1.0 : 1.0;  // both capacitances negative
    const double c1 = sign * std::ldexp(1 + unit(random), static_cast<int>(random() % 100) - 50);
    const double c2 = c1 * std::expm1(lambda);
    const double drop = (limit + offset) * std::log1p(c2 / c1);  // ln |v1| - ln |v_n|
    switch (ending) {
        case Ending::below_vend: {
            const double v1 = std::ldexp(1 + unit(random), static_cast<int>(random() % 200));
            return {c1, c2, v1, v1 * std::exp(-drop)};
        }
        case Ending::subnormal_positive:
            return {c1, c2, DBL_MIN * std::exp(drop), random() % 2 ? 0.0 : -1.0};
        case Ending::subnormal_negative:
            break;
    }
    const double v1 = -DBL_MIN * std::exp(drop);
    return {c1, c2, v1, random() % 2 ? -HUGE_VAL : v1 * 2};
}

TEST(DischargeBound, EarlyAnswerOnlyWhereTheDischargesReachTheLimit) {
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int far_beyond = 0, answered_early = 0;
    for (int i = 0; i < 300; ++i) {
        // Near the subnormals only the exact step discharges exactly, so
        // those inputs get the smaller limits.
        const auto ending = static_cast<Ending>(i / 3 % 3);
        const double most = ending == Ending::below_vend ? 1e6 : 2e4;
        const auto limit = static_cast<std::int32_t>(std::exp(std::log(1e3) + unit(random) * std::log(most / 1e3)));
        // A third of the inputs end within a few discharges of the limit,
        // the others far before or far beyond it.
        const double offset = i % 3 == 0 ? static_cast<double>(random() % 11) - 5
                                         : (unit(random) - 0.5) * 0.5 * limit;
        const Input in = input_ending_near(random, ending, limit, offset);
        SCOPED_TRACE(testing::Message() << std::hexfloat << in.c1 << ", " << in.c2 << ", " << in.v1 << ", "
                                        << in.vend << " limit " << limit << " offset " << offset);
        const bool early = kondensator::bounds_prove_limit_reached(in.c1, in.c2, in.v1, in.vend, limit);
        const DischargeCount carried_out =
            kondensator::run_discharges(in.c1, in.c2, in.v1, in.vend, limit, kondensator::fastest_discharge_kernel())
                .result;
        if (early) {
            EXPECT_EQ(carried_out, (DischargeCount{DischargeCount::Kind::limit_exceeded, limit}));
        }
        if (offset > 0.05 * limit) {
            ++far_beyond;
            answered_early += early;
        }
    }
    std::cout << answered_early << " of " << far_beyond << " inputs far beyond the limit answered early\n";
    EXPECT_GT(far_beyond, 50);
    EXPECT_GE(answered_early, far_beyond * 9 / 10);
}

// The limit itself: a run that ends exactly at the limit is not beyond it.
TEST(DischargeBound, BoundaryOfTheLimit) {
    struct Case { double c1, c2, v1, vend; std::int32_t count; };
    const Case cases[] = {{1, 1, 8, 1, 4}, {1e-4, 1e-5, 12, 5, 10}, {1, 1e-3, 1e3, 1e-3, 13823}};
    for (const Case& t : cases) {
        for (const std::int32_t limit : {t.count - 1, t.count, t.count + 1}) {
            const DischargeCount expected = limit < t.count
                                                ? DischargeCount{DischargeCount::Kind::limit_exceeded, limit}
                                                : DischargeCount{DischargeCount::Kind::fell_below, t.count};
            EXPECT_EQ(kondensator::count_discharges(t.c1, t.c2, t.v1, t.vend, limit), expected)
                << t.c1 << ", " << t.c2 << ", " << t.v1 << ", " << t.vend << " limit " << limit;
            if (limit >= t.count) {
                EXPECT_FALSE(kondensator::bounds_prove_limit_reached(t.c1, t.c2, t.v1, t.vend, limit));
            }
        }
    }
}

}  // namespace
