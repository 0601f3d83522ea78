// The plain loop: a multiply and a divide on doubles, for every processor.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "discharge/loop_skeleton.hpp"
#include "discharge/loops.hpp"

namespace kondensator {

namespace loops {
namespace {

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
