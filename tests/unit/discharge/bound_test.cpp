// The early answer against the discharges carried out, with the count limit a
// parameter so that the discharges can be carried out to the end.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>

#include "discharge/bound.hpp"
#include "discharge/count.hpp"
#include "discharge/kernels.hpp"

namespace {

using kondensator::DischargeCount;
using kondensator::LimitProof;

bool bounds_prove_limit_reached(double c1, double c2, double v1, double vend, std::int32_t limit) {
    return kondensator::bound_proving_limit_reached(c1, c2, v1, vend, limit) != LimitProof::none;
}

// One kind of input for each way the magnitude of the voltage can move
// monotonically, with a rough guess of when its discharges end: after
// `drop` = (limit + offset) * l, where l = |ln(c1 / (c1 + c2))|, the voltage
// has moved from v1 to where the discharges stop. `sharp` kinds end where
// the guess says; the others stick near the subnormal level 2^-1075 / l, and
// the bounds keep a factor of a few clear of it.
struct Input {
    double c1, c2, v1, vend;
};

struct Kind {
    const char* name;
    bool sharp;
    double ratio_sign;  // of c1 / (c1 + c2)
    bool grows;
    Input (*make)(double c1, double c2, double drop, double l, double u);
};

double stuck(double l) { return 0x1p-1074 / (2 * l); }

const Kind kKinds[] = {
    {"decay below vend", true, 1, false,
     [](double c1, double c2, double drop, double, double u) {
         const double v1 = std::ldexp(1 + u, static_cast<int>(u * 400) - 200);
         return Input{c1, c2, v1, v1 * std::exp(-drop)};
     }},
    {"decay into the subnormals", false, 1, false,
     [](double c1, double c2, double drop, double l, double u) {
         return Input{c1, c2, stuck(l) * std::exp(drop), u < 0.5 ? 0.0 : -1.0};
     }},
    {"rise of a negative voltage", false, 1, false,
     [](double c1, double c2, double drop, double l, double u) {
         const double v1 = -stuck(l) * std::exp(drop);
         return Input{c1, c2, v1, u < 0.5 ? -HUGE_VAL : 2 * v1};
     }},
    {"sign flips, shrinking", false, -1, false,
     [](double c1, double c2, double drop, double l, double u) {
         const double v1 = (u < 0.5 ? -1 : 1) * stuck(l) * std::exp(drop);
         return Input{c1, c2, v1, u < 0.25 || u > 0.75 ? -HUGE_VAL : -2 * std::fabs(v1)};
     }},
    {"growth to overflow", true, 1, true,
     [](double c1, double c2, double drop, double, double u) {
         const double v1 = DBL_MAX * std::exp(-drop);
         return Input{c1, c2, v1, u < 0.5 ? v1 : -1.0};
     }},
    {"growth of a negative voltage", true, 1, true,
     [](double c1, double c2, double drop, double, double u) {
         const double v1 = -std::ldexp(1 + u, static_cast<int>(u * 400) - 200);
         return Input{c1, c2, v1, v1 * std::exp(drop)};
     }},
    {"sign flips, growing", true, -1, true,
     [](double c1, double c2, double drop, double, double u) {
         const double v1 = std::ldexp(1 + u, static_cast<int>(u * 400) - 200);
         return Input{c1, c2, u < 0.5 ? v1 : -v1, -v1 * std::exp(drop)};
     }},
    {"growth out of the subnormals", false, 1, true,
     [](double c1, double c2, double drop, double l, double u) {
         const double v1 = -std::max(64 * stuck(l), DBL_MIN * std::exp(drop - 700 * u));
         return Input{c1, c2, v1, v1 * std::exp(drop)};
     }},
};

// c1 / (c1 + c2) = ratio_sign * e^(-l) or e^(l), for a c1 of either sign.
std::pair<double, double> capacitances(std::mt19937_64& random, const Kind& kind, double l) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double sign = random() % 4 == 0 ? -1.0 : 1.0;
    const double c1 = sign * std::ldexp(1 + unit(random), static_cast<int>(random() % 100) - 50);
    const double sum = kind.ratio_sign * c1 * std::exp(kind.grows ? -l : l);
    return {c1, sum - c1};
}

