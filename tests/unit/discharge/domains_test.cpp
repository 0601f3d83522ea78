// Each domain of the fast loops on its own, at the edges where a domain can
// go wrong: a magnitude's chain value leads back to it, and every chain value
// a loop's range admits after one discharge is the exact step's.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

#include "discharge/discharger.hpp"
#include "discharge/domains.hpp"
#include "platform.hpp"

namespace {

using kondensator::Discharger;
using kondensator::kSubnormalSpacing;
using kondensator::loops::GridDomain;
using kondensator::loops::ScaledDomain;
using kondensator::loops::SubnormalDomain;

// c1 / (c1 + c2): halves and quarters make the grid's ties, the ratios within
// an ulp of 1 the binade edges, and the others round every way.
const std::pair<double, double> kCapacitances[] = {
    {1, 1}, {3, 1}, {1, 3}, {1 - 0x1p-53, 0x1p-53}, {1, 0x1p-52}, {1, -0x1p-53}, {0.7, 1.1102230246251565e-16},
    {1, 1e-3}, {1, -0.5}, {1, -1e-4}, {2.5, 3.75e-3}, {1, 1e-8},
};

// Magnitudes around each edge: the edge, a double either side of it.
std::vector<double> around(std::initializer_list<double> edges) {
    std::vector<double> magnitudes;
    for (const double edge : edges) {
        for (const double m : {std::nextafter(edge, 0.0), edge, std::nextafter(edge, HUGE_VAL)}) {
            if (m > 0 && m <= DBL_MAX) magnitudes.push_back(m);
        }
    }
    return magnitudes;
}

// One discharge through the domain, the quotient a double divide.
template <class Domain>
KONDENSATOR_FMA_TARGET double domain_step(const Domain& domain, double a, double s, double x) {
    return domain.next(domain.times(a, x) / s);
}

// Every chain value the range admits must be the exact step's own chain
// value, bit for bit; most of the steps here must be admitted.
template <class Domain>
void expect_domain_is_the_exact_step(const Domain& domain, const std::vector<double>& magnitudes) {
    const auto [lowest, highest] = domain.magnitudes();
    const std::uint64_t low_bits = kondensator::bits(domain.chain_value(lowest));
    const std::uint64_t high_bits = kondensator::bits(domain.chain_value(highest));
    std::size_t steps = 0, admitted = 0;
    for (const double m : magnitudes) {
        if (m < lowest || m > highest) continue;
        const double x = domain.chain_value(m);
        EXPECT_EQ(domain.magnitude(x), m) << std::hexfloat << m << " goes to " << x;
        for (const auto& [c1, c2] : kCapacitances) {
            const Discharger discharger(c1, c2);
            const double a = std::fabs(discharger.scaled_c1());
            const double s = std::fabs(discharger.scaled_sum());
            const std::uint64_t next_bits = kondensator::bits(domain_step(domain, a, s, x));
            ++steps;
            if (next_bits < low_bits || next_bits > high_bits) continue;  // the loop stops there
            ++admitted;
            EXPECT_EQ(next_bits, kondensator::bits(domain.chain_value(std::fabs(discharger.exact_step(m)))))
                << std::hexfloat << "c1 " << c1 << ", c2 " << c2 << ", from " << m;
        }
    }
    EXPECT_GT(admitted, steps / 2) << "of " << steps << " steps";
}

TEST(LoopDomains, ScaledVoltagesStepAsTheExactStep) {
    for (const double v : {1.0, 0x1p-600}) {
        const ScaledDomain domain = ScaledDomain::for_voltage(v);
        const auto [lowest, highest] = domain.magnitudes();
        SCOPED_TRACE(testing::Message() << "scale " << domain.scale);
        // The FMA loop's check needs half the gap below the quotient times s
        // (at least 0.5) to be a normal double, and the largest chain value finite.
        EXPECT_GE(std::ldexp(domain.chain_value(lowest), -54) * 0.5, DBL_MIN);
        EXPECT_LE(domain.chain_value(highest), DBL_MAX);
        EXPECT_GE(lowest, DBL_MIN);  // below it the exact step rounds once more
        expect_domain_is_the_exact_step(domain, around({lowest, highest, 0x1p-960, 0x1p-512, DBL_MIN, 1, 10, 0x1p511,
                                                        DBL_MAX / 2, DBL_MAX}));
    }
}

// The grid's edges: the smallest subnormals and the largest, and odd and
// even multiples of the spacing, which halves and quarters turn into ties.
std::vector<double> subnormal_edges() {
    std::vector<double> magnitudes = around({kSubnormalSpacing, 4 * kSubnormalSpacing, DBL_MIN - kSubnormalSpacing,
                                             DBL_MIN / 2, DBL_MIN});
    for (const int units : {2, 3, 5, 6, 7, 10, 1 << 20, (1 << 20) + 2}) magnitudes.push_back(units * kSubnormalSpacing);
    return magnitudes;
}

TEST(LoopDomains, GridRoundsAsTheExactStepBelowTheNormals) {
    expect_domain_is_the_exact_step(GridDomain{}, subnormal_edges());
}

TEST(LoopDomains, FmaGridRoundsAsTheExactStepBelowTheNormals) {
    if (!kondensator::fma_in_hardware()) GTEST_SKIP() << "no FMA on this processor";
    expect_domain_is_the_exact_step(SubnormalDomain{}, subnormal_edges());
}

}  // namespace
