#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "discharge/count.hpp"
#include "discharge/discharger.hpp"
#include "discharge/samples.hpp"

namespace {

using kondensator::count_discharges;
using kondensator::DischargeCount;
using Kind = DischargeCount::Kind;

struct LoopCase {
    double c1, c2, v1, vend;
    std::int32_t limit;
    DischargeCount expected;
};

void expect_counts(std::initializer_list<LoopCase> cases) {
    for (const LoopCase& t : cases) {
        EXPECT_EQ(count_discharges(t.c1, t.c2, t.v1, t.vend, t.limit), t.expected)
            << t.c1 << ", " << t.c2 << ", " << t.v1 << ", " << t.vend << " limit " << t.limit;
    }
}

constexpr std::int32_t kMax = kondensator::kMaxDischarges;

TEST(CountDischarges, WorkedResults) {
    expect_counts({
        {1e-6, 1e-6, 10, 1, kMax, {Kind::fell_below, 4}},
        {1, 1, 8, 1, kMax, {Kind::fell_below, 4}},      // the third lands exactly on 1 V
        {1, 1, 1, 1, kMax, {Kind::fell_below, 1}},
        {1, 1, 0.5, 1, kMax, {Kind::fell_below, 0}},
        {1e-4, 1e-5, 12, 5, kMax, {Kind::fell_below, 10}},
        {0, 0, 5, 1, kMax, {Kind::fell_below, 1}},      // 0/0 is not a number
        {1e300, 1e300, 1e10, 1, kMax, {Kind::fell_below, 34}},  // c1 * v1 beyond the double range
        {1e308, 1e308, 5, 1, kMax, {Kind::fell_below, 3}},      // c1 + c2 beyond the double range
        {1, 1e-8, 2.718281828, 1, kMax, {Kind::fell_below, 100000002}},
    });
}

TEST(CountDischarges, VoltageThatNeverFallsBelow) {
    expect_counts({
        {1, 0, 5, 1, kMax, {Kind::never_falls, 1}},          // c2 zero: the voltage stays
        {1, 1, 10, 0, kMax, {Kind::never_falls, 1079}},      // halves down to 0, not below 0
        {1, -2, 5, -1e300 * 1e300, kMax, {Kind::never_falls, 2}},  // 5, -5, 5, ...
        {1, -0.5, 5, 1, kMax, {Kind::never_falls, 1023}},    // doubles up to infinity
        {1, -1, 5, 1, kMax, {Kind::never_falls, 2}},         // c1 + c2 zero: infinite at once
        {1, 1, -1, -2, kMax, {Kind::never_falls, 1076}},     // rises towards 0 from below
    });
}

TEST(CountDischarges, LimitOnTheNumberOfDischarges) {
    expect_counts({
        {1, 1, 8, 1, 4, {Kind::fell_below, 4}},
        {1, 1, 8, 1, 3, {Kind::limit_exceeded, 3}},
        {1, 1, 0.5, 1, 0, {Kind::fell_below, 0}},
        {1, 1, 8, 1, 0, {Kind::limit_exceeded, 0}},
        {1, 1e-10, 10, 1, 1000, {Kind::limit_exceeded, 1000}},
        {1, 0, 5, 1, 1, {Kind::never_falls, 1}},  // a repeat is seen on the last allowed discharge
        {1e308, 1e308, 5, 1, 2, {Kind::limit_exceeded, 2}},  // no plain double path at all
    });
}

}  // namespace

namespace {

using kondensator::Sample;

// The samples of a run, from the count's own loop, against the exact step
// alone: the same voltage after the same discharge, bit for bit, and the
// last at the count.
TEST(SampleDischarges, AreTheVoltagesOfTheExactStep) {
    struct Input { double c1, c2, v1, vend; };
    const Input inputs[] = {
        {1e-6, 1e-6, 10, 1},               // the example
        {1e300, 1e300, 1e10, 1},           // c1 * v1 beyond the double range
        {1e308, 1e308, 5, 1},              // c1 + c2 beyond it
        {1, 1e-3, 1e3, 1e-3},              // 13823 discharges
        {1, 1e-3, 1e300, 1e-300},          // through every binade, 1.4 million discharges
        {1, 1.5e-3, 1, 0},                 // into the subnormals, where it stops falling
        {1, -1.9999, 1, -2e3},             // the sign flips, growing
        {1, -1e-4, -1, -1e3},              // a negative voltage grows
        {3, 1, -0x1.fffffp-1030, -1e-300}, // a subnormal voltage rises to zero
    };
    for (const Input& in : inputs) {
        SCOPED_TRACE(testing::Message() << in.c1 << ", " << in.c2 << ", " << in.v1 << ", " << in.vend);
        const std::int32_t count = count_discharges(in.c1, in.c2, in.v1, in.vend).count;
        const std::vector<std::int32_t> plan = kondensator::sample_plan(count, {count / 2});
        const std::vector<Sample> samples = kondensator::sample_discharges(in.c1, in.c2, in.v1, in.vend, plan);
        ASSERT_FALSE(samples.empty());
        ASSERT_EQ(samples.size(), plan.size());
        EXPECT_EQ(samples.back().n, count);
        const kondensator::Discharger discharger(in.c1, in.c2);
        double v = in.v1;
        std::size_t next = 0;
        for (std::int32_t n = 1; n <= count && next < samples.size(); ++n) {
            v = discharger.exact_step(v);
            if (samples[next].n != n) continue;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(samples[next].voltage), std::bit_cast<std::uint64_t>(v)) << "n " << n;
            ++next;
        }
        EXPECT_EQ(next, samples.size());
    }
    EXPECT_EQ(kondensator::sample_discharges(1e-6, 1e-6, 10, 1, kondensator::sample_plan(4)),
              (std::vector<Sample>{{1, 5}, {2, 2.5}, {3, 1.25}, {4, 0.625}}));
}

TEST(SampleDischarges, PlanTheFirstTheLastAndTheRestOverLogN) {
    using Plan = std::vector<std::int32_t>;
    EXPECT_EQ(kondensator::sample_plan(0), Plan{});
    EXPECT_EQ(kondensator::sample_plan(4, {9, 2}), (Plan{1, 2, 3, 4}));
    EXPECT_EQ(kondensator::sample_plan(16), (Plan{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(kondensator::sample_plan(1000, {500}, 3),
              (Plan{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 36, 109, 330, 500, 998, 999, 1000}));
    // Near 12 the spread's points round to the same n, which are taken once.
    const Plan big = kondensator::sample_plan(kMax);
    EXPECT_TRUE(std::is_sorted(big.begin(), big.end()) && std::adjacent_find(big.begin(), big.end()) == big.end());
    EXPECT_EQ(big.size(), 412u);
    EXPECT_EQ(Plan(big.end() - 3, big.end()), (Plan{kMax - 2, kMax - 1, kMax}));
}

}  // namespace
