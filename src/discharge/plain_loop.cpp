// The plain loop: a multiply and a divide on doubles, for every processor.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "discharge/loop_skeleton.hpp"
#include "discharge/loops.hpp"

namespace kondensator {

namespace loops {
namespace {

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
struct GridDomain : SubnormalMagnitudes {
    static constexpr int kScale = 1074;
    static constexpr double kUnit = 0x1p52;  // where the doubles are the integers

    [[nodiscard]] static double chain_value(double magnitude) { return std::ldexp(magnitude, kScale); }
    [[nodiscard]] static double magnitude(double chain_value) { return std::ldexp(chain_value, -kScale); }

    [[nodiscard]] double times(double m, double x) const { return m * x; }
    [[nodiscard]] double next(double quotient) const { return (quotient + kUnit) - kUnit; }
    static constexpr bool kNextIsQuotient = false;
};

// The plain loop: a multiply and a divide on the dependency chain, and the
// checks off it, on the chain value's bits. limit > 0.
template <LoopDomain Domain>
KONDENSATOR_OUT_OF_LINE Segment run_plain_segment(const Discharger& discharger, Domain domain, ChainRange range,
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
}  // namespace loops

LoopState run_plain_discharges(LoopState state, const Discharger& discharger, double vend,
                               std::int32_t limit) noexcept {
    return loops::run_loop(state, discharger, vend, limit, loops::run_plain_segment<loops::GridDomain>,
                           loops::run_plain_segment<loops::ScaledDomain>);
}

}  // namespace kondensator
