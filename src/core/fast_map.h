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

// Whether v, known to within `err`, rounds to `n` (its nearest integer)
// whichever way the error goes, inside the range where the reference does
// not clamp. No branches: the repaint checks four of these at once.
inline bool clearOfHalf(double v, double n, double err) {
    return (std::fabs(v) < 0x1p30) & (std::fabs(v - n) < 0.5 - err);
}

class PixelMap {
public:
    PixelMap() = default;  // maps nothing: every point goes the extended way
    // The bound on the difference to the reference holds for every point
    // whose pixel position lies within 2^30 (which the check demands anyway):
    // round5's step, the roundings of the operands (2^-50 of |x| / scale,
    // and |x| / scale <= |orgX| / scale + 2^30), three roundings here and
    // four there (2^-49 of the magnitudes met, each below 2^31 + height).
    PixelMap(double orgX, double orgY, double scale, int32_t height)
        : orgX_(orgX), orgY_(orgY), inv_(1.0 / scale), height_(height) {
        const double ai = std::fabs(inv_), slack = 5.0001e-6 * ai;
        errX_ = slack + (std::fabs(orgX) * ai + 0x1p30) * 0x1p-50 + 0x1p30 * 0x1p-48 + 0x1p-60;
        errY_ = slack + (std::fabs(orgY) * ai + 0x1p31 + height_) * 0x1p-50 + (0x1p32 + 3 * height_) * 0x1p-49 + 0x1p-60;
        if (!(errX_ < 0.25 && errY_ < 0.25)) errX_ = errY_ = 1;  // nothing is vouched for
    }

    // px = roundInt(double((round5(x) - orgX) / scale)) and
    // py = roundInt(double(height - (round5(y) - orgY) / scale)).
    bool toPixel(double x, double y, int32_t& px, int32_t& py) const {
        double nx, ny;
        const bool ok = clear(x, y, nx, ny);
        if (ok) {
            px = static_cast<int32_t>(nx);
            py = static_cast<int32_t>(ny);
        }
        return ok;
    }

    bool line(double x1, double y1, double x2, double y2, int32_t p[4]) const {
        double n[4];
        if (!(clear(x1, y1, n[0], n[1]) & clear(x2, y2, n[2], n[3]))) return false;
        for (int k = 0; k < 4; ++k) p[k] = static_cast<int32_t>(n[k]);
        return true;
    }

private:
    // The nearest integers of the point's pixel position, and whether they
    // are the reference's.
    bool clear(double x, double y, double& nx, double& ny) const {
        const double qx = (x - orgX_) * inv_;
        const double v = height_ - (y - orgY_) * inv_;
        nx = nearest(qx);
        ny = nearest(v);
        return clearOfHalf(qx, nx, errX_) & clearOfHalf(v, ny, errY_);
    }

    double orgX_ = 0, orgY_ = 0, inv_ = NAN;
    double height_ = 0;
    double errX_ = 1, errY_ = 1;  // in pixels
};

}  // namespace ravo::fastmap
