#include "wall.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <tuple>

#include "functions.h"
#include "pile_sections.h"
#include "text.h"
#include "wall_geometry.h"
#include "x87.h"

namespace ravo {

namespace detail {

// "(1234.5, -20)": a place named in a message, to 0.001 mm.
std::u16string placeText(double x, double y) {
    auto one = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.3f", v);
        std::string s = buf;
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
        if (s == "-0") s = "0";
        return asciiToU16(s);
    };
    return u"（" + one(x) + u", " + one(y) + u"）";
}

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

// "40.2": an angle named in a message, to 0.1°.
std::u16string degreesText(double degrees) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", degrees);
    return asciiToU16(buf);
}

std::u16string sharpCornerText(const WallPoint& at, double interior, double leastAngle) {
    return u"角が鋭すぎます" + placeText(at.x, at.y) + u"（内角 " + degreesText(interior) + u"°）。この型式の角は " +
           degreesText(leastAngle) + u"° 以上にしてください";
}

}  // namespace detail

using namespace detail;

namespace {

// Points in order are two at least.
constexpr size_t kLeastPoints = 2;

// The turn compared without its angle: straight on (below
// kStraightTolerance) and folded back (beyond kFoldBackLimit) by the ratio
// of cross to dot product, the tangent of the turn.
const LD kTanStraight = 1.7453292519057202e-4L;  // tan 0.01°
const LD kTanFoldBack = 1.7455064928217585e-2L;  // tan (180° − 179°)
bool runsStraightOn(LD ax, LD ay, LD bx, LD by) {
    const LD cross = ax * by - ay * bx, dot = ax * bx + ay * by;
    return dot > 0 && (cross < 0 ? -cross : cross) < kTanStraight * dot;
}
bool foldsBack(LD ax, LD ay, LD bx, LD by) {
    const LD cross = ax * by - ay * bx, dot = ax * bx + ay * by;
    return dot < 0 && (cross < 0 ? -cross : cross) < kTanFoldBack * -dot;
}

// A side this long or longer (mm) drawn with a kink no further than
// kSlip off its ends' line is straight: a snap that slipped, not a bend.
constexpr double kSlipSide = 1000;
constexpr double kSlip = 1.0;

bool slipAt(const WallPoint& prev, const WallPoint& at, const WallPoint& next) {
    const LD dx = static_cast<LD>(next.x) - prev.x, dy = static_cast<LD>(next.y) - prev.y;
    const LD len = x87::sqrt(dx * dx + dy * dy);
    if (!(len >= kSlipSide)) return false;
    // Off the line, and between its ends.
    const LD ax = static_cast<LD>(at.x) - prev.x, ay = static_cast<LD>(at.y) - prev.y;
    const LD off = (dx * ay - dy * ax) / len, along = (dx * ax + dy * ay) / len;
    return (off < 0 ? -off : off) <= kSlip && along > 0 && along < len;
}

// How many chords stand for an arc where a tolerance test needs segments:
// each within some 0.05 mm of the arc.
size_t chordCount(LD r, LD sweep) {
    const LD step = x87::sqrt(0.4L / std::max<LD>(r, 1));  // sagitta r·step²/8
    const LD k = std::ceil(std::fabs(sweep) / step);
    return static_cast<size_t>(std::clamp<LD>(k, 8, 4096));
}

// Merges vertices where the path runs straight on: a segment joins the leg
// before it while its direction stays within kStraightTolerance of the
// leg's own (so a finely divided curve becomes legs, not one long drift);
// an arc stays a leg of its own. A fold-back is refused. A loop starts at
// its first vertex that is a corner.
std::u16string straighten(WallPath& path) {
    if (path.circle()) return {};
    std::vector<WallPoint>& v = path.vertices;
    const size_t n = v.size();
    if (n < 2) return u"割り付ける線がありません（長さのある線が選択されていません）";
    auto straightAt = [](const WallPoint& prev, const WallPoint& at, const WallPoint& next) {
        return runsStraightOn(static_cast<LD>(at.x) - prev.x, static_cast<LD>(at.y) - prev.y,
                              static_cast<LD>(next.x) - at.x, static_cast<LD>(next.y) - at.y) ||
               slipAt(prev, at, next);
    };
    const size_t legs = path.legCount();
    auto straightLeg = [&](size_t leg) { return !path.arcAt(leg % legs); };
    size_t first = 0;
    if (path.closed) {
        while (first < n && straightLeg(first + n - 1) && straightLeg(first) &&
               straightAt(v[(first + n - 1) % n], v[first], v[(first + 1) % n]))
            ++first;
        if (first == n) return u"閉じた線に角がありません";
    }
    const size_t count = path.closed ? n + 1 : n;  // a loop comes back to its start
    auto at = [&](size_t k) -> const WallPoint& { return v[(first + k) % n]; };
    std::vector<WallPoint> kept{at(0)};
    std::vector<LegArc> keptArcs;
    const bool arcs = !path.arcs.empty();
    for (size_t k = 1; k + 1 < count; ++k) {
        const WallPoint& legStart = kept.back();
        if (straightLeg(first + k - 1) && straightLeg(first + k) && straightAt(legStart, at(k), at(k + 1))) continue;
        kept.push_back(at(k));
        if (arcs) keptArcs.push_back(path.arcs[(first + k - 1) % legs]);
    }
    if (arcs) keptArcs.push_back(path.arcs[(first + count - 2) % legs]);
    if (!path.closed) kept.push_back(at(n - 1));
    v.swap(kept);
    path.arcs.swap(keptArcs);
    if (std::none_of(path.arcs.begin(), path.arcs.end(), [](const LegArc& a) { return a.r > 0; })) path.arcs.clear();
    const size_t m = v.size();
    if (path.closed && m < kLeastLoopCorners && path.arcs.empty())
        return u"閉じた線に角が足りません（" + asciiToU16(std::to_string(kLeastLoopCorners)) + u" つ以上必要です）";
    const size_t legCount = path.legCount();
    for (size_t i = 0; i < m; ++i) {
        if (!path.closed && (i == 0 || i + 1 == m)) continue;
        const Tangents in = tangentsOf(path, (i + legCount - 1) % legCount), out = tangentsOf(path, i);
        if (foldsBack(in.ix, in.iy, out.ox, out.oy))
            return u"線が折り返しています" + placeText(v[i].x, v[i].y) + u"。折り返す線には割り付けできません";
    }
    return {};
}

// Legs that come within `reach` of another, not next to it: where.
std::optional<WallPoint> touchingLegs(const std::vector<SegmentEnds>& legs, bool closed, double reach) {
    const size_t n = legs.size();
    return firstTouch(legs, reach, [&](size_t i, size_t j) {
        const size_t gap = j - i;
        return gap == 1 || (closed && gap == n - 1);  // neighbours share a vertex
    });
}

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

// Who drew the path: the advice in a message is for the one who did.
enum class Source : uint8_t { Selection, Points };

std::u16string touchText(const WallPoint& at, Source source) {
    return u"線が交差または接触しています" + placeText(at.x, at.y) +
           (source == Source::Points ? u"。線が交差しない順に点を指示してください"
                                     : u"。一筆書きの線を選択してください");
}

// Paths whose legs come within the tolerance of another that is not next to
// it: within one path a crossing, between paths a branch or a touch.
std::u16string touchingPaths(const std::vector<WallPath>& paths, Source source) {
    std::vector<SegmentEnds> segs;
    std::vector<uint32_t> legOf, pathOf;
    for (uint32_t k = 0; k < paths.size(); ++k) {
        pathChords(paths[k], segs, legOf);
        pathOf.resize(segs.size(), k);
    }
    bool apart = true;  // the touch found is between two paths
    const auto at = firstTouch(segs, kJoinTolerance, [&](size_t i, size_t j) {
        if (pathOf[i] != pathOf[j]) return !(apart = true);
        const WallPath& p = paths[pathOf[i]];
        const size_t n = p.legCount(), gap = std::max(legOf[i], legOf[j]) - std::min(legOf[i], legOf[j]);
        apart = false;
        return gap == 0 || gap == 1 || (p.closed && gap == n - 1);  // neighbours share a vertex
    });
    if (!at) return {};
    if (apart)
        return u"線が分岐または接触しています" + placeText(at->x, at->y) + u"。枝分かれのない線を選択してください";
    return touchText(*at, source);
}

std::u16string checkPath(WallPath& path, Source source) {
    std::u16string fault = straighten(path);
    if (!fault.empty()) return fault;
    return touchingPaths({path}, source);
}

bool finite(const WallSegment& s) {
    return std::isfinite(s.x1) && std::isfinite(s.y1) && std::isfinite(s.x2) && std::isfinite(s.y2);
}

// Beyond this (mm, 1,000 km) the 0.1 mm grid would lose its meaning.
constexpr double kLargestCoordinate = 1e9;

// "0.101": how far apart an open wall's ends are, to 0.001 mm.
std::u16string gapText(double mm) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", mm);
    return asciiToU16(buf);
}

