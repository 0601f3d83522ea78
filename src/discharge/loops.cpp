#include "discharge/loops.hpp"

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
// A floating-point register, as an asm statement names one.
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define KONDENSATOR_FP_REGISTER "x"
#elif (defined(__GNUC__) || defined(__clang__)) && defined(__aarch64__)
#define KONDENSATOR_FP_REGISTER "w"
#endif

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
// - a range of bit patterns holds the chain values the loop may go to, and
//   says which way they move;
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

// The chain values a loop may go to, an interval of bit patterns (the chain
// values are positive, and positive doubles are ordered as their bits), and
// the way their magnitudes move: down where |c1 / (c1 + c2)| < 1, up where it
// is larger. A loop vouches for a discharge only where the chain value's
// distance from the end it moves towards falls. One unsigned comparison then
// says both that the value lies in the interval and that it moved: the
// distances of all the values of a segment differ, so no voltage repeats one
// of the two before it. A move the other way is never vouched for; it leaves
// the discharge to the exact step, which is only slower. Where the magnitudes
// fall that never happens: with a < s, s - a is at least an ulp of a, more
// than 2^-53 a, while rounding moves a u by at most 2^-53 a u, so
// RN(a u) < s u, and the quotient is at most u.
struct ChainRange {
    std::uint64_t towards;   // 0 where the magnitudes fall, all ones where they grow
    std::uint64_t end;       // the lowest bits where they fall; the complement of the highest where they grow
    std::uint64_t farthest;  // the distance of the interval's other end, plus one

    static ChainRange between(std::uint64_t low, std::uint64_t high, bool grows) {
        return grows ? ChainRange{~std::uint64_t{0}, ~high, high - low + 1} : ChainRange{0, low, high - low + 1};
    }
    // The distance from the end, which is at most `farthest` - 1 in the
    // interval; elsewhere it is larger, wrapping round for values beyond the end.
    [[nodiscard]] std::uint64_t distance(std::uint64_t x_bits) const { return (x_bits ^ towards) - end; }
    [[nodiscard]] std::uint64_t at(std::uint64_t distance) const { return (distance + end) ^ towards; }
    // Where a segment starts: a first value outside the interval is farther
    // than all within it.
    [[nodiscard]] std::uint64_t start(std::uint64_t x_bits) const { return std::min(distance(x_bits), farthest); }
};

// What a segment of a loop did: the distances of the chain values after the
// last discharge it vouched for and the one before (that one only where
// done > 1), and how many it vouched for. The distances alone are kept, as
// they say which values they are.
struct Segment {
    std::uint64_t last_distance;
    std::uint64_t before_distance;
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
    const bool grows = std::fabs(discharger.scaled_c1()) > std::fabs(discharger.scaled_sum());
    const ChainRange range = ChainRange::between(bits(domain.chain_value(magnitudes->lowest)),
                                                 bits(domain.chain_value(magnitudes->highest)), grows);

