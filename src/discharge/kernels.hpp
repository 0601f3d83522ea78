#pragma once

// The machinery of the count, open to the benchmark and the tests, which
// hold each way of discharging against the exact step. The dialogue needs
// only count_discharges (count.hpp).

#include <array>
#include <cmath>
#include <cstdint>

#include "discharge/count.hpp"
#include "discharge/discharger.hpp"
#include "discharge/loops.hpp"

namespace kondensator {

// The ways of carrying out the discharges one at a time. All give the same
// bits: the fast loops carry out only discharges they can prove equal to the
// exact step, and leave the others to it.
enum class DischargeKernel {
    exact,  // the wide-exponent step alone
    plain,  // a multiply and a divide on doubles
    fma,    // a multiply and an FMA; runs as `plain` where the processor has no FMA
};

// The kernel count_discharges uses on this processor.
[[nodiscard]] DischargeKernel fastest_discharge_kernel() noexcept;

struct DischargeRun {
    DischargeCount result;
    double voltage;            // the voltage of capacitor 1 after the last discharge
    std::int32_t exact_steps;  // how many of the discharges the exact step had to take
};

// The discharges of one run, carried out one at a time, as far as each call
// asks: the count's own loop, which the samples of a run share.
class DischargeRunner {
public:
    DischargeRunner(double c1, double c2, double v1, double vend, DischargeKernel kernel,
                    Progress* progress = nullptr) noexcept;

    // Carries the discharges on until the voltage falls below vend, repeats,
    // or `limit` discharges have been carried out since the start.
    [[nodiscard]] DischargeRun run(std::int32_t limit) noexcept;

    // The voltages after the last discharges carried out, oldest first: the
    // last three where the last was the exact step's, as the last of a run
    // that falls below vend or repeats always is, and the last two after a
    // fast loop; fewer where fewer were carried out.
    struct Recent {
        std::array<double, 3> voltages;  // the newest last
        int known;                       // how many of them, from the newest back
    };
    [[nodiscard]] Recent recent() const noexcept;

private:
    static constexpr std::int32_t kDischargesBetweenReports = 1 << 22;

    Discharger discharger_;
    double vend_;
    DischargeKernel kernel_;
    Progress* progress_;
    LoopState state_;
    std::int32_t exact_steps_ = 0;
    std::int32_t next_report_ = kDischargesBetweenReports;
    bool ended_ = false;  // the voltage repeats: the last discharge is the count's
    double earlier_ = NAN;  // the voltage two discharges back, where the last was an exact step
    bool earlier_known_ = false;
};

// count_discharges without the bounds: every discharge is carried out.
[[nodiscard]] DischargeRun run_discharges(double c1, double c2, double v1, double vend, std::int32_t limit,
                                          DischargeKernel kernel) noexcept;

}  // namespace kondensator
