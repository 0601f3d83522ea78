#pragma once

// The program's output on its way to the page: held until the dialogue
// flushes it (before every read, and at the end), then delivered in one
// piece, so that the page shows each prompt whole and never a part of one.

#include <array>
#include <streambuf>

namespace kondensator {

class PageOutput : public std::streambuf {
public:
    // Called with each flushed piece.
    using Deliver = void (*)(void* context, const char* data, int size);

    PageOutput(Deliver deliver, void* context) : deliver_(deliver), context_(context) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }

private:
    int sync() override {
        if (pptr() > pbase()) deliver_(context_, pbase(), static_cast<int>(pptr() - pbase()));
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return 0;
    }
    int_type overflow(int_type c) override {
        sync();
        if (!traits_type::eq_int_type(c, traits_type::eof())) sputc(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }

    Deliver deliver_;
    void* context_;
    std::array<char, 4096> buffer_{};
};

}  // namespace kondensator
