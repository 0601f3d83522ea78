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
// Its pieces are always inlined into it, so they are compiled for it too.
#if defined(__aarch64__) || defined(__FMA__)
#define KONDENSATOR_FMA_TARGET
#define KONDENSATOR_FMA_ALWAYS 1
#elif defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KONDENSATOR_FMA_TARGET __attribute__((target("fma")))
#define KONDENSATOR_FMA_DETECTED 1
#else
#define KONDENSATOR_FMA_TARGET
#endif
// The loops themselves are kept out of line.
#if defined(__GNUC__) || defined(__clang__)
#define KONDENSATOR_FMA_PIECE KONDENSATOR_FMA_TARGET __attribute__((always_inline)) inline
#define KONDENSATOR_LOOP __attribute__((noinline))
#else
#define KONDENSATOR_FMA_PIECE inline
#define KONDENSATOR_LOOP
#endif
#define KONDENSATOR_FMA_LOOP KONDENSATOR_FMA_TARGET KONDENSATOR_LOOP

namespace kondensator {

namespace {

constexpr std::uint64_t kMagnitude = ~(std::uint64_t{1} << 63);
constexpr std::uint64_t kExponentField = std::uint64_t{0x7ff} << 52;

// std::bit_cast, where the C++ library has it; the C++ library of the
// WebAssembly build has only the compiler's builtin behind it.
template <class To, class From>
constexpr To bit_cast(const From& from) {
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    return __builtin_bit_cast(To, from);
#endif
}

constexpr std::uint64_t bits(double x) { return bit_cast<std::uint64_t>(x); }
constexpr double from_bits(std::uint64_t x) { return bit_cast<double>(x); }

}  // namespace

// The fast loops.
//
// They work on magnitudes. With a = |scaled c1|, s = |scaled sum| and u = |v|,
// a discharge gives |v'| = RN(RN(a u) / s), since rounding to nearest is
// symmetric about zero, and v' has the sign of v where c1 / (c1 + c2) > 0 and
// the other sign where it is negative. The magnitudes therefore follow one
// increasing function of the magnitude, whichever way the signs go: they move
// in one direction, and a voltage can repeat one of the two before it only
// once the magnitude stays where it is. The loops stop there, and the exact
// step decides.
//
// A loop carries a chain value x, from which each discharge is computed, and
// stops before the first discharge it cannot vouch for. The pieces:
// - a domain maps the magnitudes of one range onto chain values (a power of
//   two scales them, or the grid of the subnormals is laid over them) and
//   says how a discharge goes from one chain value to the next;
// - the swings say which signs the coming voltages take, and so which
//   magnitudes keep them at or above vend;
// - a range of bit patterns holds the chain values the loop may go to;
// - in the FMA loop, the quotient check proves each quotient equal to the
//   exact step's; a divide needs none.

namespace {

// A closed interval of magnitudes.
struct Magnitudes {
    double lowest;
    double highest;
};

// Which signs the coming voltages take: the sign of v alone, or, where
// c1 / (c1 + c2) is negative, both in turn.
struct Swings {
    bool positive;
    bool negative;

    // The magnitudes, among `valid`, at which each of them is at or above
    // vend, or nothing where there are none.
    [[nodiscard]] std::optional<Magnitudes> at_or_above(double vend, Magnitudes valid) const {
        if (positive && vend > 0) valid.lowest = std::max(valid.lowest, vend);
        if (negative) valid.highest = vend < 0 ? std::min(valid.highest, -vend) : 0.0;
        if (!(valid.lowest <= valid.highest)) return std::nullopt;
        return valid;
    }
};

// An interval of bit patterns, as one unsigned comparison tests it. The
// chain values are positive, and positive doubles are ordered as their bits.
struct ChainRange {
    std::uint64_t low;
    std::uint64_t span;

