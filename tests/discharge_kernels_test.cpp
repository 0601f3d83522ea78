// The fast loops against the exact step alone: every kernel must reach the
// same count and the same final voltage, bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>

#include "discharge.hpp"
#include "discharge_kernels.hpp"

namespace {

using kondensator::DischargeKernel;
using kondensator::run_discharges;

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

TEST(DischargeKernels, LongOrbitsAgreeWithTheExactStep) {
    if (!kondensator::fma_discharges_available()) {
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
    };
    for (const Orbit& o : orbits) {
        SCOPED_TRACE(testing::Message() << o.c1 << ", " << o.c2 << ", " << o.v1 << ", " << o.vend);
        const auto exact = run_discharges(o.c1, o.c2, o.v1, o.vend, 1'000'000, DischargeKernel::exact);
        for (const DischargeKernel kernel : {DischargeKernel::plain, DischargeKernel::fma}) {
            const auto fast = run_discharges(o.c1, o.c2, o.v1, o.vend, 1'000'000, kernel);
            EXPECT_EQ(fast.result, exact.result);
            EXPECT_EQ(bits(fast.voltage), bits(exact.voltage)) << fast.voltage << " " << exact.voltage;
        }
    }
}

// Voltages whose quotient lies within about 2^-106 of the midpoint between
// two doubles, where the FMA loop's quotient may round the wrong way: the
// loop must refuse some of them, and every kernel must still discharge them
// exactly. With c1 = 1 and c1 + c2 = S in [1, 2), a discharge is v / S; for an
// odd 54-bit M with M * S = H * 2^54 + t, v = H * 2^-52 gives
// v / S = M * 2^-54 - t * 2^-106 / S.
TEST(DischargeKernels, QuotientsNearMidpointsAreRefusedOrExact) {
    if (!kondensator::fma_discharges_available()) GTEST_SKIP() << "no FMA on this processor";
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
        const auto first = kondensator::run_fma_discharges({v, NAN, 0}, discharger, 0, 1);
        refused += first.count == 0;
        ASSERT_EQ(bits(run_discharges(1, c2, v, 0, 1, DischargeKernel::fma).voltage), bits(discharger.exact_step(v)))
            << std::hexfloat << "c2 = " << c2 << ", v = " << v;
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
