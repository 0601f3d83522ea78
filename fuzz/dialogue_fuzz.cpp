// Runs the whole dialogue on arbitrary bytes and checks the shape of what it
// writes: the four prompts in order, exactly one result line, the closing text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "dialogue.hpp"

namespace {

constexpr std::int32_t kDischargeLimit = 1000;  // no input runs long

constexpr std::string_view kPrompts =
    "Kapasitans kondensator 1 [F]: Kapasitans kondensator 2 [F]: "
    "Spenning kondensator 1 [V]: Sluttspenning [V]: Antall ganger nedladet: ";
constexpr std::string_view kClosing = "\nTrykk en tast...";

bool is_count(std::string_view text) {
    if (text.empty() || text.size() > 4 || (text.size() > 1 && text[0] == '0')) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return std::stoi(std::string(text)) <= kDischargeLimit;
}

bool is_unknown(std::string_view text) {
    for (const std::string_view name : {"kapasitans kondensator 1", "kapasitans kondensator 2",
                                        "spenning kondensator 1", "sluttspenning"}) {
        for (const std::string_view why : {" er ikke et tall)", " mangler)"}) {
            if (text == std::string("ukjent (").append(name).append(why)) return true;
        }
    }
    return false;
}

bool is_result(std::string_view text) {
    return is_count(text) || is_unknown(text) ||
           text == "uendelig (spenningen faller aldri under sluttspenningen)" ||
           text == "over " + std::to_string(kDischargeLimit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    const int status = kondensator::run_dialogue(in, out, kDischargeLimit);
    const std::string written = out.str();
    const std::string_view text(written);
    const bool shaped = text.size() >= kPrompts.size() + kClosing.size() && text.starts_with(kPrompts) &&
                        text.ends_with(kClosing) &&
                        is_result(text.substr(kPrompts.size(), text.size() - kPrompts.size() - kClosing.size()));
    if (status != 0 || !shaped) std::abort();
    return 0;
}