    [[nodiscard]] bool holds(std::uint64_t x_bits) const { return x_bits - low <= span; }
};

// What a segment of a loop did: the chain values after the last discharge
// it vouched for and the one before (that one only where done > 0), as bits,
// and how many it vouched for.
struct Segment {
    std::uint64_t last_bits;
    std::uint64_t before_bits;
    std::int32_t done;
};

// A loop over one domain: from the discharger, the domain, the range the
// chain values may go to, the bits of the first chain value and a limit of
// at least 1 on the discharges.
template <class Domain>
using SegmentLoop = Segment (*)(const Discharger&, Domain, ChainRange, std::uint64_t, std::int32_t);

// Runs one domain from the loop state, and hands back the state with the
// voltages unscaled and their signs restored.
template <class Domain>
LoopState run_in_domain(const LoopState& state, const Discharger& discharger, const Domain& domain, double vend,
                        std::int32_t limit, SegmentLoop<Domain> run_segment) {
    const bool negative = std::signbit(state.v);
    const bool flips = !discharger.keeps_sign();
    const Swings swings{!negative || flips, negative || flips};
    const auto magnitudes = swings.at_or_above(vend, domain.magnitudes());
    if (!magnitudes) return state;
    const std::uint64_t low = bits(domain.chain_value(magnitudes->lowest));
    const ChainRange range{low, bits(domain.chain_value(magnitudes->highest)) - low};

    const Segment segment =
        run_segment(discharger, domain, range, bits(domain.chain_value(std::fabs(state.v))), limit - state.count);
    if (segment.done == 0) return state;
    // The voltage after discharge n has the sign of v, or that of v times (-1)^n.
    const auto voltage = [&](std::uint64_t chain_bits, std::int32_t n) {
        const bool sign = negative != (flips && n % 2 != 0);
        return std::copysign(domain.magnitude(from_bits(chain_bits)), sign ? -1.0 : 1.0);
    };
    return {voltage(segment.last_bits, segment.done), voltage(segment.before_bits, segment.done - 1),
            state.count + segment.done};
}

// Whether the loops can take a voltage at all: the capacitances have scaled
// operands, a discharge is due, and its magnitude is finite and not zero.
bool loop_can_start(const LoopState& state, const Discharger& discharger, double vend, std::int32_t limit) {
    const double magnitude = std::fabs(state.v);
    return discharger.has_scaled_operands() && state.v >= vend && state.count != limit && magnitude > 0 &&
           magnitude <= DBL_MAX;
}

// Normal voltages, scaled by 2^K. A power of two scales the product and the
// quotient exactly, so the scaled chain rounds exactly as the exact step does
// while the scaled quotient is at least 2^-960 (for the FMA loop's check) and
// at most the largest double, and the unscaled one is normal (not rounded
// again). With 0.5 <= s < 1, the product is then normal too.
struct ScaledDomain {
    int scale;  // K

    // Small voltages run scaled, so that a loop can take them down to the
    // smallest normal, and up to 2^512.
    static ScaledDomain for_voltage(double magnitude) { return {magnitude < 0x1p-512 ? 512 : 0}; }

    [[nodiscard]] Magnitudes magnitudes() const {
        return {std::max(DBL_MIN, std::ldexp(0x1p-960, -scale)), std::ldexp(DBL_MAX, -scale)};
    }
    [[nodiscard]] double chain_value(double magnitude) const { return std::ldexp(magnitude, scale); }
    [[nodiscard]] double magnitude(double chain_value) const { return std::ldexp(chain_value, -scale); }

