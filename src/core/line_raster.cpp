#include "line_raster.h"

#include <algorithm>

namespace ravo {

namespace {

struct LineSteps {
    bool xMajor;
    int64_t major, minor;  // |d| along the major and the minor axis
    int64_t majorInc, minorInc;
    int64_t bias;
};

LineSteps stepsOf(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    int octant;
    if (dy > 0) octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    LineSteps s;
    s.xMajor = octant == 1 || octant == 4 || octant == 5 || octant == 8;
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    s.major = s.xMajor ? adx : ady;
    s.minor = s.xMajor ? ady : adx;
    const int64_t xInc = dx < 0 ? -1 : 1, yInc = dy < 0 ? -1 : 1;
    s.majorInc = s.xMajor ? xInc : yInc;
    s.minorInc = s.xMajor ? yInc : xInc;
    s.bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
    return s;
}

// Minor steps taken after k major steps: ceil((2k·minor + bias − major) /
// (2·major)). The numerator can exceed 64 bits; an estimate in extended
// precision is off by a few units at most, and the exact remainder of a
// nearby quotient is small, so 64-bit wrap-around arithmetic gives it exactly.
int64_t minorSteps(const LineSteps& s, int64_t k) {
    const int64_t den = 2 * s.major;
    const long double estimate = (2.0L * static_cast<long double>(k) * s.minor + s.bias - s.major) / den;
    int64_t q = static_cast<int64_t>(estimate);
    auto remainder = [&](int64_t quotient) {  // numerator − quotient·den, exact while small
        const uint64_t num = 2u * static_cast<uint64_t>(k) * static_cast<uint64_t>(s.minor) +
                             static_cast<uint64_t>(s.bias) - static_cast<uint64_t>(s.major);
        return static_cast<int64_t>(num - static_cast<uint64_t>(quotient) * static_cast<uint64_t>(den));
    };
    // The ceiling: numerator − q·den in (−den, 0].
    while (remainder(q) > 0) ++q;
    while (remainder(q) <= -den) --q;
    return q;
}

}  // namespace

DashPattern defaultDashPattern(PenStyle style) {
    // Bits from pixel 0 up: runs of set bits are the dashes.
    switch (style) {
    case PenStyle::Dash: return {24, 0x3FFFFull};               // 18 on, 6 off
    case PenStyle::Dot: return {6, 0x7ull};                     // 3 on, 3 off
    case PenStyle::DashDot: return {24, 0x381FFull};            // 9 on, 6 off, 3 on, 6 off
    case PenStyle::DashDotDot: return {24, 0x1C71FFull};        // 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
    case PenStyle::Solid: break;
    }
    return {};
}

void visibleDashes(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width, int32_t height,
                   const DashPattern& pattern, std::vector<PixelRun>& runs) {
    visibleRuns(x1, y1, x2, y2, width, height, runs);
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    const bool xMajor = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy);
    const int64_t start = xMajor ? x1 : y1;
    std::vector<PixelRun> dashes;
    for (const PixelRun& r : runs) {
        const int64_t from = xMajor ? r.x1 : r.y1, to = xMajor ? r.x2 : r.y2;
        bool inDash = false;
        int64_t first = 0;  // the first pixel of the dash being gathered
        auto close = [&](int64_t last) {
            if (!inDash) return;
            const int32_t a = static_cast<int32_t>(first), b = static_cast<int32_t>(last);
            dashes.push_back(xMajor ? PixelRun{a, r.y1, b, r.y1} : PixelRun{r.x1, a, r.x1, b});
            inDash = false;
        };
        // Visible pixels lie inside the image, so their coordinates are small.
        for (int64_t m = from; m <= to; ++m) {
            const int64_t k = m >= start ? m - start : start - m;
            if (!pattern.inked(k)) {
                close(m - 1);
            } else if (!inDash) {
                inDash = true;
                first = m;
            }
        }
        close(to);
    }
    runs.swap(dashes);
}

void visibleRuns(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width, int32_t height,
                 std::vector<PixelRun>& runs) {
    runs.clear();
    if ((x1 == x2 && y1 == y2) || width <= 0 || height <= 0) return;
    const LineSteps s = stepsOf(x1, y1, x2, y2);
    // The steps whose major coordinate lies inside the image.
    const int64_t start = s.xMajor ? x1 : y1, limit = s.xMajor ? width : height;
    int64_t kLo, kHi;
    if (s.majorInc > 0) {
        kLo = -start;
        kHi = limit - 1 - start;
    } else {
        kLo = start - (limit - 1);
        kHi = start;
    }
    kLo = std::max<int64_t>(kLo, 0);
    kHi = std::min<int64_t>(kHi, s.major - 1);  // the end pixel is left out
    if (kLo > kHi) return;
    const int64_t minorStart = s.xMajor ? y1 : x1, minorLimit = s.xMajor ? height : width;
    int64_t n = minorSteps(s, kLo);
    // Bresenham's error term at step kLo, from its invariant; small, so the
    // wrapping products give it exactly.
    int64_t err = 2 * s.minor - s.major +
                  2 * static_cast<int64_t>(static_cast<uint64_t>(kLo) * static_cast<uint64_t>(s.minor) -
                                           static_cast<uint64_t>(n) * static_cast<uint64_t>(s.major));
    bool open = false;
    int64_t runMinor = 0, runFrom = 0, runTo = 0;
    auto flush = [&] {
        if (!open) return;
        const int64_t a = std::min(runFrom, runTo), b = std::max(runFrom, runTo);
        if (s.xMajor) runs.push_back({static_cast<int32_t>(a), static_cast<int32_t>(runMinor), static_cast<int32_t>(b),
                                      static_cast<int32_t>(runMinor)});
        else runs.push_back({static_cast<int32_t>(runMinor), static_cast<int32_t>(a), static_cast<int32_t>(runMinor),
                             static_cast<int32_t>(b)});
        open = false;
    };
    for (int64_t k = kLo; k <= kHi; ++k) {
        const int64_t major = start + k * s.majorInc, minor = minorStart + n * s.minorInc;
        if (minor >= 0 && minor < minorLimit) {
            if (open && minor == runMinor) {
                runTo = major;
            } else {
                flush();
                open = true;
                runMinor = minor;
                runFrom = runTo = major;
            }
        } else {
            flush();
        }
        if (err + s.bias > 0) {
            ++n;
            err += 2 * s.minor - 2 * s.major;
        } else {
            err += 2 * s.minor;
        }
    }
    flush();
}

}  // namespace ravo