    const std::uint64_t start_bits = bits(domain.chain_value(std::fabs(state.v)));
    const Segment segment = run_segment(discharger, domain, range, start_bits, limit - state.count);
    if (segment.done == 0) return state;
    const std::uint64_t last_bits = range.at(segment.last_distance);
    const std::uint64_t before_bits = segment.done > 1 ? range.at(segment.before_distance) : start_bits;
    // The voltage after discharge n has the sign of v, or that of v times (-1)^n.
    const auto voltage = [&](std::uint64_t chain_bits, std::int32_t n) {
        const bool sign = negative != (flips && n % 2 != 0);
        return std::copysign(domain.magnitude(from_bits(chain_bits)), sign ? -1.0 : 1.0);
    };
    return {voltage(last_bits, segment.done), voltage(before_bits, segment.done - 1), state.count + segment.done};
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
    static constexpr bool kNextIsQuotient = true;
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
    Segment segment{range.start(start_bits), 0, 0};
    double x = from_bits(start_bits);
    for (;;) {
        const double next = domain.next(domain.times(a, x) / s);
        const std::uint64_t next_bits = bits(next);
        const std::uint64_t distance = range.distance(next_bits);
        if (distance >= segment.last_distance) break;
        segment.before_distance = segment.last_distance;
        segment.last_distance = distance;
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
    std::uint64_t half_gap_scale;  // the bits of s * 2^-53, less those of 1.0

    KONDENSATOR_FMA_PIECE static Reciprocal of(const Discharger& discharger) {
        const double c1 = std::fabs(discharger.scaled_c1());
        const double divisor = std::fabs(discharger.scaled_sum());
        const double high = 1.0 / divisor;
        const double low = std::fma(-divisor, high, 1.0) / divisor;
        return {c1, divisor, high, c1 * low, bits(divisor * 0x1p-53) - bits(1.0)};
    }
};

// For a q of at least 2^-960: the bits of h = (g/2) s, where g is the gap
// between q and the double x just below it. With 2^E <= x < 2^(E+1), g is
// 2^(E-52) and h is 2^E times s * 2^-53. Multiplying by a power of two adds to
// the exponent field (here the field of x, less that of 1.0, which the scale
// holds already), so this stays in the integer unit, away from the
// floating-point units.
KONDENSATOR_FMA_PIECE std::uint64_t half_gap_times_divisor(std::uint64_t q_bits, std::uint64_t half_gap_scale) {
    return ((q_bits - 1) & kExponentField) + half_gap_scale;
}

// Hands back `value` as a value the compiler knows nothing of, in a
// register, once `after` is computed: what uses it then comes after `after`
// in the emitted code. The asm is empty, so this costs no instruction.
KONDENSATOR_FMA_PIECE void hold_until([[maybe_unused]] double& value, [[maybe_unused]] double after) {
#if defined(KONDENSATOR_FP_REGISTER)
    asm("" : "+" KONDENSATOR_FP_REGISTER(value) : KONDENSATOR_FP_REGISTER(after));
#endif
}

// The bits of a value the chain computed, for the checks in the integer unit.
// On x86-64 they go there through memory: a store and a load use ports of
// their own, where a move between the register files (vmovq) takes port 0 of
// Intel processors, one of the two ports of the chain's multiplies and FMAs,
// and delays the chain whenever the two are ready in the same cycle. On AMD
// processors that move has a pipe of its own, and both ways cost the same.
KONDENSATOR_FMA_PIECE std::uint64_t integer_bits(double x) {
#if defined(__x86_64__)
    volatile std::uint64_t slot = bits(x);
    return slot;
#else
    return bits(x);
#endif
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

    // The FMA overwrites one of its operands. A copy of m made anew for
    // each x is one it may overwrite, so that x keeps its register for the
    // other product; GCC would otherwise copy x, on the chain.
    KONDENSATOR_FMA_PIECE double times(double m, double x) const {
        double factor = m;
        hold_until(factor, x);
        return std::fma(factor, x, -m);
    }
    KONDENSATOR_FMA_PIECE double next(double quotient) const { return quotient + kOne; }
    static constexpr bool kNextIsQuotient = false;
};

template <class Domain>
KONDENSATOR_FMA_PIECE Step discharge_step(const Reciprocal& r, const Domain& domain, double x) {
    const double product = domain.times(r.c1, x);
    const double quotient = std::fma(product, r.high, domain.times(r.correction, x));
    return {product, quotient, domain.next(quotient)};
}

// The checks of one discharge: the next chain value, at `distance` from the
// range's end, moved towards it within the range, and the quotient is the
// exact step's.
KONDENSATOR_FMA_PIECE bool vouched_for(const Reciprocal& r, const Step& step, std::uint64_t quotient_bits,
                                       std::uint64_t distance, std::uint64_t last_distance) {
    const std::uint64_t remainder_bits = integer_bits(std::fma(-step.quotient, r.divisor, step.product)) & kMagnitude;
    return distance < last_distance && remainder_bits < half_gap_times_divisor(quotient_bits, r.half_gap_scale);
}

// Keeps the discharge after the one being checked ahead of the check in the
// emitted code. The processor gives a ready operation of the chain priority
// over the check only where the chain's operation comes first in program
// order; otherwise the check's FMA and the chain's multiplies, all ready in
// the same cycle, share two pipes and the chain waits a cycle. Neither GCC
// nor Clang keeps this order by itself. The checked values are handed back
// as new once the next chain value is computed, so the check must come
// after. The chain value itself is only read: handing it back too costs GCC
// a copy on the chain.
template <class Domain>
KONDENSATOR_FMA_PIECE void keep_ahead_of_check(const Step& following, Step& checked) {
    hold_until(checked.product, following.next);
    hold_until(checked.quotient, following.next);
    if constexpr (Domain::kNextIsQuotient) checked.next = checked.quotient;
}

// Checks `pending` while `following` is computed; false where the loop stops.
template <class Domain>
KONDENSATOR_FMA_PIECE bool turn(const Reciprocal& r, const Domain& domain, ChainRange range, std::int32_t limit,
                                Step& pending, Step& following, Segment& segment) {
    following = discharge_step(r, domain, pending.next);
    keep_ahead_of_check<Domain>(following, pending);
    const std::uint64_t next_bits = integer_bits(pending.next);
    const std::uint64_t quotient_bits = Domain::kNextIsQuotient ? next_bits : integer_bits(pending.quotient);
    const std::uint64_t distance = range.distance(next_bits);
    if (!vouched_for(r, pending, quotient_bits, distance, segment.last_distance)) return false;
    segment.before_distance = segment.last_distance;
    segment.last_distance = distance;
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
    Segment segment{range.start(start_bits), 0, 0};
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
