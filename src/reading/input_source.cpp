#include "reading/input_source.hpp"

#include <string>

namespace kondensator {

// A buffer that cannot be read (the file buffer of a closed standard input
// throws) has nothing more to give: that is the end of the input.
std::char_traits<char>::int_type InputSource::next_from_buffer() noexcept {
    try {
        return buffer_->sbumpc();
    } catch (...) {
        return std::char_traits<char>::eof();
    }
}

int InputSource::peek(std::size_t ahead) {
    while (pending_count_ <= ahead) {
        if (ended_ || buffer_ == nullptr) {
            ended_ = true;
            return kEnd;
        }
        const auto c = next_from_buffer();
        if (std::char_traits<char>::eq_int_type(c, std::char_traits<char>::eof())) {
            ended_ = true;
            return kEnd;
        }
        pending_[pending_count_++] = c;  // 0 to 255: not kEnd
    }
    return pending_[ahead];
}

int InputSource::take() {
    const int c = peek();
    if (c != kEnd) {
        for (std::size_t i = 1; i < pending_count_; ++i) {
            pending_[i - 1] = pending_[i];
        }
        --pending_count_;
    }
    return c;
}

}  // namespace kondensator