// The laid wall refused where its legs, each the axis widened by the
// pile's depth either side, run into another that is not next to it: legs
// grown to whole piles can reach past what was drawn.
WallLayout checkLaid(WallLayout& out, bool closed, const WallPlan& plan) {
    if (!(plan.depth > 0)) return std::move(out);
    std::vector<SegmentEnds> legs;
    legs.reserve(out.legs.size());
    for (const WallLeg& l : out.legs) legs.push_back({{l.x1, l.y1}, {l.x2, l.y2}});
    if (const auto at = touchingLegs(legs, closed, 2 * plan.depth)) {
        WallLayout refused;
        refused.fault = u"割り付けた矢板どうしが重なります" + placeText(at->x, at->y) + u"。";
        // An outline meant to be closed that misses its start: say so.
        refused.fault += out.openGap >= 0 ? u"線の始点と終点が " + gapText(out.openGap) + u" mm 離れていて、閉じた壁になっていません"
                                          : u"各辺は矢板の整数枚まで伸びるため、線の形を見直してください";
        return refused;
    }
    return std::move(out);
}

// A line or an arc of the selection by its ends; an arc knows its centre.
struct Element {
    WallSegment ends;
    LegArc arc;     // r == 0: a line
    WallPoint mid;  // halfway along: the same line or arc twice is one
};

// A circle selected twice is one circle, as a line selected twice is one
// line: centres and radii within the tolerance, the first kept. Each is
// looked for in its tolerance-sized cell and the cells about it, so many
// circles (concentric ones among them) cost no more than their sort.
void dropRepeatedCircles(std::vector<WallPath>& circles) {
    if (circles.size() < 2) return;
    using Cell = std::array<int64_t, 3>;
    auto cellOf = [](const LegArc& a) {
        return Cell{static_cast<int64_t>(std::floor(a.cx / kJoinTolerance)),
                    static_cast<int64_t>(std::floor(a.cy / kJoinTolerance)),
                    static_cast<int64_t>(std::floor(a.r / kJoinTolerance))};
    };
    std::vector<std::pair<Cell, uint32_t>> cells;
    cells.reserve(circles.size());
    for (uint32_t i = 0; i < circles.size(); ++i) cells.push_back({cellOf(circles[i].arcs[0]), i});
    std::sort(cells.begin(), cells.end());
    auto same = [](const LegArc& p, const LegArc& q) {
        return std::fabs(p.cx - q.cx) <= kJoinTolerance && std::fabs(p.cy - q.cy) <= kJoinTolerance &&
               std::fabs(p.r - q.r) <= kJoinTolerance;
    };
    std::vector<bool> repeated(circles.size(), false);
    for (uint32_t i = 0; i < circles.size(); ++i) {
        const LegArc& a = circles[i].arcs[0];
        const Cell c = cellOf(a);
        for (int64_t dx = -1; dx <= 1 && !repeated[i]; ++dx)
            for (int64_t dy = -1; dy <= 1 && !repeated[i]; ++dy)
                for (int64_t dr = -1; dr <= 1 && !repeated[i]; ++dr) {
                    const Cell n{c[0] + dx, c[1] + dy, c[2] + dr};
                    auto it = std::lower_bound(cells.begin(), cells.end(), std::pair{n, uint32_t{0}});
                    for (; it != cells.end() && it->first == n && it->second < i; ++it)
                        if (!repeated[it->second] && same(circles[it->second].arcs[0], a)) repeated[i] = true;
                }
    }
    size_t kept = 0;
    for (size_t i = 0; i < circles.size(); ++i) {
        if (repeated[i]) continue;
        if (kept != i) circles[kept] = std::move(circles[i]);
        ++kept;
    }
    circles.resize(kept);
}

