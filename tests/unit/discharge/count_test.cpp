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

using kondensator::LimitProof;
using kondensator::Sample;
using kondensator::SampleLog;
using Plan = std::vector<std::int32_t>;

Plan discharges_of(const std::vector<Sample>& samples) {
    Plan plan;
    for (const Sample& sample : samples) plan.push_back(sample.n);
    return plan;
}

// The voltages the count keeps as it goes, against the exact step alone:
// the same voltage after the same discharge, bit for bit, the same count as
// without them, and every discharge the page must have: the first twelve,
// the one it wants with its neighbours, and the last three.
TEST(SampleLog, KeepsTheVoltagesOfTheExactStepAsTheCountGoes) {
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
        {1, 1, 10, 0},                     // halves to 0 and stays there
    };
    for (const Input& in : inputs) {
        SCOPED_TRACE(testing::Message() << in.c1 << ", " << in.c2 << ", " << in.v1 << ", " << in.vend);
        const DischargeCount alone = count_discharges(in.c1, in.c2, in.v1, in.vend);
        const std::int32_t wanted = alone.count / 2;
        SampleLog log(kMax, wanted);
        EXPECT_EQ(count_discharges(in.c1, in.c2, in.v1, in.vend, kMax, nullptr, &log), alone);
        EXPECT_EQ(log.proof(), LimitProof::none);
        const std::vector<Sample> samples = log.shown(alone.count);
        const Plan shown = discharges_of(samples);
        for (const std::int32_t n : {1, 2, 12, wanted - 1, wanted, wanted + 1, alone.count - 2, alone.count - 1,
                                     alone.count}) {
            if (n >= 1 && n <= alone.count) {
                EXPECT_NE(std::find(shown.begin(), shown.end(), n), shown.end()) << n;
            }
        }
        ASSERT_FALSE(samples.empty());
        EXPECT_EQ(samples.back().n, alone.count);
        EXPECT_LE(samples.size(), 12u + 3 + 3 + 2 * 400 + 1);
        const kondensator::Discharger discharger(in.c1, in.c2);
        double v = in.v1;
        std::size_t next = 0;
        for (std::int32_t n = 1; n <= alone.count && next < samples.size(); ++n) {
            v = discharger.exact_step(v);
            if (samples[next].n != n) continue;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(samples[next].voltage), std::bit_cast<std::uint64_t>(v)) << "n " << n;
            ++next;
        }
        EXPECT_EQ(next, samples.size());
    }
}

// Where a bound answers without running, the log has the first twelve
// discharges and the bound's name, and nothing runs to the limit.
TEST(SampleLog, TheFirstDischargesAndTheBoundWhereABoundAnswers) {
    const struct { double c1, c2, v1, vend; LimitProof proof; } cases[] = {
        {1, 1e-10, 10, 1, LimitProof::ratio},
        {1, 2.3e-16, 10, 1, LimitProof::doubles_passed},
    };
    for (const auto& t : cases) {
        SampleLog log(kMax, 0);
        EXPECT_EQ(count_discharges(t.c1, t.c2, t.v1, t.vend, kMax, nullptr, &log), (DischargeCount{Kind::limit_exceeded, kMax}));
        EXPECT_EQ(log.proof(), t.proof);
        const std::vector<Sample> samples = log.shown(kMax);
        EXPECT_EQ(discharges_of(samples), (Plan{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        const kondensator::Discharger discharger(t.c1, t.c2);
        EXPECT_EQ(samples[1].voltage, discharger.exact_step(discharger.exact_step(t.v1)));
    }
}

// What the page is shown: all of a short run, and of a long one the first
// twelve, one discharge in each of `spread` equal steps of log n between, the
// wanted ones and the last three.
TEST(SampleLog, ShowsTheFirstTheLastAndTheRestSpreadOverLogN) {
    // As the count keeps them: its plan, then the last three where it ends.
    const auto shown = [](std::int32_t count, std::int32_t wanted, int spread = 400) {
        SampleLog log(kMax, wanted);
        for (std::int64_t n = log.next_after(0); n <= count; n = log.next_after(n)) {
            log.keep(static_cast<std::int32_t>(n), 1.0 / static_cast<double>(n));
        }
        for (std::int32_t back = std::min(count, 3); back > 0; --back) log.keep(count - back + 1, 1.0);
        return discharges_of(log.shown(count, spread));
    };
    EXPECT_EQ(shown(0, 0), Plan{});
    EXPECT_EQ(shown(4, 9), (Plan{1, 2, 3, 4}));
    EXPECT_EQ(shown(16, 0), (Plan{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    // Steps of log n of (ln 998 - ln 12) / 3: from 13, from 53 and from 229
    // on, each with the discharge before it.
    EXPECT_EQ(shown(1000, 500, 3),
              (Plan{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 52, 53, 230, 231, 499, 500, 501, 998, 999, 1000}));
    const Plan big = shown(kMax, 0);
    EXPECT_TRUE(std::is_sorted(big.begin(), big.end()) && std::adjacent_find(big.begin(), big.end()) == big.end());
    EXPECT_GT(big.size(), 300u);
    EXPECT_LE(big.size(), 12u + 2 * 400 + 3);
    EXPECT_EQ(Plan(big.end() - 3, big.end()), (Plan{kMax - 2, kMax - 1, kMax}));
}

}  // namespace
