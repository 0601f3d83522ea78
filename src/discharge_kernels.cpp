#include "discharge_kernels.hpp"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <optional>

// Rounding model: every double operation here, std::fma included, rounds its
// exact result once to binary64, to nearest with ties to even. Nothing is
// contracted or held with excess precision (the build and wide_float.cpp make
// sure of that), so an FMA appears only where the code writes one.

// Where the FMA loop may run. AArch64 always has an FMA; on x86-64 the loop is
// compiled for the FMA extension and picked at run time from what the
// processor reports. Elsewhere it is compiled without one and never picked.
#if defined(__aarch64__) || defined(__FMA__)
#define KONDENSATOR_FMA_TARGET
#define KONDENSATOR_FMA_ALWAYS 1
#elif defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KONDENSATOR_FMA_TARGET __attribute__((target("fma")))
#define KONDENSATOR_FMA_DETECTED 1
#else
#define KONDENSATOR_FMA_TARGET
#endif

namespace kondensator {

namespace {

constexpr std::uint64_t kMagnitude = ~(std::uint64_t{1} << 63);
constexpr std::uint64_t kExponentField = std::uint64_t{0x7ff} << 52;

constexpr std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Whether a double with these bits is finite with a magnitude of at least the
// double whose bits are lowest_bits.
constexpr bool finite_from(std::uint64_t x_bits, std::uint64_t lowest_bits) {
    return (x_bits & kMagnitude) - lowest_bits <= bits(DBL_MAX) - lowest_bits;
}

// The loops check the quotients on their bit patterns, off the floating-point
// units on the dependency chain. A quotient that passes the checks is a normal
// number, and two normal numbers are equal exactly when their bit patterns are.
bool repeats(std::uint64_t next_bits, double v, std::uint64_t previous_bits) {
    return next_bits == bits(v) || next_bits == previous_bits;
}

// Plain arithmetic gives the exact step whenever the scaled product and the
// quotient are normal and finite. With 0.5 <= |scaled sum| < 1 the quotient
// is at most twice the product, so a quotient above twice the smallest normal
// vouches for the product too.
constexpr std::uint64_t kPlainLowest = bits(2 * DBL_MIN) + 1;

// The smallest quotient the FMA check is sound for: see run_fma_discharges.
constexpr std::uint64_t kFmaLowest = bits(0x1p-960);

// For a normal q, and a positive double `scale` whose product with the
// result stays normal: the bits of 2^E * scale, where 2^E <= x < 2^(E+1) for
// the double x just below |q|. The gap between x and |q| is 2^(E-52).
// Multiplying by a power of two adds to the exponent field, so this stays in
// the integer unit, away from the floating-point units.
std::uint64_t scaled_binade_below(std::uint64_t q_bits, std::uint64_t scale_bits) {
    return (((q_bits - 1) & kExponentField) - bits(1.0)) + scale_bits;
}

// An interval of bit patterns, as one unsigned comparison tests it.
struct QuotientRange {
    std::uint64_t low;
    std::uint64_t span;