TEST(DischargeBound, EarlyAnswerOnlyWhereTheDischargesReachTheLimit) {
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const Kind& kind : kKinds) {
        int far_beyond = 0, answered_early = 0;
        for (int i = 0; i < 60; ++i) {
            const auto limit = static_cast<std::int32_t>(std::exp(std::log(1e3) + unit(random) * std::log(1e3)));
            // A third of the inputs end within a few discharges of the limit,
            // the others far before or far beyond it.
            const double offset = i % 3 == 0 ? static_cast<double>(random() % 11) - 5
                                             : (unit(random) - 0.5) * 0.5 * limit;
            // The logarithm of the voltage moves by up to 500 over `limit`
            // discharges: by 1e-3 at least, or by 20 where the end is not sharp.
            const double least = kind.sharp ? 1e-3 : 20;
            const double l = std::exp(std::log(least / limit) + unit(random) * std::log(500 / least));
            const auto [c1, c2] = capacitances(random, kind, l);
            const Input in = kind.make(c1, c2, (limit + offset) * l, l, unit(random));
            SCOPED_TRACE(testing::Message() << kind.name << ": " << std::hexfloat << in.c1 << ", " << in.c2 << ", "
                                            << in.v1 << ", " << in.vend << " limit " << std::dec << limit
                                            << " offset " << offset);
            const bool early = bounds_prove_limit_reached(in.c1, in.c2, in.v1, in.vend, limit);
            const DischargeCount carried_out =
                kondensator::run_discharges(in.c1, in.c2, in.v1, in.vend, limit,
                                            kondensator::fastest_discharge_kernel())
                    .result;
            if (early) {
                EXPECT_EQ(carried_out, (DischargeCount{DischargeCount::Kind::limit_exceeded, limit}));
            }
            if (offset > 0.05 * limit && (kind.sharp || offset * l > 4)) {
                ++far_beyond;
                answered_early += early;
            }
        }
        std::cout << kind.name << ": " << answered_early << " of " << far_beyond
                  << " inputs far beyond the limit answered early\n";
        EXPECT_GT(far_beyond, 5) << kind.name;
        EXPECT_GE(answered_early, far_beyond * 9 / 10) << kind.name;
    }
}

// The limit itself: a run that ends exactly at the limit is not beyond it.
TEST(DischargeBound, BoundaryOfTheLimit) {
    struct Case { double c1, c2, v1, vend; std::int32_t count; };
    const Case cases[] = {{1, 1, 8, 1, 4},
                          {1e-4, 1e-5, 12, 5, 10},
                          {1, 1e-3, 1e3, 1e-3, 13823},
                          {1e-10, 1, 1e300, 9.9999999420000131e-281, 58},  // rho near 1e-10: ln rho not from s - a
                          // c1 / (c1 + c2) one ulp below 1: one double a discharge.
                          {1, 2.3e-16, 1 + 1000 * 0x1p-52, 1 - 1000 * 0x1p-53, 1501},  // across 1
                          {1, 2.3e-16, 1 + 50000 * 0x1p-52, 1, 50001},
                          {0.7, 1.1102230246251565e-16, 10, 10 - 1000 * 0x1p-49, 1001},  // no double ratio
                          // 10^8 discharges, each within 2^-53 of ln(1 + 1e-9): the budget's 3 u a discharge tells.
                          {1, 1e-9, 1, 0.90483741149938002, 100000000}};
    for (const Case& t : cases) {
        for (const std::int32_t limit : {t.count - 1, t.count, t.count + 1}) {
            const DischargeCount expected = limit < t.count
                                                ? DischargeCount{DischargeCount::Kind::limit_exceeded, limit}
                                                : DischargeCount{DischargeCount::Kind::fell_below, t.count};
            EXPECT_EQ(kondensator::count_discharges(t.c1, t.c2, t.v1, t.vend, limit), expected)
                << t.c1 << ", " << t.c2 << ", " << t.v1 << ", " << t.vend << " limit " << limit;
            if (limit >= t.count) {
                EXPECT_FALSE(bounds_prove_limit_reached(t.c1, t.c2, t.v1, t.vend, limit));
            }
        }
    }
}

