#pragma once

#include <cstdint>

namespace kondensator {

// Which bound proves, before any discharge is carried out, that the
// discharges one at a time would carry out `limit` discharges with the voltage
// still at or above vend, so that the count ends at the limit: none wherever
// they prove nothing, and never one where the discharges would end otherwise.
enum class LimitProof {
    none,
    ratio,           // every discharge multiplies the voltage by a factor too near 1
    doubles_passed,  // every discharge moves the voltage by a few doubles at most
};

[[nodiscard]] LimitProof bound_proving_limit_reached(double c1, double c2, double v1, double vend,
                                                     std::int32_t limit) noexcept;

}  // namespace kondensator
