// The program in a web page: the dialogue reads what the page sends and hands
// what it writes back to the page. The page (or the test runner under node)
// gives the module four functions: readInput(capacity), a promise of at most
// capacity bytes, none at the end of the input; writeOutput(bytes);
// awaitingKey(), called as the program waits for its closing key; and
// ended(status), called once the program has ended.
#include <emscripten.h>

#include <array>
#include <istream>
#include <ostream>
#include <streambuf>

#include "dialogue.hpp"
#include "web/page_output.hpp"

namespace {

// Waits, without blocking the page's worker, until the page sends input.
EM_ASYNC_JS(int, read_from_page, (char* buffer, int capacity), {
    const bytes = await Module.readInput(capacity);
    HEAPU8.set(bytes, buffer);
    return bytes.length;
});

EM_JS(void, write_to_page, (const char* data, int size), {
    Module.writeOutput(HEAPU8.slice(data, data + size));
});

EM_JS(void, report_awaiting_key, (), {
    Module.awaitingKey();
});

// main returns to the runtime each time the program waits for input, so its
// last return says nothing by itself; the page hears of the end from here.
EM_JS(void, report_end, (int status), {
    Module.ended(status);
});

class PageReport : public kondensator::DialogueReport {
public:
    void awaiting_key() override { report_awaiting_key(); }
};

class PageInput : public std::streambuf {
private:
    int_type underflow() override {
        const int count = read_from_page(buffer_.data(), static_cast<int>(buffer_.size()));
        if (count <= 0) return traits_type::eof();
        setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
        return traits_type::to_int_type(buffer_[0]);
    }
    std::array<char, 4096> buffer_{};
};

}  // namespace

int main() {
    PageInput input_buffer;
    kondensator::PageOutput output_buffer([](void*, const char* data, int size) { write_to_page(data, size); },
                                          nullptr);
    std::istream in(&input_buffer);
    std::ostream out(&output_buffer);
    PageReport report;
    const int status = kondensator::run_dialogue(in, out, kondensator::kMaxDischarges, &report);
    out.flush();
    report_end(status);
    return status;
}