// Beyond the count limit by far, with ratios within an ulp or two of 1 or
// -1, in each way the voltage can move: the bounds alone must say so.
TEST(DischargeBound, FarBeyondTheLimitWithRatiosNearOne) {
    const Input inputs[] = {
        {1, 2.3e-16, 10, 1},                         // decay, a double or two a discharge
        {1, 2.3e-16, 1 + 0x1p-21, 1},                // 2^31 doubles to 1, one a discharge
        {1, -1.2e-16, -1, -10},                      // growth of a negative voltage, from a power of two
        {1, -1.9999999999999996, 1, -10},            // sign flips, shrinking
        {1, -2.0000000000000004, -1, -10},           // sign flips, growing
        {1, 4.5e-16, -1e-300, -1},                   // a negative voltage rising towards zero
        {0.9999999999999999, 1.1102230246251565e-16, 10, 1},     // 1 - 2^-53 exactly, as c1 + c2 = 1
        {3.9999999999999996, 4.440892098500626e-16, 4, 1e-300},  // and from the first double of a binade
        {1.0000000000000002, -2.220446049250313e-16, -1, -10},   // 1 + 2^-52 exactly
        // Ratios within ulps of 1 that no double holds, c1 + c2 no power of two.
        {0.7, 1.1102230246251565e-16, 10, 1},                    // decay, one double a discharge at first
        {1e-300, 1.1102230246251565e-316, 1, 0.5},               // the same scaled, c2 subnormal, from 1
        {0.9, 3.3306690738754696e-16, 10, 1},                    // three ulps
        {-0.7, -2.2204460492503131e-16, 10, 1},                  // c1 negative
        {1.3, -4.4408920985006262e-16, -1.3, -10},               // growth of a negative voltage
        {1.1848073281779146e-304, -4.0473857707314917e-320, -1.3, -10},    // and scaled
        {0.7, -1.3999999999999997, 1.3, -10},                    // sign flips, growing
        {1.7, -3.4000000000000004, 10, -20},                     // sign flips, shrinking
        {6.5328453295225317e-302, -1.3065690659045061e-301, 1.3, -10},     // and scaled
        {0.7, -1.1102230246251565e-16, 1.3, 1.3},                // growth from vend itself
    };
    for (const Input& in : inputs) {
        EXPECT_TRUE(bounds_prove_limit_reached(in.c1, in.c2, in.v1, in.vend, kondensator::kMaxDischarges))
            << in.c1 << ", " << in.c2 << ", " << in.v1 << ", " << in.vend;
    }
}

// At the program's limit, one double either side, as the discharges carried out in full answer: seconds each.
TEST(DischargeBound, AtTheProgramsLimitWithRatiosNearOne) {
    const std::pair<Input, DischargeCount::Kind> cases[] = {
        {{1, 2.3e-16, 1.1875004768380673, 1.1875000000009095}, DischargeCount::Kind::fell_below},
        {{1, 2.3e-16, 1.1875004768380675, 1.1875000000009095}, DischargeCount::Kind::limit_exceeded},
        {{-1, 1.9999999999999998, 1, -1.0000004768371578}, DischargeCount::Kind::fell_below},
        {{-1, 1.9999999999999998, 1, -1.000000476837158}, DischargeCount::Kind::limit_exceeded},
        {{0.9999999999999998, 1.1102230246251565e-16, 1.5000004768371575, 0}, DischargeCount::Kind::never_falls},
        {{0.9999999999999998, 1.1102230246251565e-16, 1.5000004768371578, 0}, DischargeCount::Kind::limit_exceeded},
        // One double a discharge from 10 = 10 - n 2^-49 after n, though c1 / (c1 + c2) is no double.
        {{0.7, 1.1102230246251565e-16, 10, 9.9999961853027379}, DischargeCount::Kind::fell_below},
        {{0.7, 1.1102230246251565e-16, 10, 9.9999961853027362}, DischargeCount::Kind::limit_exceeded}};
    for (const auto& [in, kind] : cases) {
        EXPECT_EQ(kondensator::count_discharges(in.c1, in.c2, in.v1, in.vend),
                  (DischargeCount{kind, kondensator::kMaxDischarges}))
            << in.c1 << ", " << in.c2 << ", " << in.v1 << ", " << in.vend;
    }
}

