// The drawing-to-pixel mapping of a line's ends in plain doubles, for the
// repaint's hot loop. The picture's rule is the extended-precision one: each
// coordinate rounded to 5 decimals (round5), then LTOD with every
// intermediate in 80-bit and rounded to a double, then half away from zero.
// Here the same pixel is computed from the unrounded coordinate in SSE2
// doubles, with a bound on how far that value can lie from the reference's
// (round5 moves a coordinate by at most 5e-6, plus the roundings). Where the
// bound keeps the value clear of a pixel's half the integer is the
// reference's; elsewhere (and for NaN, huge values, a zero scale) the caller
// takes the extended path.
#pragma once
#include <cmath>
#include <cstdint>

namespace ravo::fastmap {

// The nearest integer of |y| < 2^51, ties to even (SSE2's rounding).
inline double nearest(double y) {
    constexpr double kShift = 0x1.8p52;
    return (y + kShift) - kShift;
}

// roundInt(v) for a v known only to within `err`: false when v +- err could
// round otherwise, or lies beyond 2^30 (where the reference clamps).
inline bool roundToPixel(double v, double err, int32_t& out) {
    if (!(std::fabs(v) < 0x1p30)) return false;
    const double n = nearest(v);
    if (std::fabs(v - n) >= 0.5 - err) return false;
    out = static_cast<int32_t>(n);
    return true;
}

class PixelMap {
public:
    PixelMap() = default;  // maps nothing: every point goes the extended way
    PixelMap(double orgX, double orgY, double scale, int32_t height)
        : orgX_(orgX), orgY_(orgY), inv_(1.0 / scale), height_(height), slack_(5.0001e-6 * std::fabs(inv_)) {}

    // px = roundInt(double((round5(x) - orgX) / scale)) and
    // py = roundInt(double(height - (round5(y) - orgY) / scale)).
    bool toPixel(double x, double y, int32_t& px, int32_t& py) const {
        // The difference to the reference: round5's step and the roundings
        // of the operands (2^-50 of |x| scaled), three roundings here and
        // four there (2^-49 of the magnitudes met).
        const double ax = std::fabs(x), ay = std::fabs(y), ai = std::fabs(inv_);
        const double qx = (x - orgX_) * inv_;
        if (!roundToPixel(qx, slack_ + ax * ai * 0x1p-50 + std::fabs(qx) * 0x1p-49 + 0x1p-60, px)) return false;
        const double qy = (y - orgY_) * inv_;
        const double v = height_ - qy;
        return roundToPixel(v, slack_ + ay * ai * 0x1p-50 + (std::fabs(qy) + height_ + std::fabs(v)) * 0x1p-49 + 0x1p-60,
                            py);
    }

    bool line(double x1, double y1, double x2, double y2, int32_t p[4]) const {
        return toPixel(x1, y1, p[0], p[1]) && toPixel(x2, y2, p[2], p[3]);
    }

private:
    double orgX_ = 0, orgY_ = 0, inv_ = NAN;
    double height_ = 0;
    double slack_ = 0;  // round5's largest step, in pixels
};

}  // namespace ravo::fastmap
