// The discharge arithmetic against an independent reference: the x87 unit
// with its precision control at 53 bits, which rounds every intermediate to
// 53 bits but keeps a 15-bit exponent, exactly the model the program emulates.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>

#include "discharge/count.hpp"
#include "discharge/discharger.hpp"
#include "discharge/wide_float.hpp"

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
constexpr bool kHaveX87 = true;

double x87_discharge(double c1_in, double v1_in, double c2_in, double v2_in) {
    // Volatile reads keep the compiler from folding the long double
    // arithmetic at its own precision.
    volatile double c1 = c1_in, v1 = v1_in, c2 = c2_in, v2 = v2_in;
    std::uint16_t saved = 0;
    asm volatile("fnstcw %0" : "=m"(saved));
    const std::uint16_t precision53 = static_cast<std::uint16_t>((saved & ~0x300) | 0x200);
    asm volatile("fldcw %0" : : "m"(precision53));
    const long double numerator = static_cast<long double>(c1) * v1 + static_cast<long double>(c2) * v2;
    const long double denominator = static_cast<long double>(c1) + c2;
    volatile double result = static_cast<double>(numerator / denominator);
    asm volatile("fldcw %0" : : "m"(saved));
    return result;
}
#else
constexpr bool kHaveX87 = false;
double x87_discharge(double, double, double, double) { return 0.0; }
#endif

// A connection of two charged capacitors in the arithmetic's own operations;
// the program's exact step is the one with v2 = 0.
double wide_discharge(double c1, double v1, double c2, double v2) {
    using kondensator::WideFloat;
    const auto wide = WideFloat::from_double;
    return ((wide(c1) * wide(v1) + wide(c2) * wide(v2)) / (wide(c1) + wide(c2))).to_double();
}

bool same_value(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Operands that reach every corner: random bit patterns (all exponents,
// subnormals, infinities, NaNs), a table of extremes, and near-opposites
// that make the sums cancel.
class Operands {
public:
    explicit Operands(std::uint32_t seed) : random_(seed) {}

    double any() {
        switch (random_() % 4) {
            case 0: return std::bit_cast<double>(random_());
            case 1: return extreme() * (random_() % 2 ? 1.0 : -1.0);
            case 2: return std::ldexp(unit_(random_) + 0.5, static_cast<int>(random_() % 2200) - 1100);
            default: return std::nextafter(std::ldexp(1.0, static_cast<int>(random_() % 2100) - 1075), 0.0);
        }
    }
    double near_opposite(double x) {
        const double y = -x;
        return random_() % 2 ? y : std::nextafter(y, random_() % 2 ? HUGE_VAL : -HUGE_VAL);
    }

private:
    double extreme() {
        static constexpr double kExtremes[] = {0.0, DBL_TRUE_MIN, DBL_MIN, DBL_MAX, HUGE_VAL, NAN, 1.0,
                                               0.5, 1e-300, 1e300, 1e308, 3e-320, 1.5 * DBL_MIN};
        return kExtremes[random_() % std::size(kExtremes)];
    }
    std::mt19937_64 random_;
    std::uniform_real_distribution<double> unit_{0.0, 1.0};
};

TEST(DischargeArithmetic, MatchesX87WithPrecisionControlAt53Bits) {
    if (!kHaveX87) GTEST_SKIP() << "needs an x87 unit and GCC or Clang";
    Operands operands(12345);
    for (int i = 0; i < 1'000'000; ++i) {
        const double c1 = operands.any();
        const double v1 = operands.any();
        const double c2 = i % 3 == 0 ? operands.near_opposite(c1) : operands.any();
        const double v2 = i % 2 == 0 ? 0.0 : i % 5 == 1 ? operands.near_opposite(c1 * v1 / c2) : operands.any();
        const double expected = x87_discharge(c1, v1, c2, v2);
        const double actual = std::bit_cast<std::uint64_t>(v2) == 0 ? kondensator::Discharger(c1, c2).exact_step(v1)
                                                                  : wide_discharge(c1, v1, c2, v2);
        ASSERT_TRUE(same_value(actual, expected))
            << std::hexfloat << "c1=" << c1 << " v1=" << v1 << " c2=" << c2 << " v2=" << v2
            << " expected " << expected << " got " << actual;
    }
}

// The loop, with its plain double fast path, against discharges carried out
// one at a time on the x87 unit.
TEST(DischargeArithmetic, LoopMatchesX87DischargesOneAtATime) {
    if (!kHaveX87) GTEST_SKIP() << "needs an x87 unit and GCC or Clang";
    using Kind = kondensator::DischargeCount::Kind;
    constexpr std::int32_t kLimit = 3000;
    Operands operands(777);
    for (int i = 0; i < 20'000; ++i) {
        const double c1 = operands.any();
        const double c2 = i % 2 ? c1 * std::ldexp(1.0, static_cast<int>(i % 40) - 20) : operands.any();
        const double v1 = operands.any();
        const double vend = i % 7 == 0 ? 0.0 : i % 3 ? v1 * 1e-6 : operands.any();

        kondensator::DischargeCount expected{Kind::fell_below, 0};
        double v = v1;
        double previous = NAN;
        while (v >= vend) {
            if (expected.count == kLimit) { expected.kind = Kind::limit_exceeded; break; }
            const double next = x87_discharge(c1, v, c2, 0.0);
            ++expected.count;
            if ((next == v || next == previous) && next >= vend) { expected.kind = Kind::never_falls; break; }
            previous = v;
            v = next;
        }
        ASSERT_EQ(kondensator::count_discharges(c1, c2, v1, vend, kLimit), expected)
            << std::hexfloat << "c1=" << c1 << " c2=" << c2 << " v1=" << v1 << " vend=" << vend;
    }
}

}  // namespace