// The usable lines and arcs: finite, within reach, not shorter than the
// tolerance; a full circle (or an arc round to its start) is a path of its
// own. A coordinate beyond reach is a fault.
std::u16string usableElements(std::span<const WallSegment> lines, std::span<const WallArcInput> arcs,
                              std::vector<Element>& usable, std::vector<WallPath>& circles) {
    usable.reserve(lines.size() + arcs.size());
    for (const WallSegment& s : lines) {
        if (!finite(s)) continue;
        if (std::max({std::fabs(s.x1), std::fabs(s.y1), std::fabs(s.x2), std::fabs(s.y2)}) > kLargestCoordinate)
            return u"座標が大きすぎる線があります" + placeText(s.x1, s.y1);
        if (distance2D(s.x1, s.y1, s.x2, s.y2) >= kJoinTolerance)
            usable.push_back({s, {}, {(s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2}});
    }
    for (const WallArcInput& a : arcs) {
        if (!std::isfinite(a.cx) || !std::isfinite(a.cy) || !std::isfinite(a.r) || !std::isfinite(a.start) ||
            !std::isfinite(a.end))
            continue;
        // A circle of no size, or an arc from an angle to itself, is a
        // damaged record, not a wall: said, rather than dropped unseen.
        if (!(a.r >= kJoinTolerance)) {
            char least[32];
            std::snprintf(least, sizeof least, "%g", kJoinTolerance);
            return u"半径が " + asciiToU16(least) + u" mm 未満の円・円弧があります（中心 " + placeText(a.cx, a.cy).substr(1);
        }
        if (!a.full && a.start == a.end)
            return u"始点と終点の角度が同じ円弧があります（中心 " + placeText(a.cx, a.cy).substr(1);
        if (std::max({std::fabs(a.cx), std::fabs(a.cy)}) + a.r > kLargestCoordinate)
            return u"座標が大きすぎる円弧があります" + placeText(a.cx, a.cy);
        LD sweep = a.full ? 360 : std::fmod(static_cast<LD>(a.end) - a.start, 360.0L);
        if (sweep <= 0) sweep += 360;
        const LD a0 = static_cast<LD>(a.start) * kPiFull / 180, a1 = a0 + sweep * kPiFull / 180;
        const WallPoint p = arcPoint(a.cx, a.cy, a.r, a0), q = arcPoint(a.cx, a.cy, a.r, a1);
        if (a.full || distance2D(p.x, p.y, q.x, q.y) < kJoinTolerance) {
            if (a.full || sweep > 180) {
                WallPath c;
                c.vertices = {{a.cx, a.cy - a.r}};
                c.arcs = {{a.cx, a.cy, a.r, true}};
                c.closed = true;
                circles.push_back(std::move(c));
            }
            continue;
        }
        usable.push_back({{p.x, p.y, q.x, q.y}, {a.cx, a.cy, a.r, true}, arcPoint(a.cx, a.cy, a.r, (a0 + a1) / 2)});
    }
    dropRepeatedCircles(circles);
    return {};
}

// The nodes the segments' ends make, numbered in the order of their first
// end in the input and each at the place of that end; and each end's node
// (end 2·i + which of segment i).
struct EndNodes {
    std::vector<WallPoint> nodes;
    std::vector<uint32_t> nodeOfEnd;
};

// Ends within the tolerance become one node. The ends sorted by their
// tolerance-sized cell, so each is compared with those of its own cell and
// the cells next to it, in memory order; joined through union-find.
EndNodes joinEnds(const std::vector<const WallSegment*>& usable) {
    struct End {
        int64_t cx, cy;
        double x, y;
        uint32_t id;  // segment * 2 + which end
    };
    std::vector<End> ends;
    ends.reserve(2 * usable.size());
    for (uint32_t i = 0; i < usable.size(); ++i)
        for (uint32_t e = 0; e < 2; ++e) {
            const double x = e ? usable[i]->x2 : usable[i]->x1, y = e ? usable[i]->y2 : usable[i]->y1;
            ends.push_back({static_cast<int64_t>(std::floor(x / kJoinTolerance)),
                            static_cast<int64_t>(std::floor(y / kJoinTolerance)), x, y, 2 * i + e});
        }
    auto cellLess = [](const End& p, const End& q) { return p.cx != q.cx ? p.cx < q.cx : p.cy < q.cy; };
    std::sort(ends.begin(), ends.end(), [&](const End& p, const End& q) {
        return cellLess(p, q) || (!cellLess(q, p) && p.id < q.id);
    });
    std::vector<uint32_t> parent(ends.size());
    for (uint32_t i = 0; i < parent.size(); ++i) parent[i] = i;
    auto find = [&](uint32_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    const double tol2 = kJoinTolerance * kJoinTolerance;
    auto joinGroups = [&](size_t a0, size_t a1, size_t b0, size_t b1) {
        for (size_t i = a0; i < a1; ++i)
            for (size_t j = std::max(b0, i + 1); j < b1; ++j) {
                const double dx = ends[i].x - ends[j].x, dy = ends[i].y - ends[j].y;
                if (dx * dx + dy * dy <= tol2) {
                    const uint32_t ri = find(static_cast<uint32_t>(i)), rj = find(static_cast<uint32_t>(j));
                    if (ri != rj) parent[std::max(ri, rj)] = std::min(ri, rj);
                }
            }
    };
    // The cells after this one in the order that can hold a neighbour: the
    // one above it, and three of the column to its right. Both are found by
    // walking forward, as they move on with the cell.
    auto cellAt = [&](size_t i) { return std::pair{ends[i].cx, ends[i].cy}; };
    size_t right = 0;  // the first end at or after the right column's lower cell
    for (size_t g0 = 0; g0 < ends.size();) {
        size_t g1 = g0 + 1;
        while (g1 < ends.size() && !cellLess(ends[g0], ends[g1])) ++g1;
        joinGroups(g0, g1, g0, g1);
        const int64_t cx = ends[g0].cx, cy = ends[g0].cy;
        if (g1 < ends.size() && cellAt(g1) == std::pair{cx, cy + 1}) {
            size_t b1 = g1;
            while (b1 < ends.size() && cellAt(b1) == cellAt(g1)) ++b1;
            joinGroups(g0, g1, g1, b1);
        }
        right = std::max(right, g1);
        while (right < ends.size() && cellAt(right) < std::pair{cx + 1, cy - 1}) ++right;
        for (size_t b0 = right; b0 < ends.size() && cellAt(b0) <= std::pair{cx + 1, cy + 1};) {
            size_t b1 = b0;
            while (b1 < ends.size() && cellAt(b1) == cellAt(b0)) ++b1;
            joinGroups(g0, g1, b0, b1);
            b0 = b1;
        }
        g0 = g1;
    }
    std::vector<uint32_t> firstOfRoot(ends.size(), UINT32_MAX);  // by root: the smallest end id
    for (uint32_t i = 0; i < ends.size(); ++i) {
        uint32_t& f = firstOfRoot[find(i)];
        f = std::min(f, ends[i].id);
    }
    std::vector<uint32_t> firstOfEnd(ends.size());
    for (uint32_t i = 0; i < ends.size(); ++i) firstOfEnd[ends[i].id] = firstOfRoot[find(i)];
    EndNodes out;
    std::vector<uint32_t> number(ends.size(), UINT32_MAX);
    for (uint32_t id = 0; id < firstOfEnd.size(); ++id) {
        const uint32_t first = firstOfEnd[id];
        if (number[first] == UINT32_MAX) {
            number[first] = static_cast<uint32_t>(out.nodes.size());
            const WallSegment& s = *usable[first / 2];
            out.nodes.push_back(first % 2 ? WallPoint{s.x2, s.y2} : WallPoint{s.x1, s.y1});
        }
    }
    out.nodeOfEnd.resize(ends.size());
    for (uint32_t id = 0; id < firstOfEnd.size(); ++id) out.nodeOfEnd[id] = number[firstOfEnd[id]];
    return out;
}

// Each node's neighbours and the elements that lead there: a chain has at
// most two.
struct Adjacent {
    uint32_t n[2] = {UINT32_MAX, UINT32_MAX};
    uint32_t e[2] = {UINT32_MAX, UINT32_MAX};
    uint32_t count = 0;
};

// The neighbours through the elements. The same line or arc twice is one;
// a third neighbour is a branch, and nothing with a length is nothing to
// lay.
std::u16string linkNodes(const EndNodes& g, const std::vector<Element>& elements, std::vector<Adjacent>& adj,
                         bool anyCircle) {
    adj.assign(g.nodes.size(), {});
    size_t edgeCount = 0;
    auto same = [&](uint32_t i, uint32_t j) {
        const WallPoint &p = elements[i].mid, &q = elements[j].mid;
        return distance2D(p.x, p.y, q.x, q.y) <= kJoinTolerance;
    };
    for (uint32_t i = 0; 2 * i < g.nodeOfEnd.size(); ++i) {
        const uint32_t a = g.nodeOfEnd[2 * i], b = g.nodeOfEnd[2 * i + 1];
        if (a == b) continue;
        bool twice = false;
        for (uint32_t k = 0; k < adj[a].count; ++k) twice = twice || (adj[a].n[k] == b && same(adj[a].e[k], i));
        if (twice) continue;
        for (uint32_t k : {a, b})
            if (adj[k].count == 2)
                return u"線が分岐しています" + placeText(g.nodes[k].x, g.nodes[k].y) + u"。枝分かれのない線を選択してください";
        adj[a].n[adj[a].count] = b, adj[a].e[adj[a].count++] = i;
        adj[b].n[adj[b].count] = a, adj[b].e[adj[b].count++] = i;
        ++edgeCount;
    }
    if (edgeCount == 0 && !anyCircle) return u"割り付ける線がありません（長さのある線分が選択されていません）";
    return {};
}

// The chains the nodes make, each a path: open ones walked from an end,
// then what is left are loops. An arc walked from its end runs clockwise.
std::vector<WallPath> walkChains(const EndNodes& g, const std::vector<Element>& elements,
                                 const std::vector<Adjacent>& adj) {
    std::vector<WallPath> paths;
    std::vector<bool> seen(g.nodes.size(), false);
    auto walk = [&](uint32_t start) {
        WallPath p;
        uint32_t at = start, via = UINT32_MAX;
        for (;;) {
            seen[at] = true;
            p.vertices.push_back(g.nodes[at]);
            const Adjacent& n = adj[at];
            const uint32_t k = n.count > 0 && n.e[0] != via ? 0 : (n.count == 2 && n.e[1] != via ? 1 : UINT32_MAX);
            if (k == UINT32_MAX) break;
            const Element& e = elements[n.e[k]];
            LegArc arc = e.arc;
            if (arc.r > 0 && g.nodeOfEnd[2 * n.e[k]] != at) arc.ccw = false;
            p.arcs.push_back(arc);
            if (n.n[k] == start) {
                p.closed = true;
                break;
            }
            via = n.e[k];
            at = n.n[k];
        }
        if (std::none_of(p.arcs.begin(), p.arcs.end(), [](const LegArc& a) { return a.r > 0; })) p.arcs.clear();
        paths.push_back(std::move(p));
    };
    for (uint32_t k = 0; k < g.nodes.size(); ++k)
        if (adj[k].count == 1 && !seen[k]) walk(k);
    for (uint32_t k = 0; k < g.nodes.size(); ++k)
        if (adj[k].count == 2 && !seen[k]) walk(k);
    return paths;
}

// A loop the other way round from the same start, and an open path from
// its other end: the legs in the other order, each arc turning the other
// way.
void reverseLoop(WallPath& path) {
    std::reverse(path.vertices.begin() + 1, path.vertices.end());
    std::reverse(path.arcs.begin(), path.arcs.end());
    for (LegArc& a : path.arcs) a.ccw = !a.ccw;
}
void reverseOpen(WallPath& path) {
    std::reverse(path.vertices.begin(), path.vertices.end());
    std::reverse(path.arcs.begin(), path.arcs.end());
    for (LegArc& a : path.arcs) a.ccw = !a.ccw;
}
void rotateLoop(WallPath& path, size_t start) {
    const auto by = static_cast<std::ptrdiff_t>(start % path.vertices.size());
    std::rotate(path.vertices.begin(), path.vertices.begin() + by, path.vertices.end());
    if (!path.arcs.empty()) std::rotate(path.arcs.begin(), path.arcs.begin() + by, path.arcs.end());
}

bool lower(const WallPoint& p, const WallPoint& q) { return p.y != q.y ? p.y < q.y : p.x < q.x; }

// The default start and direction: a loop counter-clockwise from its lowest
// vertex, an open path from its end with the smaller x (then y).
void defaultStart(WallPath& path) {
    std::vector<WallPoint>& v = path.vertices;
    if (path.closed) {
        if (!counterClockwise(path)) reverseLoop(path);
        rotateLoop(path, static_cast<size_t>(std::min_element(v.begin(), v.end(), lower) - v.begin()));
    } else if (v.back().x < v.front().x || (v.back().x == v.front().x && v.back().y < v.front().y)) {
        reverseOpen(path);
    }
}

// A loop's corners, from its lowest on.
std::vector<size_t> loopCorners(const WallPath& path, double swing) {
    std::vector<size_t> corners;
    for (size_t i = 0; i < path.vertices.size(); ++i)
        if (cornerAt(path, i, swing)) corners.push_back(i);
    const auto lowest = std::min_element(corners.begin(), corners.end(), [&](size_t a, size_t b) {
        return lower(path.vertices[a], path.vertices[b]);
    });
    std::rotate(corners.begin(), lowest, corners.end());
    return corners;
}

// A loop without corners from its lowest point: a vertex, or the lowest
// point of an arc, which is split there.
void startAtLowest(WallPath& path) {
    auto& v = path.vertices;
    size_t best = 0;
    std::optional<WallPoint> split;
    for (size_t i = 0; i < v.size(); ++i) {
        if (lower(v[i], split ? *split : v[best])) best = i, split.reset();
        if (!path.arcAt(i) || path.circle()) continue;
        const ArcGeo g = arcGeo(path, i);
        LD to = (g.sweep > 0 ? 1 : -1) * (-kPiFull / 2 - g.a0);
        to = std::fmod(to, kTwoPi);
        if (to < 0) to += kTwoPi;
        if (!(to > 0 && to < std::fabs(g.sweep))) continue;
        const WallPoint bottom = arcPoint(g.cx, g.cy, g.r, -kPiFull / 2);
        if (lower(bottom, split ? *split : v[best]) && distance2D(bottom.x, bottom.y, v[i].x, v[i].y) > kJoinTolerance &&
            distance2D(bottom.x, bottom.y, v[(i + 1) % v.size()].x, v[(i + 1) % v.size()].y) > kJoinTolerance)
            best = i, split = bottom;
    }
    if (split) {
        v.insert(v.begin() + static_cast<std::ptrdiff_t>(best) + 1, *split);
        path.arcs.insert(path.arcs.begin() + static_cast<std::ptrdiff_t>(best) + 1, path.arcs[best]);
        ++best;
    }
    rotateLoop(path, best);
}

}  // namespace

WallsResult chainWalls(std::span<const WallSegment> lines, std::span<const WallArcInput> arcs) {
    WallsResult out;
    std::vector<Element> usable;
    std::vector<WallPath> circles;
    out.fault = usableElements(lines, arcs, usable, circles);
    if (!out.ok()) return out;
    std::vector<const WallSegment*> ends(usable.size());
    for (size_t i = 0; i < usable.size(); ++i) ends[i] = &usable[i].ends;
    const EndNodes nodes = joinEnds(ends);
    std::vector<Adjacent> adj;
    out.fault = linkNodes(nodes, usable, adj, !circles.empty());
    if (!out.ok()) return out;
    out.paths = walkChains(nodes, usable, adj);
    for (WallPath& c : circles) out.paths.push_back(std::move(c));
    for (WallPath& p : out.paths) {
        out.fault = straighten(p);
        if (!out.ok()) return out;
    }
    out.fault = touchingPaths(out.paths, Source::Selection);
    if (!out.ok()) return out;
    for (WallPath& p : out.paths) defaultStart(p);
    return out;
}

PathResult chainSegments(std::span<const WallSegment> segments) {
    WallsResult walls = chainWalls(segments);
    PathResult out;
    out.fault = std::move(walls.fault);
    if (out.ok() && walls.paths.size() != 1)
        out.fault = u"線が " + asciiToU16(std::to_string(walls.paths.size())) + u" 本に分かれています";
    else if (out.ok()) out.path = std::move(walls.paths.front());
    return out;
}

PathResult pathFromPoints(std::span<const WallPoint> points) {
    PathResult out;
    std::vector<WallPoint>& v = out.path.vertices;
    for (const WallPoint& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > kLargestCoordinate ||
            std::fabs(p.y) > kLargestCoordinate) {
            out.fault = u"指示した点の座標が正しくありません";
            return out;
        }
        if (!v.empty() && distance2D(v.back().x, v.back().y, p.x, p.y) <= kJoinTolerance) continue;
        v.push_back(p);
    }
    if (v.size() >= 3 && distance2D(v.back().x, v.back().y, v.front().x, v.front().y) <= kJoinTolerance) {
        v.pop_back();
        out.path.closed = true;
    }
    if (v.size() < kLeastPoints) {
        out.fault = u"点が足りません（離れた " + asciiToU16(std::to_string(kLeastPoints)) + u" 点以上を指示してください）";
        return out;
    }
    out.fault = checkPath(out.path, Source::Points);
    return out;
}

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

