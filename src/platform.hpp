#pragma once

// What is particular to a compiler, a processor or a C++ library, each piece
// under a name that says what it is for, so that the arithmetic elsewhere
// reads as arithmetic. Every piece has a plain form for any other C++20
// compiler, which gives the same bits, only more slowly.

#include <bit>
#include <charconv>
#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>
#include <version>

// The discharges are exact only where every double operation rounds once to
// binary64, with no wider intermediates and nothing reassociated.
static_assert(std::numeric_limits<double>::is_iec559 && FLT_EVAL_METHOD == 0,
              "double arithmetic must be IEEE binary64 without excess precision");
#ifdef __FAST_MATH__
#error "the discharge arithmetic is exact only without -ffast-math"
#endif

// KONDENSATOR_FMA_TARGET: compiles a function for a fused multiply-add in
// hardware. AArch64 always has one; on x86-64 the FMA loop is compiled for
// the extension and picked at run time (fma_in_hardware()). Elsewhere it is
// compiled without one and never picked.
#if defined(__aarch64__) || defined(__FMA__)
#define KONDENSATOR_FMA_TARGET
#define KONDENSATOR_FMA_ALWAYS 1
#elif defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KONDENSATOR_FMA_TARGET __attribute__((target("fma")))
#define KONDENSATOR_FMA_DETECTED 1
#else
#define KONDENSATOR_FMA_TARGET
#endif

// KONDENSATOR_ALWAYS_INLINE: a piece of a loop, always inlined into it, so
// that it is compiled for the loop's target and its values stay in registers.
// KONDENSATOR_OUT_OF_LINE: a loop kept out of line, so that it has the
// registers to itself.
#if defined(__GNUC__) || defined(__clang__)
#define KONDENSATOR_ALWAYS_INLINE __attribute__((always_inline)) inline
#define KONDENSATOR_OUT_OF_LINE __attribute__((noinline))
#else
#define KONDENSATOR_ALWAYS_INLINE inline
#define KONDENSATOR_OUT_OF_LINE
#endif

namespace kondensator {

// The bits of a double and back. std::bit_cast where the C++ library has it;
// the one of the WebAssembly build has only the compiler's builtin behind it.
constexpr std::uint64_t bits(double x) {
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<std::uint64_t>(x);
#else
    return __builtin_bit_cast(std::uint64_t, x);
#endif
}
constexpr double from_bits(std::uint64_t x) {
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<double>(x);
#else
    return __builtin_bit_cast(double, x);
#endif
}

// The double nearest to plain digits and a decimal exponent, such as
// "123e-5", ties to even; `beyond` where that lies beyond the double range.
// std::from_chars where the C++ library reads doubles with it. The one of the
// WebAssembly build does not; there the C library's strtod, which rounds
// correctly too, beyond the range to infinity and below it to the nearest
// subnormal or zero. Its decimal point is the full stop, in the "C" locale
// the program never leaves.
inline double nearest_double(const std::string& text, [[maybe_unused]] double beyond) {
#if defined(__cpp_lib_to_chars)
    double magnitude = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    return error == std::errc::result_out_of_range ? beyond : magnitude;
#else
    return std::strtod(text.c_str(), nullptr);
#endif
}

// Whether this processor has a fused multiply-add in hardware.
inline bool fma_in_hardware() noexcept {
#if defined(KONDENSATOR_FMA_ALWAYS)
    return true;
#elif defined(KONDENSATOR_FMA_DETECTED)
    return __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

// An order barrier: hands back `value` as a value the compiler knows nothing
// of, in a register, once `after` is computed, so that what uses it comes
// after `after` in the emitted code. The asm is empty: it costs no
// instruction. Neither GCC nor Clang otherwise keeps the order the FMA loop
// needs (see keep_ahead_of_check there).
KONDENSATOR_ALWAYS_INLINE void hold_until([[maybe_unused]] double& value, [[maybe_unused]] double after) {
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    asm("" : "+x"(value) : "x"(after));
#elif (defined(__GNUC__) || defined(__clang__)) && defined(__aarch64__)
    asm("" : "+w"(value) : "w"(after));
#endif
}

// The bits of a value the FMA loop computed, for its checks in the integer
// unit. On x86-64 they go there through memory: a store and a load use ports
// of their own, where a move between the register files (vmovq) takes port 0
// of Intel processors, one of the two ports of the chain's multiplies and
// FMAs, and delays the chain whenever the two are ready in the same cycle. On
// AMD processors that move has a pipe of its own, and both ways cost the same.
KONDENSATOR_ALWAYS_INLINE std::uint64_t bits_in_integer_unit(double x) {
#if defined(__x86_64__)
    volatile std::uint64_t slot = bits(x);
    return slot;
#else
    return bits(x);
#endif
}

}  // namespace kondensator