    [[nodiscard]] double times(double m, double x) const { return m * x; }
    [[nodiscard]] double next(double quotient) const { return quotient; }
};

// Subnormal voltages in plain arithmetic. The exact step rounds the 53-bit
// quotient once more, to the grid of 2^-1074. Scaled by 2^1074 the subnormal
// magnitudes become the integers 1 to 2^52 - 1, held exactly, and the chain
// value x is that integer. So, with P = RN(a x) and Q = RN(P / s):
// - where Q >= 1/2, P > Q s / 2 >= 1/8: the scaled product and quotient are
//   normal, and being a power of two away from the exact step's, they are
//   its 53-bit product and quotient scaled;
// - for 0 <= Q <= 2^52, Q + 2^52 lies in [2^52, 2^53], where the doubles are
//   the integers, so RN(Q + 2^52) is 2^52 plus Q rounded to an integer, ties
//   to even (2^52 is even), and subtracting 2^52 again is exact. That is the
//   exact step's second rounding;
// - the range holds the integers 1 to 2^52 - 1, so a chain value in it came
//   from 1/2 <= Q < 2^52 - 1/2, where all of the above holds. An infinite or
//   larger Q leaves the range.
struct GridDomain {
    static constexpr int kScale = 1074;
    static constexpr double kUnit = 0x1p52;  // where the doubles are the integers

    [[nodiscard]] static Magnitudes magnitudes() { return {0x1p-1074, DBL_MIN - 0x1p-1074}; }
    [[nodiscard]] static double chain_value(double magnitude) { return std::ldexp(magnitude, kScale); }
    [[nodiscard]] static double magnitude(double chain_value) { return std::ldexp(chain_value, -kScale); }

