#pragma once

// Arithmetic on doubles whose intermediate results keep a 53-bit significand
// but an exponent that cannot overflow or underflow.
//
// Rounding model (claim 1 of doc/discharge.md): every operation rounds its
// exact result once to 53 significant bits, to nearest with ties to even,
// with an unbounded exponent; to_double() then converts to the double format,
// rounding a subnormal result once more. Built from ordinary double
// operations on significands in [0.5, 1), so every platform gives the same
// bits: claim 2.

namespace kondensator {

// The spacing of the subnormal doubles, 2^-1074: the grid onto which the
// double format rounds a result below the normal range once more.
inline constexpr int kSubnormalSpacingExponent = -1074;
inline constexpr double kSubnormalSpacing = 0x1p-1074;

class WideFloat {
public:
    // Exponents of the double format, for values written as m * 2^e with
    // 0.5 <= |m| < 1: 0.5 * 2^-1021 is the smallest normal double.
    static constexpr int kMinNormalExponent = -1021;
    static constexpr int kMaxExponent = 1024;

    // Exact: every double, subnormals included, has a 53-bit significand.
    static WideFloat from_double(double x) noexcept;

    [[nodiscard]] double to_double() const noexcept;

    // Zero, infinity or not-a-number: held as the double itself.
    [[nodiscard]] bool is_special() const noexcept;
    [[nodiscard]] bool is_finite_nonzero() const noexcept { return !is_special(); }

    // For a finite nonzero value: value = significand * 2^exponent,
    // with 0.5 <= |significand| < 1.
    [[nodiscard]] double significand() const noexcept { return significand_; }
    [[nodiscard]] int exponent() const noexcept { return exponent_; }

    friend WideFloat operator*(WideFloat a, WideFloat b) noexcept;
    friend WideFloat operator+(WideFloat a, WideFloat b) noexcept;
    friend WideFloat operator/(WideFloat a, WideFloat b) noexcept;

private:
    WideFloat(double significand, int exponent) noexcept
        : significand_(significand), exponent_(exponent) {}

    // Brings a double result of significand arithmetic back to the held form.
    static WideFloat normalized(double x, int exponent) noexcept;
    static WideFloat special(double x) noexcept { return {x, 0}; }

    double significand_;
    int exponent_;
};

}  // namespace kondensator
