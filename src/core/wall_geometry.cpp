// The wall's shared geometry: turns, tangents and arcs, the distance
// between segments and the sweep that finds the first pair that touch,
// and the path as chords for the tests that need segments.
#include "wall_geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "functions.h"
#include "x87.h"

namespace ravo {

namespace detail {

// The signed turn from direction a to direction b, degrees, + to the left.
double turnDegrees(LD ax, LD ay, LD bx, LD by) {
    const LD cross = ax * by - ay * bx, dot = ax * bx + ay * by;
    return toDouble(x87::atan2(cross, dot) * 180.0L / kPiFull);
}

Dir dirOf(LD dx, LD dy) {
    const LD len = x87::sqrt(dx * dx + dy * dy);
    return Dir{dx / len, dy / len, len};
}

ArcGeo arcGeo(const WallPath& path, size_t leg) {
    const auto& v = path.vertices;
    const LegArc& a = path.arcs[leg];
    const WallPoint& p = v[leg];
    const WallPoint& q = v[(leg + 1) % v.size()];
    ArcGeo g{a.cx, a.cy, a.r, angleOf(static_cast<LD>(p.x) - a.cx, static_cast<LD>(p.y) - a.cy), kTwoPi};
    if (!path.circle()) {
        const LD a1 = angleOf(static_cast<LD>(q.x) - a.cx, static_cast<LD>(q.y) - a.cy);
        LD sweep = a.ccw ? a1 - g.a0 : g.a0 - a1;
        while (sweep <= 0) sweep += kTwoPi;
        while (sweep > kTwoPi) sweep -= kTwoPi;
        g.sweep = sweep;
    }
    if (!a.ccw) g.sweep = -g.sweep;
    return g;
}

// The point of an arc at the angle a.
WallPoint arcPoint(LD cx, LD cy, LD r, LD a) {
    LD s, c;
    x87::sinCos(a, s, c);
    return {toDouble(cx + r * c), toDouble(cy + r * s)};
}

Tangents tangentsOf(const WallPath& path, size_t leg) {
    const auto& v = path.vertices;
    const WallPoint& p = v[leg];
    const WallPoint& q = v[(leg + 1) % v.size()];
    if (!path.arcAt(leg)) {
        const LD dx = static_cast<LD>(q.x) - p.x, dy = static_cast<LD>(q.y) - p.y;
        return {dx, dy, dx, dy};
    }
    const LegArc& a = path.arcs[leg];
    const LD s = a.ccw ? 1 : -1;
    const LD px = static_cast<LD>(p.x) - a.cx, py = static_cast<LD>(p.y) - a.cy;
    const LD qx = static_cast<LD>(q.x) - a.cx, qy = static_cast<LD>(q.y) - a.cy;
    return {-py * s, px * s, -qy * s, qx * s};
}

// Squared distance between segments ab and cd (a tolerance test: doubles).
double segmentDistance2(const WallPoint& a, const WallPoint& b, const WallPoint& c, const WallPoint& d) {
    auto pointSeg = [](const WallPoint& p, const WallPoint& s, const WallPoint& e) {
        const double dx = e.x - s.x, dy = e.y - s.y;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((p.x - s.x) * dx + (p.y - s.y) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double ex = s.x + t * dx - p.x, ey = s.y + t * dy - p.y;
        return ex * ex + ey * ey;
    };
    auto orient = [](const WallPoint& p, const WallPoint& q, const WallPoint& r) {
        const double v = (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
        return v > 0 ? 1 : v < 0 ? -1 : 0;
    };
    const int o1 = orient(a, b, c), o2 = orient(a, b, d), o3 = orient(c, d, a), o4 = orient(c, d, b);
    if (o1 * o2 < 0 && o3 * o4 < 0) return 0;  // proper crossing
    return std::min({pointSeg(a, c, d), pointSeg(b, c, d), pointSeg(c, a, b), pointSeg(d, a, b)});
}

// Where two segments that come close meet: where they cross, else the end
// of one that lies nearest the other.
WallPoint meetingPlace(const SegmentEnds& p, const SegmentEnds& q) {
    const auto& [a, b] = p;
    const auto& [c, d] = q;
    const double rx = b.x - a.x, ry = b.y - a.y, sx = d.x - c.x, sy = d.y - c.y;
    const double den = rx * sy - ry * sx;
    if (den != 0) {
        const double t = ((c.x - a.x) * sy - (c.y - a.y) * sx) / den;
        const double u = ((c.x - a.x) * ry - (c.y - a.y) * rx) / den;
        if (t > 0 && t < 1 && u > 0 && u < 1) return {a.x + t * rx, a.y + t * ry};
    }
    const WallPoint* at = &a;
    double best = segmentDistance2(a, a, c, d);
    for (const WallPoint* e : {&b, &c, &d}) {
        const double dd = e == &b ? segmentDistance2(*e, *e, c, d) : segmentDistance2(*e, *e, a, b);
        if (dd < best) best = dd, at = e;
    }
    return *at;
}

// The direction to sweep along: of the axes, the segments' mean direction
// and its normal, the one whose projections overlap least, by their total
// extent against the spread (a hatch is swept across its lines, a zigzag
// across its legs, a row of teeth along it).
WallPoint sweepDirection(const std::vector<SegmentEnds>& segs) {
    // The mean direction, lines taken without their sense: the doubled
    // angle's vectors, each as long as its segment, added up and halved.
    double sx = 0, sy = 0;
    for (const auto& [a, b] : segs) {
        const double dx = b.x - a.x, dy = b.y - a.y, len = std::fabs(dx) + std::fabs(dy);
        if (len > 0) sx += (dx * dx - dy * dy) / len, sy += 2 * dx * dy / len;
    }
    const double mag = static_cast<double>(x87::sqrt(static_cast<LD>(sx) * sx + static_cast<LD>(sy) * sy));
    WallPoint mean{1, 0};
    if (mag > 0) {
        const double hx = mag + sx, hy = sy;
        const double hl = static_cast<double>(x87::sqrt(static_cast<LD>(hx) * hx + static_cast<LD>(hy) * hy));
        mean = hl > 0 ? WallPoint{hx / hl, hy / hl} : WallPoint{0, 1};
    }
    WallPoint best{1, 0};
    double bestCost = INFINITY;
    for (const WallPoint& u : {WallPoint{1, 0}, WallPoint{0, 1}, mean, WallPoint{-mean.y, mean.x}}) {
        double lo = INFINITY, hi = -INFINITY, total = 0;
        for (const auto& [a, b] : segs) {
            const double pa = a.x * u.x + a.y * u.y, pb = b.x * u.x + b.y * u.y;
            lo = std::min({lo, pa, pb}), hi = std::max({hi, pa, pb});
            total += std::fabs(pb - pa);
        }
        const double cost = hi > lo ? total / (hi - lo) : INFINITY;
        if (cost < bestCost) bestCost = cost, best = u;
    }
    return best;
}

namespace {

// How many chords stand for an arc where a tolerance test needs segments:
// each within some 0.05 mm of the arc.
size_t chordCount(LD r, LD sweep) {
    const LD step = x87::sqrt(0.4L / std::max<LD>(r, 1));  // sagitta r·step²/8
    const LD k = std::ceil(std::fabs(sweep) / step);
    return static_cast<size_t>(std::clamp<LD>(k, 8, 4096));
}

}  // namespace

// A path's legs as segments, an arc as its chords, each with its leg.
void pathChords(const WallPath& path, std::vector<SegmentEnds>& segs, std::vector<uint32_t>& legOf) {
    const auto& v = path.vertices;
    for (size_t i = 0; i < path.legCount(); ++i) {
        const WallPoint& a = v[i];
        const WallPoint& b = v[(i + 1) % v.size()];
        if (!path.arcAt(i)) {
            segs.push_back({a, b});
            legOf.push_back(static_cast<uint32_t>(i));
            continue;
        }
        const ArcGeo g = arcGeo(path, i);
        const size_t k = chordCount(g.r, g.sweep);
        WallPoint p = a;
        for (size_t j = 1; j <= k; ++j) {
            const WallPoint q = j == k ? b : arcPoint(g.cx, g.cy, g.r, g.a0 + g.sweep * static_cast<LD>(j) / k);
            segs.push_back({p, q});
            legOf.push_back(static_cast<uint32_t>(i));
            p = q;
        }
    }
}

}  // namespace detail

using namespace detail;

bool counterClockwise(const WallPath& path) {
    const auto& v = path.vertices;
    LD area = 0;  // twice the area
    for (size_t i = 0; i < v.size(); ++i) {
        const WallPoint& p = v[i];
        const WallPoint& q = v[(i + 1) % v.size()];
        area += static_cast<LD>(p.x) * q.y - static_cast<LD>(q.x) * p.y;
        if (!path.arcAt(i)) continue;
        // The arc's segment beyond its chord.
        const ArcGeo g = arcGeo(path, i);
        LD s, c;
        x87::sinCos(g.sweep, s, c);
        area += g.r * g.r * (g.sweep - s);
    }
    return area > 0;
}

std::vector<WallSegment> pathOutline(const WallPath& path) {
    std::vector<SegmentEnds> segs;
    std::vector<uint32_t> legOf;
    pathChords(path, segs, legOf);
    std::vector<WallSegment> out;
    out.reserve(segs.size());
    for (const auto& [a, b] : segs) out.push_back({a.x, a.y, b.x, b.y});
    return out;
}

double segmentDistance(double x, double y, const WallSegment& s) {
    const WallPoint p{x, y};
    return toDouble(x87::sqrt(segmentDistance2(p, p, {s.x1, s.y1}, {s.x2, s.y2})));
}

}  // namespace ravo