WallPath restartPath(const WallPath& path, size_t start, bool reversed) {
    WallPath out = path;
    if (out.vertices.empty()) return out;
    if (path.closed) {
        rotateLoop(out, start);
        if (reversed) reverseLoop(out);
    } else if ((start != 0) != reversed) {
        reverseOpen(out);
    }
    return out;
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

bool cornerAt(const WallPath& path, size_t i, double swing) {
    const size_t n = path.vertices.size();
    if (path.circle() || i >= n || (!path.closed && (i == 0 || i + 1 == n))) return false;
    const size_t legs = path.legCount();
    const Tangents in = tangentsOf(path, (i + legs - 1) % legs), out = tangentsOf(path, i);
    return std::fabs(turnDegrees(in.ix, in.iy, out.ox, out.oy)) > swing;
}

size_t startCount(const WallPath& path, double swing) {
    if (!path.closed) return 2;
    const size_t corners = loopCorners(path, swing).size();
    return std::max<size_t>(corners, 1);
}

WallPath startPath(const WallPath& path, double swing, size_t start, bool reversed) {
    if (!path.closed || path.vertices.empty()) return restartPath(path, start, reversed);
    const std::vector<size_t> corners = loopCorners(path, swing);
    WallPath out = path;
    if (corners.empty()) startAtLowest(out);
    else rotateLoop(out, corners[start % corners.size()]);
    if (reversed) reverseLoop(out);
    return out;
}

namespace {

// Where an offset line (through a, along u) or circle (about c, radius r)
// meets another, nearest to `near`.
struct Curve {
    bool arc;
    LD ax, ay, ux, uy;  // a line: a point and its unit direction
    LD cx, cy, r;       // a circle
};

std::optional<std::pair<LD, LD>> meet(const Curve& p, const Curve& q, LD nx, LD ny) {
    std::vector<std::pair<LD, LD>> at;
    auto lineCircle = [&](const Curve& l, const Curve& c) {
        const LD qx = l.ax - c.cx, qy = l.ay - c.cy;
        const LD b = l.ux * qx + l.uy * qy, disc = b * b - (qx * qx + qy * qy - c.r * c.r);
        if (disc < 0) return;
        const LD root = x87::sqrt(disc);
        for (LD t : {-b - root, -b + root}) at.push_back({l.ax + t * l.ux, l.ay + t * l.uy});
    };
    if (!p.arc && !q.arc) {
        const LD den = p.ux * q.uy - p.uy * q.ux;
        if (den == 0) return std::nullopt;
        const LD t = ((q.ax - p.ax) * q.uy - (q.ay - p.ay) * q.ux) / den;
        at.push_back({p.ax + t * p.ux, p.ay + t * p.uy});
    } else if (!p.arc || !q.arc) {
        lineCircle(p.arc ? q : p, p.arc ? p : q);
    } else {
        const LD dx = q.cx - p.cx, dy = q.cy - p.cy, d = x87::sqrt(dx * dx + dy * dy);
        if (d == 0) return std::nullopt;
        const LD a = (p.r * p.r - q.r * q.r + d * d) / (2 * d), h2 = p.r * p.r - a * a;
        if (h2 < 0) return std::nullopt;
        const LD h = x87::sqrt(h2), mx = p.cx + a * dx / d, my = p.cy + a * dy / d;
        at.push_back({mx - h * dy / d, my + h * dx / d});
        at.push_back({mx + h * dy / d, my - h * dx / d});
    }
    if (at.empty()) return std::nullopt;
    return *std::min_element(at.begin(), at.end(), [&](const auto& s, const auto& t) {
        return (s.first - nx) * (s.first - nx) + (s.second - ny) * (s.second - ny) <
               (t.first - nx) * (t.first - nx) + (t.second - ny) * (t.second - ny);
    });
}

}  // namespace

PathResult offsetPath(const WallPath& path, double left, double bow) {
    PathResult out;
    out.path = path;
    if (left == 0 || path.vertices.empty()) return out;
    const auto& v = path.vertices;
    const size_t n = v.size(), legs = path.legCount();
    const LD d = left;
    auto folds = [&](const WallPoint& at, const char16_t* what) {
        out.fault = std::u16string(u"面の位置から継手線を求められません") + placeText(at.x, at.y) + u"（" + what + u"）";
        return out;
    };
    // Each leg moved: its curve and its ends as moved alone.
    std::vector<Curve> curve(legs);
    std::vector<std::array<LD, 4>> ends(legs);
    for (size_t i = 0; i < legs; ++i) {
        const WallPoint& a = v[i];
        const WallPoint& b = v[(i + 1) % n];
        if (path.arcAt(i)) {
            const LegArc& arc = path.arcs[i];
            LD r = arc.ccw ? arc.r - d : arc.r + d;
            if (!(r >= kJoinTolerance)) return folds(a, u"円弧の半径が矢板の出幅より小さくなります");
            // Moved away from its centre, the arc moves on by three times a
            // chord's bow: a chord between two joints dips towards the drawn
            // line by one bow, and one across the arc's meeting with a
            // straight leg (which, moved, now cuts the circle) cuts that
            // corner; three keeps both off the drawn line for every section.
            const LD half = static_cast<LD>(bow) / 2;
            if (r > arc.r && half > 0 && r > half && !path.circle()) r += 3 * (r - x87::sqrt(r * r - half * half));
            const LD k = r / arc.r;
            curve[i] = {true, 0, 0, 0, 0, arc.cx, arc.cy, r};
            ends[i] = {arc.cx + (a.x - arc.cx) * k, arc.cy + (a.y - arc.cy) * k, arc.cx + (b.x - arc.cx) * k,
                       arc.cy + (b.y - arc.cy) * k};
            out.path.arcs[i].r = toDouble(r);
        } else {
            const Dir u = dirOf(static_cast<LD>(b.x) - a.x, static_cast<LD>(b.y) - a.y);
            const LD ox = -u.y * d, oy = u.x * d;
            curve[i] = {false, a.x + ox, a.y + oy, u.x, u.y, 0, 0, 0};
            ends[i] = {a.x + ox, a.y + oy, b.x + ox, b.y + oy};
        }
    }
    auto& nv = out.path.vertices;
    if (path.circle()) {
        nv[0] = {path.arcs[0].cx, toDouble(path.arcs[0].cy - curve[0].r)};
        return out;
    }
    for (size_t i = 0; i < n; ++i) {
        if (!path.closed && (i == 0 || i + 1 == n)) {
            const auto& e = ends[i == 0 ? 0 : legs - 1];
            nv[i] = i == 0 ? WallPoint{toDouble(e[0]), toDouble(e[1])} : WallPoint{toDouble(e[2]), toDouble(e[3])};
            continue;
        }
        const size_t prev = (i + legs - 1) % legs;
        const LD px = ends[prev][2], py = ends[prev][3], qx = ends[i][0], qy = ends[i][1];
        // Legs that meet at a tangent move to the same point.
        if (std::fabs(px - qx) + std::fabs(py - qy) <= 1e-9L * (1 + std::fabs(d))) {
            nv[i] = {toDouble((px + qx) / 2), toDouble((py + qy) / 2)};
            continue;
        }
        const auto at = meet(curve[prev], curve[i], (px + qx) / 2, (py + qy) / 2);
        if (!at) return folds(v[i], u"隣の線と交わりません");
        nv[i] = {toDouble(at->first), toDouble(at->second)};
    }
    // A leg the move turned round, or an arc whose ends passed each other.
    for (size_t i = 0; i < legs; ++i) {
        const WallPoint &a = v[i], &b = v[(i + 1) % n], &p = nv[i], &q = nv[(i + 1) % n];
        if (path.arcAt(i)) {
            const LD before = arcGeo(path, i).sweep, after = arcGeo(out.path, i).sweep;
            if (std::fabs(after - before) > kPiFull || distance2D(p.x, p.y, q.x, q.y) < kJoinTolerance)
                return folds(a, u"円弧が消えます");
        } else if ((static_cast<LD>(q.x) - p.x) * (static_cast<LD>(b.x) - a.x) +
                       (static_cast<LD>(q.y) - p.y) * (static_cast<LD>(b.y) - a.y) <=
                   0) {
            return folds(a, u"辺が消えます");
        }
    }
    return out;
}

namespace {

// The legs as drawn, vertex to vertex.
std::vector<Dir> drawnLegs(const WallPath& path) {
    const auto& v = path.vertices;
    std::vector<Dir> drawn(path.legCount());
    for (size_t i = 0; i < drawn.size(); ++i) {
        const WallPoint& a = v[i];
        const WallPoint& b = v[(i + 1) % v.size()];
        drawn[i] = dirOf(static_cast<LD>(b.x) - a.x, static_cast<LD>(b.y) - a.y);
    }
    return drawn;
}

double turnAfter(const std::vector<Dir>& drawn, size_t leg) {
    const Dir& a = drawn[leg];
    const Dir& b = drawn[(leg + 1) % drawn.size()];
    return turnDegrees(a.x, a.y, b.x, b.y);
}

// A corner sharper than the section takes: its corner pile and the next
// leg's first pile would cross.
std::u16string acuteCorner(const WallPath& path, const std::vector<Dir>& drawn, double leastAngle) {
    const auto& v = path.vertices;
    for (size_t i = 0; i + (path.closed ? 0 : 1) < drawn.size() && leastAngle > 0; ++i) {
        const double interior = 180.0 - std::fabs(turnAfter(drawn, i));
        if (interior >= leastAngle) continue;
        const WallPoint& at = v[(i + 1) % v.size()];
        return sharpCornerText(at, interior, leastAngle);
    }
    return {};
}

// The pieces of a leg from offset s: the smallest n >= 1 with
// s + n·w >= length − tolerance (one past the cap where it is beyond it).
int64_t countedPieces(LD s, LD length, LD w) {
    const LD q = (length - static_cast<LD>(kWholePileTolerance) - s) / w;
    if (q > kMaxPileCount + 1.0L) return kMaxPileCount + 1;
    return std::max<int64_t>(1, static_cast<int64_t>(std::ceil(q)));
}

// The largest n >= 0 with s + n·w <= length + tolerance (capped likewise).
int64_t fittingPieces(LD s, LD length, LD w) {
    const LD q = (length + static_cast<LD>(kWholePileTolerance) - s) / w;
    if (q > kMaxPileCount + 1.0L) return kMaxPileCount + 1;
    return std::max<int64_t>(0, static_cast<int64_t>(std::floor(q)));
}

// n whole pieces, the last the leg's end piece.
Fill wholePieces(int64_t n) { return Fill{n - 1, 0, 0, true}; }

// Where a leg laid from (px, py) along d from offset s with `span` ends, as
// LegLayer::lay adds it up.
std::pair<LD, LD> legEnd(LD px, LD py, const Dir& d, LD s, const Fill& span, LD w) {
    LD at = s;
    for (int64_t i = 0; i < span.whole; ++i) at += w;
    for (int64_t i = 0; i < span.closing; ++i) at += span.width;
    at += w;
    return {px + at * d.x, py + at * d.y};
}

// How far along d from p the line through q along e lies; none where they
// run parallel.
std::optional<LD> alongTo(LD px, LD py, const Dir& d, LD qx, LD qy, const Dir& e) {
    const LD cross = d.x * e.y - d.y * e.x;
    if (std::fabs(cross) < kTanStraight) return std::nullopt;
    return ((qx - px) * e.y - (qy - py) * e.x) / cross;
}

// The side the steel may move to: the plan's, else out of a loop; 0 on an
// open path drawn as its joint line, whose legs grow past their ends.
int32_t steelSideOf(const WallPath& path, const WallPlan& plan) {
    if (plan.steelSide != 0) return plan.steelSide > 0 ? 1 : -1;
    if (!path.closed) return 0;
    return counterClockwise(path) ? -1 : 1;
}

std::u16string shortLegText(const WallPoint& at) {
    return u"辺が短すぎます" + placeText(at.x, at.y) + u"。矢板を面の外へ出さずに角を作れません";
}

// Lays a path whose every turn is a corner, leg by leg from its start. A
// leg that ends at a corner takes whole piles up to the next leg's drawn
// line: past it where that moves the next leg to the steel's side (or
// where either side will do), short of it where it would move it the other
// way. An open path's last leg grows past its end. A loop's last two legs
// are fitted to close at the start vertex, with closing piles; piles that
// alternate take an even count, the extra piece in one of those two legs.
WallLayout layStraight(const WallPath& path, const std::vector<Dir>& drawn, const WallPlan& plan) {
    WallLayout out;
    LegLayer legs(plan, out);
    const LD w = plan.width, c = plan.reach, least = leastClosingOf(plan);
    const auto& v = path.vertices;
    const size_t m = drawn.size();
    const int32_t side = steelSideOf(path, plan);
    auto refuse = [&](std::u16string why) {
        out.fault = std::move(why);
        out.pieces.clear();
        out.legs.clear();
        return out;
    };
    auto cannotClose = [&](const char16_t* why) { return refuse(std::u16string(u"閉合できません（") + why + u"）"); };
    LD px = v[0].x, py = v[0].y;
    const size_t counted = path.closed ? m - 2 : m;  // the loop's last two are fitted
    for (size_t i = 0; i < counted; ++i) {
        const LD s = i == 0 && !path.closed ? 0 : c;
        const bool corner = path.closed || i + 1 < m;
        const WallPoint& end = v[(i + 1) % v.size()];
        int64_t n = 0;
        if (side == 0) {
            n = countedPieces(s, drawn[i].len, w);
        } else if (!corner) {
            n = countedPieces(s, (end.x - px) * drawn[i].x + (end.y - py) * drawn[i].y, w);
        } else {
            // Straightened legs never run parallel to the next.
            const Dir& next = drawn[(i + 1) % m];
            const LD to = alongTo(px, py, drawn[i], end.x, end.y, next).value_or(drawn[i].len);
            const bool grow = (turnAfter(drawn, i) > 0) != (side > 0);
            n = grow ? countedPieces(s, to, w) : fittingPieces(s, to, w);
            if (n < 1) return refuse(shortLegText(end));
        }
        if (legs.tooMany(static_cast<LD>(n) + 1)) return out;
        std::tie(px, py) =
            legs.lay(i, px, py, drawn[i], s, wholePieces(n), corner, corner ? turnAfter(drawn, i) : 0);
    }
    if (!path.closed) {
        // 起点 and 終点 are corner piles too (one, where the wall is one pile).
        WallPiece &first = out.pieces.front(), &last = out.pieces.back();
        if (plan.startCorner && first.kind != PieceKind::Corner) ++out.corners;
        if (plan.endCorner && (&first != &last || !plan.startCorner) && last.kind != PieceKind::Corner) ++out.corners;
        if (plan.startCorner) first.outline = PieceOutline::StartCorner;
        if (plan.endCorner) last.outline = PieceOutline::EndCorner;
        const double gap = distance2D(v.front().x, v.front().y, v.back().x, v.back().y);
        if (gap <= plan.width) out.openGap = gap;
        return checkLaid(out, false, plan);
    }
    // The second-to-last leg runs to where its axis meets the line through
    // the start vertex along the last leg, the last ends at the start vertex.
    const Dir& d = drawn[m - 2];
    const Dir& e = drawn[m - 1];
    const LD vx = v[0].x, vy = v[0].y;
    const std::optional<LD> a = alongTo(px, py, d, vx, vy, e);
    if (!a) return cannotClose(u"最後の 2 辺が平行です");
    if (!(*a >= c + w - static_cast<LD>(kWholePileTolerance))) return cannotClose(u"最後から 2 番目の辺が短すぎます");
    Fill f1 = fillSpan(*a - c - w, w, least, 0);
    auto lastLeg = [&](const Fill& f) {
        const auto [ex, ey] = legEnd(px, py, d, c, f, w);
        return dirOf(vx - ex, vy - ey);
    };
    Dir last = lastLeg(f1);
    auto lastFits = [&](const Dir& l) {
        return l.len >= c + w - static_cast<LD>(kWholePileTolerance) && l.x * e.x + l.y * e.y > 0;
    };
    if (!lastFits(last)) return cannotClose(u"最後の辺が短すぎます");
    Fill f2 = fillSpan(last.len - c - w, w, least, 0);
    const auto pieces = [](const Fill& f) { return f.whole + f.closing + 1; };
    if (plan.alternates && (static_cast<int64_t>(out.pieces.size()) + pieces(f1) + pieces(f2)) % 2 != 0) {
        // One piece more, in the last leg if it takes it, else in the one before.
        if (const Fill more = fillSpan(last.len - c - w, w, least, 1); more.ok) {
            f2 = more;
        } else if (const Fill before = fillSpan(*a - c - w, w, least, 1); before.ok && lastFits(lastLeg(before))) {
            f1 = before;
            last = lastLeg(f1);
            f2 = fillSpan(last.len - c - w, w, least, 0);
        } else {
            return cannotClose(u"向きの交互になる偶数枚で閉じられません");
        }
    }
    if (!f1.ok || !f2.ok) return cannotClose(u"調整矢板が狭くなりすぎます");
    if (legs.tooMany(static_cast<LD>(pieces(f1) + pieces(f2)))) return out;
    std::tie(px, py) = legs.lay(m - 2, px, py, d, c, f1, true, turnAfter(drawn, m - 2));
    legs.lay(m - 1, px, py, last, c, f2, true, turnDegrees(last.x, last.y, drawn[0].x, drawn[0].y));
    return checkLaid(out, true, plan);
}

}  // namespace

Fill detail::fillSpan(LD x, LD w, LD least, int64_t extra) {
    least = std::max<LD>(least, static_cast<LD>(kLeastClosingWidth));
    const LD play = static_cast<LD>(kLeastClosingWidth);
    const auto n0 = static_cast<int64_t>(std::floor((x + static_cast<LD>(kWholePileTolerance)) / w));
    const LD g = x - static_cast<LD>(n0) * w;
    Fill f;
    if (g < play || g > w - play) {
        // Whole piles within the play of the joints.
        f.whole = g < play ? n0 : n0 + 1;
        if (extra == 0) return f;
        x = static_cast<LD>(f.whole) * w;
    } else {
        f.whole = n0 + 1;  // the pieces, for now
    }
    const int64_t k = f.whole + extra;
    // j closing piles take x − (k − j)·w, each within [least, w].
    const LD need = static_cast<LD>(k) * w - x;
    f.closing = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(need / (w - least) - 1e-12L)));
    if (f.closing > k) f.closing = k;
    f.whole = k - f.closing;
    f.width = (x - static_cast<LD>(f.whole) * w) / static_cast<LD>(f.closing);
    f.ok = f.whole >= 0 && f.width >= least - 1e-9L && f.width <= w + 1e-9L;
    return f;
}

