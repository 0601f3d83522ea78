#include "discharge/count.hpp"

#include <algorithm>
#include <cmath>

#include "discharge/bound.hpp"
#include "discharge/discharger.hpp"
#include "discharge/kernels.hpp"
#include "discharge/loops.hpp"
#include "discharge/samples.hpp"
#include "discharge/wide_float.hpp"
#include "platform.hpp"

namespace kondensator {

namespace {

// A fast loop returns after at most this many discharges, and is called
// again, for engines that compile in tiers: claim 25 of doc/discharge.md.
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

// A voltage that never falls below vend ends up repeating one of the two
// before it (claim 5 of doc/discharge.md). The fast loops go as far as they
// can vouch for; where one stops without a discharge done, the exact step
// takes the next one (claim 25). Between those, a long run says how far it
// has come.
DischargeRunner::DischargeRunner(double c1, double c2, double v1, double vend, DischargeKernel kernel,
                                 Progress* progress) noexcept
    : discharger_(c1, c2),
      vend_(vend),
      kernel_(kernel == DischargeKernel::fma && !fma_in_hardware() ? DischargeKernel::plain : kernel),
      progress_(progress),
      state_{v1, NAN, 0} {}

DischargeRun DischargeRunner::run(std::int32_t limit) noexcept {
    for (;;) {
        if (ended_) {
            return {{DischargeCount::Kind::never_falls, state_.count}, state_.v, exact_steps_};
        }
        if (!(state_.v >= vend_)) {
            return {{DischargeCount::Kind::fell_below, state_.count}, state_.v, exact_steps_};
        }
        if (state_.count >= limit) {
            return {{DischargeCount::Kind::limit_exceeded, state_.count}, state_.v, exact_steps_};
        }
        if (progress_ != nullptr && state_.count >= next_report_) {
            progress_->discharged(state_.count);
            next_report_ = state_.count + std::min(kMaxDischarges - state_.count, kDischargesBetweenReports);
        }
        const LoopState fast = run_fast_discharges(state_, discharger_, vend_, limit, kernel_);
        if (fast.count != state_.count) {
            state_ = fast;
            earlier_known_ = false;
            continue;
        }
        const double next = discharger_.exact_step(state_.v);
        ++state_.count;
        ++exact_steps_;
        ended_ = (next == state_.v || next == state_.previous) && next >= vend_;
        earlier_ = state_.previous;
        earlier_known_ = true;
        state_.previous = state_.v;
        state_.v = next;
    }
}

DischargeRunner::Recent DischargeRunner::recent() const noexcept {
    return {{earlier_, state_.previous, state_.v}, std::min(state_.count, earlier_known_ ? 3 : 2)};
}

DischargeRun run_discharges(double c1, double c2, double v1, double vend, std::int32_t limit,
                            DischargeKernel kernel) noexcept {
    return DischargeRunner(c1, c2, v1, vend, kernel).run(limit);
}

DischargeCount count_discharges(double c1, double c2, double v1, double vend, std::int32_t limit,
                                Progress* progress, SampleLog* log) {
    const LimitProof proof = bound_proving_limit_reached(c1, c2, v1, vend, limit);
    const DischargeCount over_the_limit{DischargeCount::Kind::limit_exceeded, limit};
    if (proof != LimitProof::none && log == nullptr) return over_the_limit;
    DischargeRunner runner(c1, c2, v1, vend, fastest_discharge_kernel(), progress);
    if (log == nullptr) return runner.run(limit).result;

    // From one discharge of the log's plan to the next, and where a bound
    // gave the answer, only as far as the first few.
    log->proved_by(proof);
    const std::int32_t last = proof == LimitProof::none ? limit : std::min(limit, SampleLog::kFirst);
    DischargeRun run{};
    for (std::int64_t n = log->next_after(0);; n = log->next_after(run.result.count)) {
        run = runner.run(static_cast<std::int32_t>(std::min<std::int64_t>(n, last)));
        if (run.result.kind != DischargeCount::Kind::limit_exceeded || run.result.count == last) break;
        log->keep(run.result.count, run.voltage);
    }
    const DischargeRunner::Recent recent = runner.recent();
    for (int back = recent.known - 1; back >= 0; --back) {
        log->keep(run.result.count - back, recent.voltages[static_cast<std::size_t>(2 - back)]);
    }
    return proof == LimitProof::none ? run.result : over_the_limit;
}

}  // namespace kondensator
