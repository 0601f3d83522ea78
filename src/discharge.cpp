#include "discharge.hpp"

#include <bit>
#include <cfloat>
#include <cmath>

#include "wide_float.hpp"

namespace kondensator {

namespace {

// Capacitor 2 is empty at every connection.
constexpr double kEmptyVoltage = 0.0;

// The constant part of every discharge: the capacitances and the empty
// capacitor 2, prepared once so the loop does the least work per discharge.
class Discharger {
public:
    Discharger(double c1, double c2) noexcept
        : c1_(WideFloat::from_double(c1)),
          charge2_(WideFloat::from_double(c2) * WideFloat::from_double(kEmptyVoltage)),
          sum_(c1_ + WideFloat::from_double(c2)) {
        prepare_fast_path();
    }

    [[nodiscard]] double exact_step(double v) const noexcept {
        return ((c1_ * WideFloat::from_double(v) + charge2_) / sum_).to_double();
    }

    // Scaling c1 and c1 + c2 by the same power of two changes neither the
    // rounded product nor the rounded quotient, so the scaled operands are
    // picked to keep the sum near 1. Then plain double arithmetic gives the
    // exact step whenever the scaled product is normal and the quotient finite:
    // the empty capacitor adds only a zero to a nonzero product. With
    // 0.5 <= |scaled sum| < 1 the quotient is at most twice the product, so a
    // quotient above twice the smallest normal vouches for the product too.
    [[nodiscard]] bool has_fast_path() const noexcept { return has_fast_path_; }
    [[nodiscard]] double scaled_c1() const noexcept { return scaled_c1_; }
    [[nodiscard]] double scaled_sum() const noexcept { return scaled_sum_; }

    // Works on the bit pattern, so that the check keeps off the floating-point
    // units that the multiply and divide need.
    [[nodiscard]] static bool fast_step_is_exact(std::uint64_t quotient_bits) noexcept {
        constexpr std::uint64_t kMagnitude = ~(std::uint64_t{1} << 63);
        constexpr std::uint64_t kLow = std::bit_cast<std::uint64_t>(2 * DBL_MIN) + 1;
        constexpr std::uint64_t kHigh = std::bit_cast<std::uint64_t>(DBL_MAX);
        return (quotient_bits & kMagnitude) - kLow <= kHigh - kLow;
    }

private:
    // A finite sum means a finite c2, whose product with the empty voltage is
    // a zero. The scaled c1 must itself be a normal double to be exact.
    void prepare_fast_path() noexcept {
        if (c1_.is_special() || sum_.is_special()) {
            return;
        }
        const int exponent = c1_.exponent() - sum_.exponent();
        if (exponent < WideFloat::kMinNormalExponent || exponent > WideFloat::kMaxExponent) {
            return;
        }
        scaled_c1_ = std::ldexp(c1_.significand(), exponent);
        scaled_sum_ = sum_.significand();
        has_fast_path_ = true;
    }

    WideFloat c1_;
    WideFloat charge2_;
    WideFloat sum_;
    double scaled_c1_ = 0.0;
    double scaled_sum_ = 1.0;
    bool has_fast_path_ = false;
};

// The state of the discharge loop between two discharges.
struct LoopState {
    double v;
    double previous;  // the voltage one discharge back; NaN before the first
    std::int32_t count;
};

// Carries out discharges in plain double arithmetic for as long as that is
// exact and nothing else needs attention; it stops before a discharge that
// needs the exact step or whose voltage repeats an earlier one. With nothing
// but the multiply and divide on its dependency chain, and no call to keep
// values out of registers, this is the program's hot path.
void run_fast_discharges(LoopState& state, double c1_scaled, double sum_scaled, double vend,
                         std::int32_t limit) noexcept {
    // A quotient that passes the check is a normal number, and two normal
    // numbers are equal exactly when their bit patterns are.
    const auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
    double v = state.v;
    std::uint64_t previous_bits = bits(state.previous);
    std::int32_t count = state.count;
    while (v >= vend && count != limit) {
        const double next = c1_scaled * v / sum_scaled;
        const std::uint64_t next_bits = bits(next);
        if (!Discharger::fast_step_is_exact(next_bits) || next_bits == bits(v) ||
            next_bits == previous_bits) {
            break;
        }
        previous_bits = bits(v);
        v = next;
        ++count;
    }
    state = {v, std::bit_cast<double>(previous_bits), count};
}

}  // namespace

double discharge(double c1, double v1, double c2, double v2) noexcept {
    const auto wide = WideFloat::from_double;
    return ((wide(c1) * wide(v1) + wide(c2) * wide(v2)) / (wide(c1) + wide(c2))).to_double();
}

// Each discharge depends on the voltage alone, through a monotonic function,
// so a voltage that never falls below vend ends up repeating: a discharge
// leaves it where it was, or (when c1 / (c1 + c2) is negative) where it was two
// discharges back. Seeing that is enough to know the loop would run for ever.
DischargeCount count_discharges(double c1, double c2, double v1, double vend,
                                std::int32_t limit) noexcept {
    const Discharger discharger(c1, c2);
    LoopState state{v1, NAN, 0};
    for (;;) {
        if (discharger.has_fast_path()) {
            run_fast_discharges(state, discharger.scaled_c1(), discharger.scaled_sum(), vend,
                                limit);
        }
        if (!(state.v >= vend)) {
            return {DischargeCount::Kind::fell_below, state.count};
        }
        if (state.count == limit) {
            return {DischargeCount::Kind::limit_exceeded, state.count};
        }
        const double next = discharger.exact_step(state.v);
        ++state.count;
        if ((next == state.v || next == state.previous) && next >= vend) {
            return {DischargeCount::Kind::never_falls, state.count};
        }
        state.previous = state.v;
        state.v = next;
    }
}

}  // namespace kondensator
