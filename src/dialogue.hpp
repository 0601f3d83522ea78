#pragma once

#include <cstdint>
#include <iosfwd>
#include <string_view>

#include "discharge/count.hpp"
#include "words.hpp"

namespace kondensator {

// What the dialogue tells a page that shows it, beside its text. The
// console program listens to none of it.
class DialogueReport : public Progress {
public:
    // The four values, as the dialogue read them, where all four are known.
    virtual void values_read([[maybe_unused]] double c1, [[maybe_unused]] double c2, [[maybe_unused]] double v1,
                             [[maybe_unused]] double vend) {}
    // Where the count keeps the run's voltages for the page, if anywhere;
    // asked right after values_read.
    virtual SampleLog* sample_log() { return nullptr; }
    // The count the result line writes, after values_read.
    virtual void answered([[maybe_unused]] const DischargeCount& count) {}
    // What the result line says in place of a count where a value could not
    // be read: "ukjent (...)".
    virtual void unread([[maybe_unused]] std::string_view text) {}
    // How far a long count has come.
    void discharged([[maybe_unused]] std::int32_t count) override {}
    // The closing wait is about to take its key: the page ends the run on any
    // key, where a terminal hands over a line.
    virtual void awaiting_key() {}

protected:
    ~DialogueReport() = default;
};

// The whole console dialogue: asks for the two capacitances, the starting
// voltage of capacitor 1 and the final voltage, writes how many discharges
// bring the voltage below the final voltage (or what is wrong with a value),
// then discards the rest of the last line read and waits for one more
// character. Output is flushed before every read. At most discharge_limit
// discharges are carried out. Its texts are in `form`. Returns the exit
// status of the program.
int run_dialogue(std::istream& in, std::ostream& out, std::int32_t discharge_limit = kMaxDischarges,
                 DialogueReport* report = nullptr, WrittenForm form = WrittenForm::bokmal);

}  // namespace kondensator
