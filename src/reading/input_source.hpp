#pragma once

#include <array>
#include <cstddef>
#include <streambuf>
#include <string>

namespace kondensator {

// The characters of an input stream, with a few characters of lookahead.
//
// Reading a number needs to look up to three characters ahead ("e+7" is an
// exponent, "e+x" is not) and to leave what it does not use for the next read;
// a stream buffer can give back only one character. Every read of a dialogue
// goes through one InputSource, so looked-ahead characters are never lost.
// Once the input has ended it stays ended, as on a stream whose eofbit is set.
class InputSource {
public:
    static constexpr int kEnd = -1;
    static constexpr std::size_t kMaxLookahead = 3;

    // A null buffer is an input that has already ended.
    explicit InputSource(std::streambuf* buffer) noexcept : buffer_(buffer) {}

    // The character `ahead` places further on (0: the next one), or kEnd;
    // nothing is consumed. ahead must be less than kMaxLookahead.
    [[nodiscard]] int peek(std::size_t ahead = 0);

    // Consumes the next character and returns it, or kEnd.
    int take();

private:
    std::char_traits<char>::int_type next_from_buffer() noexcept;

    std::streambuf* buffer_;
    std::array<int, kMaxLookahead> pending_{};  // looked-ahead characters, next one first
    std::size_t pending_count_ = 0;
    bool ended_ = false;
};

}  // namespace kondensator
