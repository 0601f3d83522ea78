#pragma once

#include <cstdint>

namespace kondensator {

// Whether simple bounds prove, before any discharge is carried out, that the
// discharges one at a time would carry out `limit` discharges with the voltage
// still at or above vend, so that the count ends at the limit. False wherever
// they prove nothing; never true where the discharges would end otherwise.
[[nodiscard]] bool bounds_prove_limit_reached(double c1, double c2, double v1, double vend,
                                              std::int32_t limit) noexcept;

}  // namespace kondensator
