#include "discharge/count.hpp"

#include <algorithm>
#include <cmath>

#include "discharge/bound.hpp"
#include "discharge/discharger.hpp"
#include "discharge/kernels.hpp"
#include "discharge/loops.hpp"
#include "discharge/wide_float.hpp"
#include "platform.hpp"

namespace kondensator {

namespace {

// A fast loop returns after at most this many discharges, and is called again.
// An engine that compiles in tiers, as browsers do WebAssembly, starts a
// function in code that is quick to make and puts its optimised code to use
// only from the next call on: a run of 2^31 discharges in one call would keep
// to the first. A return costs nanoseconds in some 10^-4 seconds of discharges.
constexpr std::int32_t kDischargesPerCall = 1 << 16;

LoopState run_fast_discharges(LoopState state, const Discharger& discharger, double vend, std::int32_t limit,
                              DischargeKernel kernel) noexcept {
    limit = state.count + std::min(limit - state.count, kDischargesPerCall);
    switch (kernel) {
        case DischargeKernel::exact:
            return state;
        case DischargeKernel::plain:
            return run_plain_discharges(state, discharger, vend, limit);
        case DischargeKernel::fma:
            return run_fma_discharges(state, discharger, vend, limit);
    }
    return state;
}

}  // namespace

DischargeKernel fastest_discharge_kernel() noexcept {
    return fma_in_hardware() ? DischargeKernel::fma : DischargeKernel::plain;
}

// Each discharge depends on the voltage alone, through a monotonic function
// of its magnitude, so a voltage that never falls below vend ends up
// repeating: a discharge leaves it where it was, or (when c1 / (c1 + c2) is
// negative) where it was two discharges back. Seeing that is enough to know
// the loop would run for ever.
//
// The fast loops go as far as they can vouch for; where one stops without a
// discharge done, the exact step takes the next one.
DischargeRun run_discharges(double c1, double c2, double v1, double vend, std::int32_t limit,
                            DischargeKernel kernel) noexcept {
    const Discharger discharger(c1, c2);
    if (kernel == DischargeKernel::fma && !fma_in_hardware()) {
        kernel = DischargeKernel::plain;
    }
    LoopState state{v1, NAN, 0};
    std::int32_t exact_steps = 0;
    for (;;) {
        if (!(state.v >= vend)) {
            return {{DischargeCount::Kind::fell_below, state.count}, state.v, exact_steps};
        }
        if (state.count == limit) {
            return {{DischargeCount::Kind::limit_exceeded, state.count}, state.v, exact_steps};
        }
        const LoopState fast = run_fast_discharges(state, discharger, vend, limit, kernel);
        if (fast.count != state.count) {
            state = fast;
            continue;
        }
        const double next = discharger.exact_step(state.v);
        ++state.count;
        ++exact_steps;
        if ((next == state.v || next == state.previous) && next >= vend) {
            return {{DischargeCount::Kind::never_falls, state.count}, next, exact_steps};
        }
        state.previous = state.v;
        state.v = next;
    }
}

DischargeCount count_discharges(double c1, double c2, double v1, double vend, std::int32_t limit) noexcept {
    if (bounds_prove_limit_reached(c1, c2, v1, vend, limit)) {
        return {DischargeCount::Kind::limit_exceeded, limit};
    }
    return run_discharges(c1, c2, v1, vend, limit, fastest_discharge_kernel()).result;
}

}  // namespace kondensator