WallLayout layWall(const WallPath& path, const WallPlan& plan) {
    WallLayout out;
    const size_t legCount = path.legCount();
    if (legCount > 0 && hasCurve(path, plan.swing)) return layCurved(path, plan);
    if (legCount == 0 || (path.closed && legCount < kLeastLoopCorners)) {
        out.fault = u"割り付ける線がありません";
        return out;
    }
    const std::vector<Dir> drawn = drawnLegs(path);
    out.fault = acuteCorner(path, drawn, plan.leastAngle);
    if (!out.ok()) return out;
    return layStraight(path, drawn, plan);
}

namespace {

// Each wall's steel as segments of its axis: a straight leg whole, from the
// vertex it starts at (the plate of the corner before it) to its end; a
// curved stretch as its plate and then its pieces' chords.
void wallAxes(const WallLayout& w, int32_t wall, std::vector<SegmentEnds>& segs, std::vector<int32_t>& wallOf) {
    size_t at = 0;  // pieces run leg by leg
    for (const WallLeg& l : w.legs) {
        const size_t first = at;
        at += static_cast<size_t>(l.pieces);
        if (!l.curved) {
            segs.push_back({{l.x1, l.y1}, {l.x2, l.y2}});
            wallOf.push_back(wall);
            continue;
        }
        WallPoint from{l.x1, l.y1};
        for (size_t i = first; i < at; ++i) {
            const WallPiece& p = w.pieces[i];
            const Rotation u = p.along();
            if (from.x != p.x || from.y != p.y) segs.push_back({from, {p.x, p.y}}), wallOf.push_back(wall);
            from = {p.x + u.c * p.width, p.y + u.s * p.width};
            segs.push_back({{p.x, p.y}, from});
            wallOf.push_back(wall);
        }
    }
}

// "250": a distance named in a message, to 0.001 mm.
std::u16string mmText(double mm) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", mm);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return asciiToU16(s);
}

