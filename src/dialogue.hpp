#pragma once

#include <cstdint>
#include <iosfwd>

#include "discharge/count.hpp"

namespace kondensator {

// The whole console dialogue: asks for the two capacitances, the starting
// voltage of capacitor 1 and the final voltage, writes how many discharges
// bring the voltage below the final voltage (or what is wrong with a value),
// then discards the rest of the last line read and waits for one more
// character. Output is flushed before every read. At most discharge_limit discharges are
// carried out. Returns the exit status of the program.
int run_dialogue(std::istream& in, std::ostream& out,
                 std::int32_t discharge_limit = kMaxDischarges);

}  // namespace kondensator
