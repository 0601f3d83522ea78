// Runs the whole dialogue on arbitrary bytes and checks the shape of what it
// writes: the four prompts in order, exactly one result line, the closing text.
// Where all four values can be read, the result must be the one the exact step
// alone gives, without the fast loops or the early answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>

#include "dialogue.hpp"
#include "discharge/count.hpp"
#include "discharge/kernels.hpp"
#include "reading/input_source.hpp"
#include "reading/number_reader.hpp"
#include "transcript.hpp"

namespace {

constexpr std::int32_t kDischargeLimit = 1000;  // no input runs long

const std::string kPrompts = transcript::kAllPrompts + transcript::kResultLabel;
const std::string& kClosing = transcript::kClosing;

bool is_count(std::string_view text) {
    if (text.empty() || text.size() > 4 || (text.size() > 1 && text[0] == '0')) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return std::stoi(std::string(text)) <= kDischargeLimit;
}

// "ukjent (NAME WHY)", WHY saying what is wrong with the value NAME.
bool is_unknown(const std::string& text) {
    static const std::regex kUnknown(
        "ukjent \\((kapasitans kondensator [12]|spenning kondensator 1|sluttspenning) "
        "(er ikke et tall|mangler|har desimalkomma; bruk punktum|mangler sifre etter '[eE]'"
        "|har '[!-~]' rett etter tallet|har et ukjent tegn rett etter tallet"
        "|har ('p'|'n'|'u'|'m'|'k'|'M'|mikrotegnet) (rett )?etter tallet; bruk e-?[0-9]+ for [a-z]+"
        "|har '[FV]' (rett )?etter tallet; skriv tallet uten enhet)\\)");
    return std::regex_match(text, kUnknown);
}

bool is_result(std::string_view text) {
    return is_count(text) || is_unknown(std::string(text)) ||
           text == "uendelig (spenningen faller aldri under sluttspenningen)" ||
           text == "over " + std::to_string(kDischargeLimit);
}

// The result line the exact step alone gives for these bytes, or an empty
// string where a value cannot be read.
std::string exact_result(const std::string& bytes) {
    std::istringstream in(bytes);
    kondensator::InputSource input(in.rdbuf());
    double values[4] = {};
    for (double& value : values) {
        const kondensator::ReadResult read = kondensator::read_number(input);
        if (read.status != kondensator::ScanStatus::ok) return {};
        value = read.value;
    }
    const auto [c1, c2, v1, vend] = values;
    const auto run = kondensator::run_discharges(c1, c2, v1, vend, kDischargeLimit, kondensator::DischargeKernel::exact);
    using Kind = kondensator::DischargeCount::Kind;
    switch (run.result.kind) {
        case Kind::fell_below: return std::to_string(run.result.count);
        case Kind::never_falls: return "uendelig (spenningen faller aldri under sluttspenningen)";
        case Kind::limit_exceeded: break;
    }
    return "over " + std::to_string(run.result.count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    std::ostringstream out;
    const int status = kondensator::run_dialogue(in, out, kDischargeLimit);
    const std::string written = out.str();
    const std::string_view text(written);
    const bool framed = text.size() >= kPrompts.size() + kClosing.size() && text.starts_with(kPrompts) &&
                        text.ends_with(kClosing);
    if (status != 0 || !framed) std::abort();
    const std::string_view result = text.substr(kPrompts.size(), text.size() - kPrompts.size() - kClosing.size());
    const std::string expected = exact_result(bytes);
    // A decimal comma or an SI prefix behind the final value makes it unknown.
    const bool final_value_unknown = result.starts_with("ukjent (sluttspenning har");
    if (!is_result(result) || (!expected.empty() && result != expected && !final_value_unknown)) std::abort();
    return 0;
}