    [[nodiscard]] bool holds(std::uint64_t x_bits) const { return x_bits - low <= span; }
};

// The bit patterns of the doubles of one sign whose magnitude lies in
// [lowest, DBL_MAX] and that are at or above vend, or nothing where there are
// none. They form one interval: the doubles of one sign are ordered as their
// bit patterns are, the negative ones in reverse.
std::optional<QuotientRange> quotients_at_or_above(double vend, std::uint64_t lowest_bits, bool negative) {
    constexpr std::uint64_t kSign = std::uint64_t{1} << 63;
    std::uint64_t low = lowest_bits;
    std::uint64_t high = bits(DBL_MAX);
    if (!negative && vend > 0) {
        low = std::max(low, bits(vend));
    } else if (negative) {
        high = vend < 0 ? std::min(high, bits(-vend)) : 0;
    }
    if (high < low) {
        return std::nullopt;
    }
    const std::uint64_t sign = negative ? kSign : 0;
    return QuotientRange{sign | low, high - low};
}

}  // namespace

// With nothing but the multiply and divide on its dependency chain, and no
// call to keep values out of registers, this is the program's hot path where
// the FMA loop does not run.
LoopState run_plain_discharges(LoopState state, const Discharger& discharger, double vend,
                               std::int32_t limit) noexcept {
    const double c1 = discharger.scaled_c1();
    const double sum = discharger.scaled_sum();
    double v = state.v;
    std::uint64_t previous_bits = bits(state.previous);
    std::int32_t count = state.count;
    while (v >= vend && count != limit) {
        const double next = c1 * v / sum;
        const std::uint64_t next_bits = bits(next);
        if (!finite_from(next_bits, kPlainLowest) || repeats(next_bits, v, previous_bits)) {
            break;
        }
        previous_bits = bits(v);
        v = next;
        ++count;
    }
    return {v, std::bit_cast<double>(previous_bits), count};
}

bool fma_discharges_available() noexcept {
#if defined(KONDENSATOR_FMA_ALWAYS)
    return true;
#elif defined(KONDENSATOR_FMA_DETECTED)
    return __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

// The divisor s (the scaled sum) is the same in every discharge, so 1/s is
// prepared once as a double-word zh + zl, after Brisebarre, Muller and Raina,
// "Accelerating correctly rounded floating-point division when the divisor is
// known in advance" (IEEE Transactions on Computers 53(8), 2004). A discharge
// forms the product p = RN(c1 * v), exactly as the plain loop does, and the
// quotient q = RN(p * zh + v * w) with w = RN(c1 * zl): the correction v * w
// depends on v alone, so one multiply and one FMA lie on the chain from one
// voltage to the next.
//
// Why a quotient that passes the check is RN(p / s), the plain loop's
// quotient. The second FMA gives RN(p - q * s). Let g be the gap between |q|
// and the double just below it; the gap above |q| is g or 2g, so every real
// number within less than g/2 of q rounds to q. h = (g/2) |s| is computed
// exactly: a power of two times |s|, and a normal double for |q| >= 2^-960.
// Rounding is monotonic and h is a double, so |RN(p - q s)| < h implies
// |p - q s| < h, that is |p/s - q| < g/2, and q = RN(p/s). Then
// |p| > |s| (|q| - g/2) is normal too, so q is the quotient of the exact step,
// as in the plain loop. How q was formed decides only how often the check
// passes, never whether a quotient that passed is right: zh + zl is 1/s to
// about 2^-106 and v * w is p * zl to about 2^-52 of itself, so
// p * zh + v * w is p/s to a few units of 2^-105 of itself, and q misses
// RN(p/s) only when p/s lies that close to a midpoint between two doubles.
//
// The loop runs only where c1 / (c1 + c2) > 0. Then a discharge keeps the sign
// of the voltage, so the quotients it may take (of that sign, from 2^-960 up
// to the largest double, at or above vend) form one interval of bit patterns;
// and a discharge is a monotonic function of the voltage, so the voltages
// move in one direction and can repeat only by staying where they are. Every
// check but the remainder's is then one comparison.
KONDENSATOR_FMA_TARGET
LoopState run_fma_discharges(LoopState state, const Discharger& discharger, double vend,
                             std::int32_t limit) noexcept {
    if (!discharger.keeps_sign() || !(state.v >= vend) || state.count == limit) {
        return state;
    }
    const auto range = quotients_at_or_above(vend, kFmaLowest, std::signbit(state.v));
    if (!range) {
        return state;
    }
    const double c1 = discharger.scaled_c1();
    const double divisor = discharger.scaled_sum();
    const double reciprocal = 1.0 / divisor;
    const double reciprocal_low = std::fma(-divisor, reciprocal, 1.0) / divisor;
    const double correction = c1 * reciprocal_low;
    const std::uint64_t half_gap_scale = bits(std::fabs(divisor) * 0x1p-53);

    double v = state.v;
    std::uint64_t v_bits = bits(v);
    std::uint64_t previous_bits = bits(state.previous);
    std::int32_t remaining = limit - state.count;
    for (;;) {
        const double product = c1 * v;
        const double next = std::fma(product, reciprocal, v * correction);
        const std::uint64_t next_bits = bits(next);
        // Nonnegative doubles compare as their bit patterns do.
        const std::uint64_t remainder_bits = bits(std::fma(-next, divisor, product)) & kMagnitude;
        if (!range->holds(next_bits) || !(remainder_bits < scaled_binade_below(next_bits, half_gap_scale)) ||
            next_bits == v_bits) {
            break;
        }
        previous_bits = v_bits;
        v_bits = next_bits;
        v = next;
        if (--remaining == 0) {
            break;
        }
    }
    return {std::bit_cast<double>(v_bits), std::bit_cast<double>(previous_bits), limit - remaining};
}

}  // namespace kondensator
