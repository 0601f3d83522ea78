#include <gtest/gtest.h>

#include <cstdint>

#include "discharge/count.hpp"

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
