#include "discharge_bound.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "discharger.hpp"

namespace kondensator {

namespace {

constexpr double kUnitRoundoff = 0x1p-53;

// Far above the error of evaluating the test below, and still small enough to
// leave only inputs within a few discharges of the limit undecided.
constexpr double kMargin = 0x1p-30;

// -ln(c1 / sum) for doubles 0 < c1 < sum, to a few units of 2^-53 of itself.
// Where c1 >= sum / 2, sum - c1 is exact (Sterbenz), so a ratio within a few
// ulps of 1 keeps its small distance from 1 to full precision.
double shrink_per_discharge(double c1, double sum) {
    if (2 * c1 >= sum) {
        return -std::log1p(-((sum - c1) / sum));
    }
    return -std::log(c1 / sum);
}

}  // namespace

// While the voltage is a normal double, one discharge gives
// v' = v r (1 + e1) (1 + e2) with |e1|, |e2| <= u = 2^-53, where r = c1 / s is
// the scaled c1 over the scaled sum of the capacitances (exactly c1 over the
// sum the discharge rounds): the product and the quotient are each rounded
// once, with the wide exponent, and a normal result is not rounded again.
//
// Let 0 < r < 1 and lambda = -ln r >= 4u, so that r (1 + u)^2 < 1. Then
// |v'| < |v| and v' has the sign of v: the magnitude shrinks at every
// discharge, and no voltage can repeat one of the two before it. And, since
// -ln((1 - u)^2) < 3u, |v_n| >= |v1| e^(-n (lambda + 3u)). Let m be
// max(vend, DBL_MIN) for a positive v1, and DBL_MIN for a negative v1 >= vend
// (such a voltage rises towards zero, so it stays at or above vend). If
// |v1| e^(-limit (lambda + 3u)) >= m, then by induction on n every v_n with
// n <= limit is normal, so the model holds for the next discharge, and at or
// above vend: the loop carries out `limit` discharges and ends at the limit.
//
// The test takes logarithms: limit (lambda + 3u) + margin <= ln|v1| - ln m.
// When it holds, every quantity in it is at most about 1500, so the libm and
// rounding errors of its evaluation are a few units of 2^-43, hundreds of
// times smaller than the margin of 2^-30.
bool bounds_prove_limit_reached(double c1, double c2, double v1, double vend, std::int32_t limit) noexcept {
    const Discharger discharger(c1, c2);
    const double c1_scaled = std::fabs(discharger.scaled_c1());
    const double sum_scaled = std::fabs(discharger.scaled_sum());
    if (!discharger.keeps_sign() || !(c1_scaled < sum_scaled) || !std::isnormal(v1) || !(v1 >= vend)) {
        return false;
    }
    const double lambda = shrink_per_discharge(c1_scaled, sum_scaled);
    if (!(lambda >= 4 * kUnitRoundoff)) {
        return false;
    }
    const double lowest = v1 > 0 ? std::max(vend, DBL_MIN) : DBL_MIN;
    const double room = std::log(std::fabs(v1)) - std::log(lowest);
    return limit * (lambda + 3 * kUnitRoundoff) + kMargin <= room;
}

}  // namespace kondensator
