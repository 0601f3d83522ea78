#include <iostream>

#include "dialogue.hpp"

namespace {

// A run whose output never arrived (a full disk, a closed standard output)
// must not look like a success.
bool output_was_written(std::ostream& out) { return static_cast<bool>(out.flush()); }

}  // namespace

int main() {
    // The dialogue reads standard input through its stream buffer and flushes
    // its output itself before every read, so the C stdio need not be shared.
    std::ios_base::sync_with_stdio(false);
    const int status = kondensator::run_dialogue(std::cin, std::cout);
    if (!output_was_written(std::cout)) {
        std::cerr << "kondensator: kan ikke skrive til standard ut\n";
        return 1;
    }
    return status;
}
