// The fast loops against the exact step alone: every kernel must reach the
// same count and the same final voltage, bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>

#include "discharge/count.hpp"
#include "discharge/kernels.hpp"
#include "discharge/loops.hpp"
#include "platform.hpp"

namespace {

using kondensator::DischargeKernel;
using kondensator::run_discharges;

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

TEST(DischargeKernels, LongOrbitsAgreeWithTheExactStep) {
    if (!kondensator::fma_in_hardware()) {
        std::cout << "no FMA on this processor: the FMA loop runs as the plain loop\n";
    }
    struct Orbit { double c1, c2, v1, vend; };
    const Orbit orbits[] = {
        {1, 1e-8, 2.718281828, 1},              // slow decay
        {-3e-7, -1e-14, -7.5, -1e300},          // slow rise of a negative voltage
        {1, 0x1p-52, 1, 0},                     // c1 / (c1 + c2) one ulp below 1
        {1, 0x1.8p-51, 1e10, 1},                // three ulps below 1
        {1, 0x1p-53, 5, 1},                     // the sum rounds to c1: the voltage stays
        {1, 1.5e-3, DBL_MAX, 0},                // through every binade into the subnormals
        {2.5, 3.75e-3, -DBL_MAX, -HUGE_VAL},    // the same, negative
        {1, 1, 0x1p1000, 0},                    // every quotient a power of two
        {1, 3, 0x1.8p900, 0x1p-900},            // quarters
        {1, -2.00000001, 5, -1e300},            // the sign flips at every discharge
        {1, -1e-7, 1e-300, 1e300},              // slow growth
        {1, -0.5, 1, HUGE_VAL},                 // doubles up to infinity
        {1e300, 1e300, 1e10, 1},                // scaled operands
        {0x1p-1000, 0x1p-1010, 1e-300, 0},      // tiny capacitances
        // The sign flips, |r| just below and just above 1, from either sign,
        // with vend beyond the swings or among them.
        {1, -2.00000001, -5, -1e300},
        {1, -2.00000001, 1, -0.99999999},
        {-1, 1.99999999, 1, -1.005},
        {1, -1.99999999, -1, -HUGE_VAL},
        // Voltages below 2^-960, decaying, and growing into the largest doubles.
        {1, 1e-8, 0x1.5bf0a8b145769p-999, 0x1p-1000},
        {1, -4e-3, 0x1p-1000, 0x1p-1000},
        // Subnormal voltages: decays that stick, reach zero or cross vend,
        // growth out of them, sign flips, and quotients at half a grid unit.
        {1, 1e-3, 1e-310, 0},
        {1, 3, -1e-310, -1},
        {1, 2e-6, 1e-310, 5e-311},
        {1, -1e-4, 1e-315, 1e-320},
        {1, -2.001, 1e-310, -1e-300},
        {1, -1.999, -1e-315, -1e-300},
        {1, 1, 0x1.00001p-1040, -1},
        {3, 1, 0x1.fffffp-1030, 0},
    };
    for (const Orbit& o : orbits) {
        SCOPED_TRACE(testing::Message() << o.c1 << ", " << o.c2 << ", " << o.v1 << ", " << o.vend);
        const auto exact = run_discharges(o.c1, o.c2, o.v1, o.vend, 500'000, DischargeKernel::exact);
        for (const DischargeKernel kernel : {DischargeKernel::plain, DischargeKernel::fma}) {
            const auto fast = run_discharges(o.c1, o.c2, o.v1, o.vend, 500'000, kernel);
            EXPECT_EQ(fast.result, exact.result);
            EXPECT_EQ(bits(fast.voltage), bits(exact.voltage)) << fast.voltage << " " << exact.voltage;
        }
    }
}

// Random capacitances of either sign, and starting voltages near and below
// the smallest normal, where the loops change domain.
TEST(DischargeKernels, RandomOrbitsThroughTheSubnormalsAgreeWithTheExactStep) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int i = 0; i < 3000; ++i) {
        const double c1 = std::ldexp(1 + unit(random) / 2, static_cast<int>(random() % 9) - 4);
        const double c2 = std::ldexp(unit(random), -static_cast<int>(random() % 40));
        const double v1 = std::ldexp(unit(random), -1000 - static_cast<int>(random() % 74));
        const double vend = std::ldexp(unit(random), -1010 - static_cast<int>(random() % 64));
        SCOPED_TRACE(testing::Message() << std::hexfloat << c1 << ", " << c2 << ", " << v1 << ", " << vend);
        const auto exact = run_discharges(c1, c2, v1, vend, 3000, DischargeKernel::exact);
        for (const DischargeKernel kernel : {DischargeKernel::plain, DischargeKernel::fma}) {
            const auto fast = run_discharges(c1, c2, v1, vend, 3000, kernel);
            ASSERT_EQ(fast.result, exact.result);
            ASSERT_EQ(bits(fast.voltage), bits(exact.voltage));
        }
    }
}

// Voltages whose quotient lies within about 2^-106 of the midpoint between
// two doubles, where the FMA loop's quotient may round the wrong way: the
// loop must refuse some of them, and every kernel must still discharge them
// exactly. With c1 = 1 and c1 + c2 = S in [1, 2), a discharge is v / S; for an
// odd 54-bit M with M * S = H * 2^54 + t, v = H * 2^-52 gives
// v / S = M * 2^-54 - t * 2^-106 / S. The loop starts one discharge earlier,
// at a voltage that discharges to v: a refusal there must leave the state of
// the discharge before, though the loop has the next one under way.
TEST(DischargeKernels, QuotientsNearMidpointsAreRefusedOrExact) {
    if (!kondensator::fma_in_hardware()) GTEST_SKIP() << "no FMA on this processor";
    std::mt19937_64 random(42);
    int refused = 0;
    for (int i = 0; i < 20'000; ++i) {
        const std::uint64_t s = (random() >> 11) | (std::uint64_t{1} << 52) | 1;
        std::uint64_t inverse = 1;  // of s modulo 2^64, by Newton's iteration
        for (int k = 0; k < 6; ++k) inverse *= 2 - s * inverse;
        const std::uint64_t t = 2 * (random() % 8) + 1;
        const std::uint64_t m = (t * inverse) & ((std::uint64_t{1} << 54) - 1);
        if (m < (std::uint64_t{1} << 53)) continue;
        // m * s rounded once (to H * 2^54, as t is small); m - 1 and s are exact.
        const double ms = std::fma(static_cast<double>(m - 1), static_cast<double>(s), static_cast<double>(s));
        const double c2 = std::ldexp(static_cast<double>(s), -52) - 1;
        const double v = std::ldexp(ms, -106);
        const kondensator::Discharger discharger(1, c2);
        ASSERT_EQ(bits(run_discharges(1, c2, v, 0, 1, DischargeKernel::fma).voltage), bits(discharger.exact_step(v)))
            << std::hexfloat << "c2 = " << c2 << ", v = " << v;

        // The exact orbit from a voltage before v; a discharge has slope
        // 1 / S < 1, so one of the neighbours of v * S leads to v.
        double orbit[4] = {v * (1 + c2), v, 0, 0};
        while (discharger.exact_step(orbit[0]) < v) orbit[0] = std::nextafter(orbit[0], HUGE_VAL);
        while (discharger.exact_step(orbit[0]) > v) orbit[0] = std::nextafter(orbit[0], 0.0);
        if (discharger.exact_step(orbit[0]) != v) continue;
        for (int k = 2; k < 4; ++k) orbit[k] = discharger.exact_step(orbit[k - 1]);
        const auto loop = kondensator::run_fma_discharges({orbit[0], NAN, 0}, discharger, 0, 3);
        ASSERT_EQ(bits(loop.v), bits(orbit[loop.count])) << std::hexfloat << "c2 = " << c2 << ", v = " << v;
        if (loop.count > 0) {
            ASSERT_EQ(bits(loop.previous), bits(orbit[loop.count - 1]));
        }
        refused += loop.count == 1;
    }
    EXPECT_GT(refused, 0);
}

// The timed inputs: the fast loops must carry out nearly all the discharges
// themselves. A loop that refused every quotient would still give the right
// answers, only as slowly as the exact step.
TEST(DischargeKernels, FastLoopsCarryOutTheDischarges) {
    struct Input { double c1, c2, v1, vend; };
    const Input inputs[] = {
        {1, 1e-8, 2.718281828, 1},                                    // decay
        {1, -1.99999998, 1, -7.389056},                               // sign flips
        {1, 1e-8, 2.5368735349108243e-301, 9.332636185032189e-302},   // scaled by 2^-1000
        {1, 1e-8, 2e-308, 7.357588823428847e-309},                    // subnormal
        {1, -1e-8, 1e-300, -1},                                       // growth
        {1, -2.00000002, 1e-310, -1e300},                             // sign flips, growing
    };
    for (const Input& in : inputs) {
        SCOPED_TRACE(testing::Message() << in.c1 << ", " << in.c2 << ", " << in.v1 << ", " << in.vend);
        for (const DischargeKernel kernel : {DischargeKernel::fma, DischargeKernel::plain}) {
            if (kernel == DischargeKernel::fma && !kondensator::fma_in_hardware()) continue;
            const std::int32_t exact_steps = run_discharges(in.c1, in.c2, in.v1, in.vend, 1'000'000, kernel).exact_steps;
            EXPECT_GE(exact_steps, 0);
            EXPECT_LE(exact_steps, 2);
        }
        // And the exact step alone takes every one of them.
        const auto exact = run_discharges(in.c1, in.c2, in.v1, in.vend, 10'000, DischargeKernel::exact);
        EXPECT_EQ(exact.exact_steps, exact.result.count);
    }
}

}  // namespace
