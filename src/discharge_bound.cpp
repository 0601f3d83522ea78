#include "discharge_bound.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "discharger.hpp"

namespace kondensator {

namespace {

constexpr double kUnitRoundoff = 0x1p-53;

// The spacing of the subnormals; half of it is the most that rounding a
// subnormal result onto their grid can move it.
constexpr double kGrid = 0x1p-1074;

// Far above the error of evaluating the tests below, and still small enough
// to leave only inputs within a few discharges of the limit undecided.
constexpr double kMargin = 0x1p-30;

// Makes a bound computed in rounded arithmetic an upper bound for sure.
constexpr double kSlack = 1 + 0x1p-40;

// |ln(a / s)| for positive doubles a and s, to a few units of 2^-53 of itself.
// Where they lie within a factor of two of each other, a - s is exact
// (Sterbenz), so a ratio within a few ulps of 1 keeps its small distance from
// 1 to full precision.
double log_ratio_magnitude(double a, double s) {
    if (a < s) {
        return 2 * a >= s ? -std::log1p(-((s - a) / s)) : -std::log(a / s);
    }
    return a <= 2 * s ? std::log1p((a - s) / s) : std::log(a / s);
}

}  // namespace

// The model. One discharge rounds the product and the quotient once each to
// 53 bits with the wide exponent, and rounds a subnormal result once more
// onto the grid of 2^-1074. With rho = |r|, where r = c1 / s is exactly the
// scaled c1 over the scaled sum (c1 over the sum the discharge rounds), a
// finite voltage x = |v| goes to x' with
//     rho (1 - u)^2 x - d  <=  x'  <=  rho (1 + u)^2 x + d,   u = 2^-53, d = 2^-1075,
// and v' has the sign of r v or is zero. Let l = |ln rho| >= 4u, so that
// rho (1 + u)^2 <= e^(-l + 2u) < 1 when rho < 1, and
// rho (1 - u)^2 >= e^(l - 3u) > 1 when rho > 1; let k = l + 3u, and
// B = d (1 + y) / y with y = l - 3u >= u.
//
// Shrinking (rho < 1). x' < x whenever x > T = d / (1 - rho (1 + u)^2), and
// T <= B, since 1 - e^(-y) >= y / (1 + y). The lower recurrence gives
// x_n + D >= (rho (1 - u)^2)^n (x_0 + D) with D = d / (1 - rho (1 - u)^2) <= T,
// so x_n >= e^(-n k) (x_0 + B) - B, the right side falling as D grows. So if
//     limit k + margin <= ln(x_0 + B) - ln(M + B),   M = max(L, B),
// every x_n with n <= limit is at least M: above T, so no voltage repeats one
// of the two before it (the magnitudes strictly fall), and at least L, where
// L is vend for voltages that stay positive and 0 otherwise. Voltages that
// stay negative, or flip sign, need vend < 0; their negative swings have
// magnitudes below x_0, or below x_1 <= rho (1 + u)^2 x_0 + d where v1 is a
// positive voltage that flips, and must stay at most -vend.
//
// Growing (rho > 1). x' > x whenever x > G = d / (rho (1 - u)^2 - 1), and
// G <= d / y <= B, since e^y - 1 >= y. The upper recurrence gives
// x_n <= e^(n k) (x_0 + E) with E = d / (rho (1 + u)^2 - 1) <= B. So if
// x_0 > B and
//     limit k + margin <= ln H - ln(x_0 + B),
// the magnitudes strictly grow and every x_n with n <= limit is at most H:
// the largest double for voltages that stay positive (which then stay at or
// above v1 >= vend, and finite), and min(-vend, largest double) otherwise.
//
// Either way the discharges carry out `limit` discharges with the voltage at
// or above vend and never repeating, and the count ends at the limit. When
// a test holds, every quantity in it is at most about 1500, so the libm and
// rounding errors of its evaluation are a few units of 2^-43, far smaller
// than the margin of 2^-30. kSlack covers the relative errors of B, and one
// more unit of the grid the rounding of a subnormal B.
bool bounds_prove_limit_reached(double c1, double c2, double v1, double vend, std::int32_t limit) noexcept {
    const Discharger discharger(c1, c2);
    const double x0 = std::fabs(v1);
    if (!discharger.has_scaled_operands() || !(v1 >= vend) || !(x0 > 0) || !(x0 <= DBL_MAX)) {
        return false;
    }
    const double a = std::fabs(discharger.scaled_c1());
    const double s = std::fabs(discharger.scaled_sum());
    const double l = log_ratio_magnitude(a, s);
    if (!(l >= 4 * kUnitRoundoff)) {
        return false;
    }
    const bool flips = !discharger.keeps_sign();
    const bool negative_swings = flips || v1 < 0;
    if (negative_swings && !(vend < 0)) {
        return false;
    }
    const double budget = limit * (l + 3 * kUnitRoundoff) + kMargin;
    const double y = l - 3 * kUnitRoundoff;
    const double b = kGrid * (0.5 * (1 + y) / y * kSlack) + kGrid;

    if (a < s) {
        const bool flips_from_positive = flips && v1 > 0;
        if (flips_from_positive && x0 > -vend &&
            !(-vend >= 0x1p-1000 && std::log(x0) - l + 3 * kUnitRoundoff + kMargin <= std::log(-vend))) {
            return false;
        }
        const double lowest = !negative_swings && vend > 0 ? std::max(vend, b) : b;
        return budget <= std::log(x0 + b) - std::log(lowest + b);
    }
    const double highest = negative_swings ? std::min(-vend, DBL_MAX) : DBL_MAX;
    return x0 > b && budget <= std::log(highest) - std::log(x0 + b);
}

}  // namespace kondensator
