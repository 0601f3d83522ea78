#include <iostream>

#include "dialogue.hpp"

int main() {
    // The dialogue reads standard input through its stream buffer and flushes
    // its output itself before every read, so the C stdio need not be shared.
    std::ios_base::sync_with_stdio(false);
    return kondensator::run_dialogue(std::cin, std::cout);
}