    [[nodiscard]] double times(double m, double x) const { return m * x; }
    [[nodiscard]] double next(double quotient) const { return (quotient + kUnit) - kUnit; }
};

// The plain loop: a multiply and a divide on the dependency chain, and the
// checks off it, on the chain value's bits. limit > 0.
template <class Domain>
KONDENSATOR_LOOP Segment run_plain_segment(const Discharger& discharger, Domain domain, ChainRange range,
                                           std::uint64_t start_bits, std::int32_t limit) {
    const double a = std::fabs(discharger.scaled_c1());
    const double s = std::fabs(discharger.scaled_sum());
    Segment segment{start_bits, 0, 0};
    double x = from_bits(start_bits);
    for (;;) {
        const double next = domain.next(domain.times(a, x) / s);
        const std::uint64_t next_bits = bits(next);
        if (!range.holds(next_bits) || next_bits == segment.last_bits) break;
        segment.before_bits = segment.last_bits;
        segment.last_bits = next_bits;
        x = next;
        if (++segment.done == limit) break;
    }
    return Segment{segment};  // a copy, as in the FMA loop: the progress stays in registers
}

}  // namespace

LoopState run_plain_discharges(LoopState state, const Discharger& discharger, double vend,
                               std::int32_t limit) noexcept {
    if (!loop_can_start(state, discharger, vend, limit)) return state;
    const double magnitude = std::fabs(state.v);
    if (magnitude < DBL_MIN) {
        return run_in_domain(state, discharger, GridDomain{}, vend, limit, run_plain_segment<GridDomain>);
    }
    return run_in_domain(state, discharger, ScaledDomain::for_voltage(magnitude), vend, limit,
                         run_plain_segment<ScaledDomain>);
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

// The FMA loop.

namespace {

// The divisor s is the same in every discharge, so 1/s is prepared once as a
// double-word zh + zl, after Brisebarre, Muller and Raina, "Accelerating
// correctly rounded floating-point division when the divisor is known in
// advance" (IEEE Transactions on Computers 53(8), 2004). A discharge forms
// the product p = RN(a u), and the quotient q = RN(p * zh + u * w) with
// w = RN(a * zl): the correction u * w depends on u alone, so one multiply
// and one FMA lie on the chain from one voltage to the next.
//
// Why a quotient that passes the check is RN(p / s). The check FMA gives
// RN(p - q * s). Let g be the gap between q and the double just below it; the
// gap above q is g or 2g, so every real number within less than g/2 of q
// rounds to q. h = (g/2) s is computed exactly: a power of two times s, and a
// normal double for q >= 2^-960. Rounding is monotonic and h is a double, so
// |RN(p - q s)| < h implies |p - q s| < h, that is |p/s - q| < g/2, and
// q = RN(p/s). Then p > s (q - g/2) is normal too, so it is the 53-bit
// product of the exact step, and q its 53-bit quotient. How q was formed
// decides only how often the check passes, never whether a quotient that
// passed is right: zh + zl is 1/s to about 2^-106 and u * w is p * zl to about
// 2^-52 of itself, so p * zh + u * w is p/s to a few units of 2^-105 of
// itself, and q misses RN(p/s) only when p/s lies that close to a midpoint.
struct Reciprocal {
    double c1;          // a
    double divisor;     // s, in [0.5, 1)
    double high;        // zh
    double correction;  // w
    std::uint64_t half_gap_scale;  // the bits of s * 2^-53

    KONDENSATOR_FMA_PIECE static Reciprocal of(const Discharger& discharger) {
        const double c1 = std::fabs(discharger.scaled_c1());
        const double divisor = std::fabs(discharger.scaled_sum());
        const double high = 1.0 / divisor;
        const double low = std::fma(-divisor, high, 1.0) / divisor;
        return {c1, divisor, high, c1 * low, bits(divisor * 0x1p-53)};
    }
};

// For a q of at least 2^-960: the bits of h = (g/2) s, where g is the gap
// between q and the double x just below it. With 2^E <= x < 2^(E+1), g is
// 2^(E-52) and h is 2^E times s * 2^-53. Multiplying by a power of two adds to
// the exponent field, so this stays in the integer unit, away from the
// floating-point units.
KONDENSATOR_FMA_PIECE std::uint64_t half_gap_times_divisor(std::uint64_t q_bits, std::uint64_t half_gap_scale) {
    return (((q_bits - 1) & kExponentField) - bits(1.0)) + half_gap_scale;
}

// One discharge as the chain computes it from the chain value x.
struct Step {
    double product;   // p
    double quotient;  // q
    double next;      // the chain value of q
};

// Subnormal voltages: the exact step rounds the 53-bit quotient once more, to
// the grid of 2^-1074. Scaled by 2^1022, the subnormals become the multiples
// of G = 2^-52 in [0, 1), and the chain value is x = 1 + scaled magnitude,
// held exactly: [1, 2) is the binade whose ulp is G. So:
// - RN(q + 1) is 1 plus q rounded to a multiple of G, ties to even, for
//   0 < q < 1 - G/2 (1 is an even multiple of G); a larger q gives 2 or more,
//   which the range refuses. That is the exact step's second rounding.
// - fma(m, x, -m) is RN(m (x - 1)), rounded once: m * 1 is exact. So the
//   products of the scaled magnitude come from x directly, and the chain is
//   an FMA, an FMA and an addition.
// - a chain value of at least 1 + G means a quotient above G/2 = 2^-53, far
//   above 2^-960, so the range vouches for the check.
// - the chain values stay below 2, so no hardware operation is subnormal.
struct SubnormalDomain {
    static constexpr int kScale = 1022;
    static constexpr double kOne = 1.0;

    [[nodiscard]] static Magnitudes magnitudes() { return {0x1p-1074, DBL_MIN - 0x1p-1074}; }
    [[nodiscard]] static double chain_value(double magnitude) { return kOne + std::ldexp(magnitude, kScale); }
    [[nodiscard]] static double magnitude(double chain_value) { return std::ldexp(chain_value - kOne, -kScale); }

    KONDENSATOR_FMA_PIECE double times(double m, double x) const { return std::fma(m, x, -m); }
    KONDENSATOR_FMA_PIECE double next(double quotient) const { return quotient + kOne; }
};

template <class Domain>
KONDENSATOR_FMA_PIECE Step discharge_step(const Reciprocal& r, const Domain& domain, double x) {
    const double product = domain.times(r.c1, x);
    const double quotient = std::fma(product, r.high, domain.times(r.correction, x));
    return {product, quotient, domain.next(quotient)};
}

// The checks of one discharge from the chain value with bits x_bits: the
// quotient is the exact step's, the next chain value is in the range, and it
// is not the same again.
KONDENSATOR_FMA_PIECE bool vouched_for(const Reciprocal& r, ChainRange range, const Step& step, std::uint64_t x_bits) {
    const std::uint64_t next_bits = bits(step.next);
    const std::uint64_t remainder_bits = bits(std::fma(-step.quotient, r.divisor, step.product)) & kMagnitude;
    return range.holds(next_bits) &&
           remainder_bits < half_gap_times_divisor(bits(step.quotient), r.half_gap_scale) && next_bits != x_bits;
}

// Keeps the discharge after the one being checked ahead of the check in the
// emitted code. The processor gives a ready operation of the chain priority
// over the check only where the chain's operation comes first in program
// order; otherwise the check's FMA and the chain's multiplies, all ready in
// the same cycle, share two pipes and the chain waits a cycle. Neither GCC
// nor Clang keeps this order by itself. The empty asm reads the next chain
// value, so it must be computed before, and hands back the checked values as
// new, so the check must come after. Only reading the chain value leaves it
// in its register: handing it back too costs GCC a copy on the chain.
KONDENSATOR_FMA_PIECE void keep_ahead_of_check([[maybe_unused]] const Step& following,
                                               [[maybe_unused]] Step& checked) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    asm("" : "+x"(checked.product), "+x"(checked.quotient), "+x"(checked.next) : "x"(following.next));
#elif defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
    asm("" : "+w"(checked.product), "+w"(checked.quotient), "+w"(checked.next) : "w"(following.next));
#endif
}

// Checks `pending` while `following` is computed; false where the loop stops.
template <class Domain>
KONDENSATOR_FMA_PIECE bool turn(const Reciprocal& r, const Domain& domain, ChainRange range, std::int32_t limit,
                                Step& pending, Step& following, Segment& segment) {
    following = discharge_step(r, domain, pending.next);
    keep_ahead_of_check(following, pending);
    if (!vouched_for(r, range, pending, segment.last_bits)) return false;
    segment.before_bits = segment.last_bits;
    segment.last_bits = bits(pending.next);
    return ++segment.done != limit;
}

// The skeleton: discharge, check, stop before what it cannot vouch for. The
// check of a discharge runs while the next one is already on its way; when it
// fails, nothing of the next one is used. Two steps a turn, so that neither
// step's values are copied along the chain; out of line, so that the loop has
// the registers to itself. limit > 0.
template <class Domain>
KONDENSATOR_FMA_LOOP Segment run_fma_segment(const Discharger& discharger, Domain domain, ChainRange range,
                                             std::uint64_t start_bits, std::int32_t limit) {
    const Reciprocal r = Reciprocal::of(discharger);
    Segment segment{start_bits, 0, 0};
    Step a = discharge_step(r, domain, from_bits(start_bits));
    Step b{};
    while (turn(r, domain, range, limit, a, b, segment) && turn(r, domain, range, limit, b, a, segment)) {
    }
    // A copy, so that the loop keeps its progress in registers rather than
    // in the caller's memory for the result.
    return Segment{segment};
}

}  // namespace

KONDENSATOR_FMA_TARGET
LoopState run_fma_discharges(LoopState state, const Discharger& discharger, double vend,
                             std::int32_t limit) noexcept {
    if (!loop_can_start(state, discharger, vend, limit)) return state;
    const double magnitude = std::fabs(state.v);
    if (magnitude < DBL_MIN) {
        return run_in_domain(state, discharger, SubnormalDomain{}, vend, limit, run_fma_segment<SubnormalDomain>);
    }
    return run_in_domain(state, discharger, ScaledDomain::for_voltage(magnitude), vend, limit,
                         run_fma_segment<ScaledDomain>);
}

}  // namespace kondensator
