#pragma once

// What a whole session shows, as the tests of the dialogue, of the program and
// the fuzzer expect it: the prompts, the result line, the closing text.

#include <string>

namespace transcript {

inline const std::string kPrompts[] = {"Kapasitans kondensator 1 [F]: ", "Kapasitans kondensator 2 [F]: ",
                                       "Spenning kondensator 1 [V]: ", "Sluttspenning [V]: "};
inline const std::string kAllPrompts = kPrompts[0] + kPrompts[1] + kPrompts[2] + kPrompts[3];
inline const std::string kResultLabel = "Antall ganger nedladet: ";
inline const std::string kClosing = "\nTrykk en tast...";

// The whole output of a session whose result line says `result`, in bokmål,
// or in nynorsk, where the prompts are the same.
inline std::string of(const std::string& result) { return kAllPrompts + kResultLabel + result + kClosing; }
inline std::string in_nynorsk(const std::string& result) {
    return kAllPrompts + "Tal på utladingar: " + result + "\nTrykk ein tast...";
}

}  // namespace transcript