// Ratios c1 / (c1 + c2) within 1 to 8 ulps of 1 or -1, where the voltage
// moves by a few doubles a discharge or sticks. vend is where the exact step
// has the voltage after `target` discharges, for a target below, near or far
// beyond the limit. The whole answer must be the exact step's; a far "over"
// should come from the bounds, before any discharge.
TEST(DischargeBound, RatiosWithinUlpsOfOneAgreeWithTheExactStep) {
    using kondensator::DischargeKernel;
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int far_beyond = 0, answered_early = 0;
    for (int i = 0; i < 2000; ++i) {
        const std::int32_t limit = 200 + static_cast<std::int32_t>(random() % 3000);
        const double ulps = static_cast<double>(1 + random() % 8) * (random() % 2 == 0 ? 1 : -1);
        const bool flips = random() % 3 == 0;
        const bool exact_ratio = i % 8 == 1;  // exactly 1 - 2^-53, -(1 - 2^-53) or 1 + 2^-52: far overs early
        const int e = static_cast<int>(random() % 60) - 30;
        const double c1 = (random() % 4 == 0 ? -1 : 1) *
                          std::ldexp(exact_ratio ? (ulps > 0 || flips ? 1 - 0x1p-53 : 1 + 0x1p-52)
                                     : random() % 3 == 0 ? 1.0 : 1 + unit(random), e);
        const double sum = exact_ratio ? std::copysign(std::ldexp(1.0, e), flips ? -c1 : c1)
                           : flips ? -c1 + ulps * std::ldexp(std::fabs(c1), -52) : c1 + ulps * std::ldexp(std::fabs(c1), -53);
        const double c2 = sum - c1;
        const double v1 = (random() % 3 == 0 ? -1 : 1) * std::ldexp(1 + unit(random), static_cast<int>(random() % 600) - 300);
        const std::int32_t target = static_cast<std::int32_t>(limit * (i % 4 == 0 ? 0.5 + unit(random) : 1 + 4 * unit(random)));
        const double orbit_end = kondensator::run_discharges(c1, c2, v1, -HUGE_VAL, target, DischargeKernel::exact).voltage;
        // Where the magnitudes move towards vend, it ends the count; elsewhere
        // only the limit or a voltage that sticks does.
        const bool grows = std::fabs(c1) > std::fabs(sum);
        const bool moves_to_vend = grows == (v1 < 0 || flips);
        const double vend = i % 5 == 0 || !moves_to_vend ? -2 * std::fabs(v1) : grows ? -std::fabs(orbit_end) : orbit_end;
        SCOPED_TRACE(testing::Message() << std::hexfloat << c1 << ", " << c2 << ", " << v1 << ", " << vend
                                        << " limit " << std::dec << limit);
        const DischargeCount exact = kondensator::run_discharges(c1, c2, v1, vend, limit, DischargeKernel::exact).result;
        EXPECT_EQ(kondensator::count_discharges(c1, c2, v1, vend, limit), exact);
        const auto far = kondensator::run_discharges(c1, c2, v1, vend, 2 * limit, DischargeKernel::exact).result;
        if (far.kind == DischargeCount::Kind::limit_exceeded) {
            ++far_beyond;
            answered_early += bounds_prove_limit_reached(c1, c2, v1, vend, limit);
            EXPECT_TRUE(!exact_ratio || bounds_prove_limit_reached(c1, c2, v1, vend, limit));
        }
    }
    std::cout << answered_early << " of " << far_beyond << " inputs beyond twice the limit answered early\n";
    EXPECT_GT(far_beyond, 50);
    EXPECT_EQ(answered_early, far_beyond);
}

}  // namespace