// Where two walls' piles come within each other's depth, as a wall's own
// legs are kept apart: their axes closer than twice the depth. Within a
// wall the wall's own check has spoken.
std::optional<WallPoint> wallsTouch(const std::vector<WallLayout>& walls, double depth) {
    if (!(depth > 0)) return std::nullopt;
    std::vector<SegmentEnds> segs;
    std::vector<int32_t> wallOf;
    for (size_t k = 0; k < walls.size(); ++k) wallAxes(walls[k], static_cast<int32_t>(k), segs, wallOf);
    return firstTouch(segs, 2 * depth, [&](size_t i, size_t j) { return wallOf[i] == wallOf[j]; });
}

}  // namespace

WallLayout joinLayouts(std::vector<WallLayout>&& walls, double depth) {
    if (walls.size() == 1) return std::move(walls.front());
    WallLayout out;
    out.walls = static_cast<int32_t>(walls.size());
    size_t pieces = 0;
    for (WallLayout& w : walls) {
        if (!w.ok() && !w.pastCap) return std::move(w);
        pieces += w.pieces.size();
    }
    // The wall that passed the cap was the last laid; the walls before it
    // are checked for room first.
    const bool pastCap = walls.back().pastCap;
    if (pastCap) walls.pop_back();
    // Before the cap: a hatch selected by mistake is told why it makes no
    // walls rather than that it makes too many piles.
    if (const auto at = wallsTouch(walls, depth)) {
        out.fault = u"壁どうしが近すぎます" + placeText(at->x, at->y) + u"。矢板が重ならないよう、壁と壁の継手線を " + mmText(2 * depth) +
                    u" mm（矢板の出幅の 2 倍）より離してください（壁は矢板の整数枚まで伸びます）";
        return out;
    }
    if (pastCap || pieces > static_cast<size_t>(kMaxPileCount)) {
        out.fault = wallPileCountMessage();
        out.pastCap = true;
        return out;
    }
    out.pieces.reserve(pieces);
    for (size_t k = 0; k < walls.size(); ++k) {
        WallLayout& w = walls[k];
        const auto legBase = static_cast<int32_t>(out.legs.size());
        for (WallPiece& p : w.pieces) p.leg += legBase, out.pieces.push_back(p);
        for (WallLeg& l : w.legs) l.wall = static_cast<int32_t>(k), out.legs.push_back(l);
        out.corners += w.corners;
        out.closings += w.closings;
        out.circles.insert(out.circles.end(), w.circles.begin(), w.circles.end());
        if (out.openGap < 0) out.openGap = w.openGap;
        out.length += w.length;
    }
    return out;
}

