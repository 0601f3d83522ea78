#pragma once

// The voltages a run of discharges passes through, for the page that shows
// a run to a class: kept by the count's own pass as it goes, so that each is
// the voltage the count had after that discharge, to the bit, and the page
// has them as soon as it has the answer.

#include <cstdint>
#include <vector>

#include "discharge/bound.hpp"

namespace kondensator {

struct Sample {
    std::int32_t n;  // the discharge after which
    double voltage;  // capacitor 1 holds this voltage

    friend bool operator==(const Sample&, const Sample&) = default;
};

// The voltages a count keeps, and which. Its plan needs no count in advance:
// every discharge up to 12, then ever farther apart (each step a 64th of
// the way so far), a discharge the page asks for with the one before and
// after it, and the last three before the limit; the count adds the last
// three of its run where it ends.
class SampleLog {
public:
    static constexpr std::int32_t kFirst = 12;
    static constexpr std::int32_t kLast = 3;

    // limit: the most discharges the count carries out; wanted: a discharge
    // whose voltage the page wants, or 0.
    explicit SampleLog(std::int32_t limit, std::int32_t wanted = 0);

    // The next discharge after n whose voltage the log keeps, or one beyond
    // the limit where there is none.
    [[nodiscard]] std::int64_t next_after(std::int64_t n) const noexcept;

    // The voltage after discharge n; n only grows from call to call, and an n
    // kept already is not kept again.
    void keep(std::int32_t n, double voltage);

    // Which bound gave the count's answer without running, if any.
    void proved_by(LimitProof proof) noexcept { proof_ = proof; }
    [[nodiscard]] LimitProof proof() const noexcept { return proof_; }

    // What the page shows of a run of `count` discharges: every discharge up
    // to 12, the last three, the wanted one with its neighbours, and up to
    // `spread` of the others spread evenly over log n, in order.
    [[nodiscard]] std::vector<Sample> shown(std::int32_t count, int spread = 400) const;

private:
    std::vector<std::int32_t> plan_;  // ascending
    std::int32_t limit_;
    std::int32_t wanted_;
    std::vector<Sample> kept_;
    LimitProof proof_ = LimitProof::none;
};

}  // namespace kondensator