std::u16string specialPieces(const WallLayout& layout) {
    std::u16string parts;
    if (layout.corners > 0) parts += u"コーナー" + asciiToU16(std::to_string(layout.corners));
    if (layout.closings > 0) parts += (parts.empty() ? u"" : u"・") + (u"調整" + asciiToU16(std::to_string(layout.closings)));
    return parts.empty() ? parts : u"（" + parts + u"）";
}

std::u16string wallCountText(const WallLayout& layout) {
    std::u16string text = asciiToU16(std::to_string(layout.pieces.size())) + u"枚";
    if (layout.pieces.empty()) return text;
    text += specialPieces(layout);
    text += u"  延長 " + metresFromMm(std::llround(layout.length)) + u" m";
    if (layout.walls > 1) text += u"（" + asciiToU16(std::to_string(layout.walls)) + u" 壁）";
    for (const WallLayout::Circle& c : layout.circles) {
        text += u"  半径 " + metresFromMm(std::llround(c.joints)) + u" m";
        if (c.face > 0) text += (c.inner ? u"（内面 " : u"（外面 ") + metresFromMm(std::llround(c.face)) + u" m）";
    }
    if (layout.openGap >= 0) text += u"  ※始点と終点が " + gapText(layout.openGap) + u" mm 離れた開いた壁です";
    return text;
}

namespace {

// Whether two segments cross where neither ends: touching, overlapping and
// meeting at an end are not crossing.
bool crossProperly(const WallSegment& p, const WallSegment& q) {
    auto side = [](double ax, double ay, double bx, double by, double cx, double cy) {
        const double v = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
        const double scale = std::fabs(bx - ax) + std::fabs(by - ay) + std::fabs(cx - ax) + std::fabs(cy - ay);
        const double eps = 1e-9 * scale * scale;
        return v > eps ? 1 : v < -eps ? -1 : 0;
    };
    return side(p.x1, p.y1, p.x2, p.y2, q.x1, q.y1) * side(p.x1, p.y1, p.x2, p.y2, q.x2, q.y2) < 0 &&
           side(q.x1, q.y1, q.x2, q.y2, p.x1, p.y1) * side(q.x1, q.y1, q.x2, q.y2, p.x2, p.y2) < 0;
}

// The corner pile (its outline and its plate turned to the next leg, as the
// layout draws them) and the next leg's first pile cross at this turn.
bool cornerCrosses(const std::vector<WallSegment>& pile, const std::vector<WallSegment>& plate, double width,
                   double reach, bool alternates, double turn, bool mirrored) {
    const bool left = turn > 0;
    const Rotation plateTurn(left ? turn - 90 : turn + 90), next(turn);
    std::vector<WallSegment> corner;
    for (const WallSegment& s : pile)
        corner.push_back(mirrored ? WallSegment{s.x1, -s.y1, s.x2, -s.y2} : s);
    for (const WallSegment& p : plate) {
        const double y1 = left ? -p.y1 : p.y1, y2 = left ? -p.y2 : p.y2;
        const double x1 = p.x1 - width, x2 = p.x2 - width;
        corner.push_back({width + plateTurn.c * x1 - plateTurn.s * y1, plateTurn.s * x1 + plateTurn.c * y1,
                          width + plateTurn.c * x2 - plateTurn.s * y2, plateTurn.s * x2 + plateTurn.c * y2});
    }
    const bool nextMirrored = alternates ? !mirrored : mirrored;
    const double ox = width + next.c * reach, oy = next.s * reach;
    for (const WallSegment& s : pile) {
        const double y1 = nextMirrored ? -s.y1 : s.y1, y2 = nextMirrored ? -s.y2 : s.y2;
        const WallSegment t{ox + next.c * s.x1 - next.s * y1, oy + next.s * s.x1 + next.c * y1,
                            ox + next.c * s.x2 - next.s * y2, oy + next.s * s.x2 + next.c * y2};
        for (const WallSegment& c : corner)
            if (crossProperly(c, t)) return true;
    }
    return false;
}

}  // namespace

double leastCornerAngle(const std::vector<WallSegment>& pile, const std::vector<WallSegment>& plate, double width,
                        double reach, bool alternates) {
    auto crosses = [&](double interior) {
        for (double sign : {1.0, -1.0})
            for (bool mirrored : {false, true})
                if (cornerCrosses(pile, plate, width, reach, alternates, sign * (180.0 - interior), mirrored))
                    return true;
        return false;
    };
    // Down from a straight wall in degrees to the first crossing, then
    // halved to a hundredth between it and the clear angle above it.
    double clear = 180.0;
    for (int degrees = 179; degrees >= 1; --degrees) {
        const double interior = degrees;
        if (!crosses(interior)) {
            clear = interior;
            continue;
        }
        double lo = interior, hi = clear;
        while (hi - lo > 0.01) {
            const double mid = (lo + hi) / 2;
            (crosses(mid) ? lo : hi) = mid;
        }
        return std::ceil(hi * 10 - 1e-9) / 10;
    }
    return 0;
}

std::u16string cornerName(double turn) {
    const double between = 180.0 - std::fabs(turn);
    if (std::fabs(between - 90.0) <= kRightAngleTolerance) return u"コーナー矢板";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", between);
    std::string s = buf;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
    return u"異形コーナー矢板\u3000" + asciiToU16(s) + u"°";
}

}  // namespace ravo
