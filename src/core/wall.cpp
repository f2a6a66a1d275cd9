#include "wall.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <tuple>

#include "functions.h"
#include "pile_sections.h"
#include "text.h"
#include "x87.h"

namespace ravo {

namespace {

using LD = long double;

// A loop has three corners at least; points in order are two at least.
constexpr size_t kLeastLoopCorners = 3;
constexpr size_t kLeastPoints = 2;


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

// Merges vertices where the path runs straight on: a segment joins the leg
// before it while its direction stays within kStraightTolerance of the
// leg's own (so a finely divided curve becomes legs, not one long drift).
// A fold-back is refused. A loop starts at its first vertex that is a
// corner.
std::u16string straighten(WallPath& path) {
    std::vector<WallPoint>& v = path.vertices;
    const size_t n = v.size();
    if (n < 2) return u"割り付ける線がありません（長さのある線が選択されていません）";
    auto straightAt = [](const WallPoint& prev, const WallPoint& at, const WallPoint& next) {
        return runsStraightOn(static_cast<LD>(at.x) - prev.x, static_cast<LD>(at.y) - prev.y,
                              static_cast<LD>(next.x) - at.x, static_cast<LD>(next.y) - at.y);
    };
    size_t first = 0;
    if (path.closed) {
        while (first < n && straightAt(v[(first + n - 1) % n], v[first], v[(first + 1) % n])) ++first;
        if (first == n) return u"閉じた線に角がありません";
    }
    const size_t count = path.closed ? n + 1 : n;  // a loop comes back to its start
    auto at = [&](size_t k) -> const WallPoint& { return v[(first + k) % n]; };
    std::vector<WallPoint> kept{at(0)};
    for (size_t k = 1; k + 1 < count; ++k) {
        const WallPoint& legStart = kept.back();
        if (!straightAt(legStart, at(k), at(k + 1))) kept.push_back(at(k));
    }
    if (!path.closed) kept.push_back(at(n - 1));
    v.swap(kept);
    const size_t m = v.size();
    if (path.closed && m < kLeastLoopCorners)
        return u"閉じた線に角が足りません（" + asciiToU16(std::to_string(kLeastLoopCorners)) + u" つ以上必要です）";
    for (size_t i = 0; i < m; ++i) {
        if (!path.closed && (i == 0 || i + 1 == m)) continue;
        const WallPoint &prev = v[(i + m - 1) % m], &next = v[(i + 1) % m];
        if (foldsBack(static_cast<LD>(v[i].x) - prev.x, static_cast<LD>(v[i].y) - prev.y,
                      static_cast<LD>(next.x) - v[i].x, static_cast<LD>(next.y) - v[i].y))
            return u"線が折り返しています" + placeText(v[i].x, v[i].y) + u"。折り返す線には割り付けできません";
    }
    return {};
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

using SegmentEnds = std::pair<WallPoint, WallPoint>;

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

// Where the first pair of segments closer than `reach` that `skip` does not
// pass over meet; a sweep along the direction in which they
// overlap least, so a hatch or a zigzag costs no more than an outline.
template <class Skip>
std::optional<WallPoint> firstTouch(const std::vector<SegmentEnds>& segs, double reach, Skip skip) {
    const size_t n = segs.size();
    if (n < 2) return std::nullopt;
    const WallPoint u = sweepDirection(segs);
    struct Span {
        double lo, hi;  // along the sweep, widened by the reach
        double minX, maxX, minY, maxY;
        size_t index;
    };
    std::vector<Span> spans(n);
    for (size_t i = 0; i < n; ++i) {
        const auto& [a, b] = segs[i];
        const double pa = a.x * u.x + a.y * u.y, pb = b.x * u.x + b.y * u.y;
        spans[i] = {std::min(pa, pb) - reach, std::max(pa, pb) + reach, std::min(a.x, b.x) - reach,
                    std::max(a.x, b.x) + reach, std::min(a.y, b.y) - reach, std::max(a.y, b.y) + reach, i};
    }
    std::sort(spans.begin(), spans.end(), [](const Span& p, const Span& q) {
        return p.lo != q.lo ? p.lo < q.lo : p.index < q.index;
    });
    const double reach2 = reach * reach;
    std::vector<const Span*> active;
    for (const Span& s : spans) {
        std::erase_if(active, [&](const Span* o) { return o->hi < s.lo; });
        for (const Span* o : active) {
            if (o->maxX < s.minX || o->minX > s.maxX || o->maxY < s.minY || o->minY > s.maxY) continue;
            const size_t i = std::min(o->index, s.index), j = std::max(o->index, s.index);
            if (skip(i, j)) continue;
            const auto& [p, q] = segs[i];
            const auto& [a, b] = segs[j];
            if (segmentDistance2(p, q, a, b) < reach2) return meetingPlace(segs[i], segs[j]);
        }
        active.push_back(&s);
    }
    return std::nullopt;
}

// Legs that come within `reach` of another, not next to it: where.
std::optional<WallPoint> touchingLegs(const std::vector<SegmentEnds>& legs, bool closed, double reach) {
    const size_t n = legs.size();
    return firstTouch(legs, reach, [&](size_t i, size_t j) {
        const size_t gap = j - i;
        return gap == 1 || (closed && gap == n - 1);  // neighbours share a vertex
    });
}

std::vector<SegmentEnds> legsOf(const WallPath& path) {
    const auto& v = path.vertices;
    std::vector<SegmentEnds> segs(path.legCount());
    for (size_t i = 0; i < segs.size(); ++i) segs[i] = {v[i], v[(i + 1) % v.size()]};
    return segs;
}

// Who drew the path: the advice in a message is for the one who did.
enum class Source : uint8_t { Selection, Points };

std::u16string checkPath(WallPath& path, Source source) {
    std::u16string fault = straighten(path);
    if (!fault.empty()) return fault;
    if (const auto at = touchingLegs(legsOf(path), path.closed, kJoinTolerance))
        return u"線が交差または接触しています" + placeText(at->x, at->y) +
               (source == Source::Points ? u"。線が交差しない順に点を指示してください"
                                         : u"。一筆書きの線を選択してください");
    return {};
}

bool finite(const WallSegment& s) {
    return std::isfinite(s.x1) && std::isfinite(s.y1) && std::isfinite(s.x2) && std::isfinite(s.y2);
}

// Beyond this (mm, 1,000 km) the 0.1 mm grid would lose its meaning.
constexpr double kLargestCoordinate = 1e9;

// "40.2": an angle named in a message, to 0.1°.
std::u16string degreesText(double degrees) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", degrees);
    return asciiToU16(buf);
}

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

// The usable segments: finite, within reach, not shorter than the
// tolerance. A coordinate beyond reach is a fault.
std::u16string usableSegments(std::span<const WallSegment> segments, std::vector<const WallSegment*>& usable) {
    usable.reserve(segments.size());
    for (const WallSegment& s : segments) {
        if (!finite(s)) continue;
        if (std::max({std::fabs(s.x1), std::fabs(s.y1), std::fabs(s.x2), std::fabs(s.y2)}) > kLargestCoordinate)
            return u"座標が大きすぎる線があります" + placeText(s.x1, s.y1);
        if (distance2D(s.x1, s.y1, s.x2, s.y2) >= kJoinTolerance) usable.push_back(&s);
    }
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

// Each node's neighbours: a chain has at most two.
struct Adjacent {
    uint32_t n[2] = {UINT32_MAX, UINT32_MAX};
    uint32_t count = 0;
};

// The neighbours through the segments. The same line twice is one line; a
// third neighbour is a branch, and no line with a length is nothing to lay.
std::u16string linkNodes(const EndNodes& g, std::vector<Adjacent>& adj) {
    adj.assign(g.nodes.size(), {});
    size_t edgeCount = 0;
    for (size_t i = 0; 2 * i < g.nodeOfEnd.size(); ++i) {
        const uint32_t a = g.nodeOfEnd[2 * i], b = g.nodeOfEnd[2 * i + 1];
        if (a == b || adj[a].n[0] == b || adj[a].n[1] == b) continue;
        for (uint32_t k : {a, b})
            if (adj[k].count == 2)
                return u"線が分岐しています" + placeText(g.nodes[k].x, g.nodes[k].y) + u"。枝分かれのない 1 本の線を選択してください";
        adj[a].n[adj[a].count++] = b;
        adj[b].n[adj[b].count++] = a;
        ++edgeCount;
    }
    if (edgeCount == 0) return u"割り付ける線がありません（長さのある線分が選択されていません）";
    return {};
}

// The chains the nodes make: open ones walked from an end, then what is
// left are loops. The first is kept as a path.
struct Chains {
    std::vector<uint32_t> chainOf;  // by node
    uint32_t count = 0;
    WallPath first;
};

Chains walkChains(const std::vector<WallPoint>& nodes, const std::vector<Adjacent>& adj) {
    Chains c;
    c.chainOf.assign(nodes.size(), UINT32_MAX);
    auto walk = [&](uint32_t start, bool keep) {
        uint32_t prev = UINT32_MAX, at = start;
        for (;;) {
            c.chainOf[at] = c.count;
            if (keep) c.first.vertices.push_back(nodes[at]);
            const Adjacent& n = adj[at];
            const uint32_t next = n.n[0] != prev ? n.n[0] : (n.count == 2 ? n.n[1] : UINT32_MAX);
            if (next == UINT32_MAX || next == start) break;
            prev = at;
            at = next;
        }
        ++c.count;
    };
    for (uint32_t k = 0; k < nodes.size(); ++k)
        if (adj[k].count == 1 && c.chainOf[k] == UINT32_MAX) walk(k, c.count == 0);
    for (uint32_t k = 0; k < nodes.size(); ++k)
        if (adj[k].count == 2 && c.chainOf[k] == UINT32_MAX) {
            if (c.count == 0) c.first.closed = true;
            walk(k, c.count == 0);
        }
    return c;
}

// Why a selection of several chains is refused: chains that touch (a line
// ending on another's middle) are a branch, else they are apart.
std::u16string severalChains(const std::vector<WallPoint>& nodes, const std::vector<Adjacent>& adj, const Chains& c) {
    std::vector<SegmentEnds> segs;
    std::vector<uint32_t> owner;
    for (uint32_t k = 0; k < nodes.size(); ++k)
        for (uint32_t i = 0; i < adj[k].count; ++i)
            if (adj[k].n[i] > k) {
                segs.push_back({nodes[k], nodes[adj[k].n[i]]});
                owner.push_back(c.chainOf[k]);
            }
    if (const auto touch = firstTouch(segs, kJoinTolerance, [&](size_t i, size_t j) { return owner[i] == owner[j]; }))
        return u"線が分岐または接触しています" + placeText(touch->x, touch->y) + u"。枝分かれのない 1 本の線を選択してください";
    return u"線が " + asciiToU16(std::to_string(c.count)) + u" 本に分かれています。つながった 1 本の線を選択してください";
}

// The default start and direction: a loop counter-clockwise from its lowest
// vertex, an open path from its end with the smaller x (then y).
void defaultStart(WallPath& path) {
    std::vector<WallPoint>& v = path.vertices;
    if (path.closed) {
        if (!counterClockwise(path)) std::reverse(v.begin(), v.end());
        const auto lowest = std::min_element(v.begin(), v.end(), [](const WallPoint& p, const WallPoint& q) {
            return p.y != q.y ? p.y < q.y : p.x < q.x;
        });
        std::rotate(v.begin(), lowest, v.end());
    } else if (v.back().x < v.front().x || (v.back().x == v.front().x && v.back().y < v.front().y)) {
        std::reverse(v.begin(), v.end());
    }
}

}  // namespace

PathResult chainSegments(std::span<const WallSegment> segments) {
    PathResult out;
    std::vector<const WallSegment*> usable;
    out.fault = usableSegments(segments, usable);
    if (!out.ok()) return out;
    const EndNodes ends = joinEnds(usable);
    std::vector<Adjacent> adj;
    out.fault = linkNodes(ends, adj);
    if (!out.ok()) return out;
    Chains chains = walkChains(ends.nodes, adj);
    if (chains.count > 1) {
        out.fault = severalChains(ends.nodes, adj, chains);
        return out;
    }
    out.path = std::move(chains.first);
    out.fault = checkPath(out.path, Source::Selection);
    if (out.ok()) defaultStart(out.path);
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
    LD area = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        const WallPoint& p = v[i];
        const WallPoint& q = v[(i + 1) % v.size()];
        area += static_cast<LD>(p.x) * q.y - static_cast<LD>(q.x) * p.y;
    }
    return area > 0;
}

WallPath restartPath(const WallPath& path, size_t start, bool reversed) {
    WallPath out = path;
    auto& v = out.vertices;
    if (v.empty()) return out;
    if (path.closed) {
        std::rotate(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(start % v.size()), v.end());
        if (reversed) std::reverse(v.begin() + 1, v.end());
    } else if ((start != 0) != reversed) {
        std::reverse(v.begin(), v.end());
    }
    return out;
}

namespace {

// A leg's direction as a unit vector, and its length.
struct Dir {
    LD x, y, len;
};

Dir dirOf(LD dx, LD dy) {
    const LD len = x87::sqrt(dx * dx + dy * dy);
    return Dir{dx / len, dy / len, len};
}

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
        return u"角が鋭すぎます" + placeText(at.x, at.y) + u"（内角 " + degreesText(interior) + u"°）。この型式の角は " +
               degreesText(leastAngle) + u"° 以上にしてください";
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

// The whole pieces that fit in `available` from offset c.
int64_t fittedPieces(LD available, LD c, LD w) {
    return static_cast<int64_t>(std::floor((available - c + kWholePileTolerance) / w));
}

// A remainder below kLeastClosingWidth is no pile; one within it of the
// width is a whole pile.
void settle(int64_t& n, LD& g, LD w) {
    if (g > w - static_cast<LD>(kLeastClosingWidth)) ++n, g = 0;
    else if (g < static_cast<LD>(kLeastClosingWidth)) g = 0;
}

// Lays the pieces leg by leg into the layout, counting them from the start
// (U piles alternate from it).
class LegLayer {
public:
    LegLayer(const WallPlan& plan, WallLayout& out) : plan_(plan), out_(out), w_(plan.width) {}

    // Whether `more` pieces would pass the cap: the layout is then refused.
    bool tooMany(LD more) {
        if (static_cast<LD>(k_) + more <= kMaxPileCount) return false;
        out_.fault = pileCountMessage();
        out_.pieces.clear();
        out_.legs.clear();
        return true;
    }

    // One leg from (sx, sy) along d: n pieces from offset s, the last a
    // corner when the leg ends at one, a closing piece of width g before it.
    // Returns where the leg ends.
    std::pair<LD, LD> lay(size_t leg, LD sx, LD sy, const Dir& d, LD s, int64_t n, LD g, bool cornerAtEnd,
                          double turn) {
        const double angle = toDouble(static_cast<LD>(vecAngle(toDouble(d.x), toDouble(d.y))) * 180.0L / kPiFull);
        WallLeg L;
        L.x1 = toDouble(sx);
        L.y1 = toDouble(sy);
        LD at = s;
        // The next piece, `width` wide, where the leg has got to.
        auto place = [&](PieceKind kind, LD width) {
            WallPiece p;
            p.kind = kind;
            p.leg = static_cast<int32_t>(leg);
            p.x = toDouble(sx + at * d.x);
            p.y = toDouble(sy + at * d.y);
            p.angle = angle;
            p.width = toDouble(width);
            p.mirrored = mirroredAt(k_++);
            if (kind == PieceKind::Corner) p.turn = turn, ++out_.corners;
            if (kind == PieceKind::Closing) ++out_.closings, ++L.closing;
            out_.pieces.push_back(p);
            ++L.pieces;
            at += width;
        };
        for (int64_t i = 0; i < n; ++i) {
            const bool last = i == n - 1;
            if (last && g > 0) place(PieceKind::Closing, g);
            place(last && cornerAtEnd ? PieceKind::Corner : PieceKind::Pile, w_);
        }
        const LD ex = sx + at * d.x, ey = sy + at * d.y;
        L.x2 = toDouble(ex);
        L.y2 = toDouble(ey);
        out_.legs.push_back(L);
        out_.length += at;
        return {ex, ey};
    }

private:
    bool mirroredAt(size_t index) const {
        return plan_.alternates ? ((index + static_cast<size_t>(plan_.orientation != 0)) & 1u) != 0
                                : plan_.orientation != 0;
    }

    const WallPlan& plan_;
    WallLayout& out_;
    const LD w_;
    size_t k_ = 0;  // pieces so far
};

// An open path: each leg counted from its start offset (0 for the first,
// the plate's reach after a corner), its end the next corner.
WallLayout layOpenPath(const WallPath& path, const std::vector<Dir>& drawn, const WallPlan& plan) {
    WallLayout out;
    LegLayer legs(plan, out);
    const auto& v = path.vertices;
    LD px = v[0].x, py = v[0].y;
    for (size_t i = 0; i < drawn.size(); ++i) {
        const LD s = i == 0 ? 0 : static_cast<LD>(plan.reach);
        const int64_t n = countedPieces(s, drawn[i].len, plan.width);
        if (legs.tooMany(static_cast<LD>(n) + 1)) return out;
        const bool corner = i + 1 < drawn.size();
        std::tie(px, py) = legs.lay(i, px, py, drawn[i], s, n, 0, corner, corner ? turnAfter(drawn, i) : 0);
    }
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

// A loop: its legs but the last two counted as on an open path; the
// second-to-last runs to where its axis meets the line through the start
// vertex along the last leg, the last ends at the start vertex, each with
// a closing pile for its remainder.
WallLayout layLoop(const WallPath& path, const std::vector<Dir>& drawn, const WallPlan& plan) {
    WallLayout out;
    LegLayer legs(plan, out);
    const LD w = plan.width, c = plan.reach;
    const auto& v = path.vertices;
    const size_t m = drawn.size();
    LD px = v[0].x, py = v[0].y;
    for (size_t i = 0; i + 2 < m; ++i) {
        const int64_t n = countedPieces(c, drawn[i].len, w);
        if (legs.tooMany(static_cast<LD>(n) + 1)) return out;
        std::tie(px, py) = legs.lay(i, px, py, drawn[i], c, n, 0, true, turnAfter(drawn, i));
    }
    auto refuse = [&](const char16_t* why) {
        out.fault = std::u16string(u"閉合できません（") + why + u"）";
        out.pieces.clear();
        out.legs.clear();
        return out;
    };
    const Dir& d = drawn[m - 2];
    const Dir& e = drawn[m - 1];
    const LD cross = d.x * e.y - d.y * e.x;
    LD sinStraight, cosStraight;
    x87::sinCos(static_cast<LD>(kStraightTolerance) * kPiFull / 180, sinStraight, cosStraight);
    if (std::fabs(cross) < sinStraight) return refuse(u"最後の 2 辺が平行です");
    const LD vx = v[0].x, vy = v[0].y;
    const LD a = ((vx - px) * e.y - (vy - py) * e.x) / cross;
    if (!(a >= c + w - static_cast<LD>(kWholePileTolerance))) return refuse(u"最後から 2 番目の辺が短すぎます");
    int64_t n1 = fittedPieces(a, c, w);
    LD g1 = a - c - n1 * w;
    settle(n1, g1, w);
    if (legs.tooMany(static_cast<LD>(n1) + 1)) return out;
    std::tie(px, py) = legs.lay(m - 2, px, py, d, c, n1, g1, true, turnAfter(drawn, m - 2));
    const Dir last = dirOf(vx - px, vy - py);
    if (!(last.len >= c + w - static_cast<LD>(kWholePileTolerance)) || last.x * e.x + last.y * e.y <= 0)
        return refuse(u"最後の辺が短すぎます");
    int64_t n2 = fittedPieces(last.len, c, w);
    LD g2 = last.len - c - n2 * w;
    settle(n2, g2, w);
    if (legs.tooMany(static_cast<LD>(n2) + 1)) return out;
    legs.lay(m - 1, px, py, last, c, n2, g2, true, turnDegrees(last.x, last.y, drawn[0].x, drawn[0].y));
    out.oddLoop = plan.alternates && (out.pieces.size() % 2 == 1);
    return checkLaid(out, true, plan);
}

}  // namespace

WallLayout layWall(const WallPath& path, const WallPlan& plan) {
    WallLayout out;
    const size_t legCount = path.legCount();
    if (legCount == 0 || (path.closed && legCount < kLeastLoopCorners)) {
        out.fault = u"割り付ける線がありません";
        return out;
    }
    const std::vector<Dir> drawn = drawnLegs(path);
    out.fault = acuteCorner(path, drawn, plan.leastAngle);
    if (!out.ok()) return out;
    return path.closed ? layLoop(path, drawn, plan) : layOpenPath(path, drawn, plan);
}

std::u16string wallCountText(const WallLayout& layout) {
    std::u16string text = asciiToU16(std::to_string(layout.pieces.size())) + u"枚";
    if (layout.pieces.empty()) return text;
    std::u16string parts;
    if (layout.corners > 0) parts += u"コーナー" + asciiToU16(std::to_string(layout.corners));
    if (layout.closings > 0) parts += (parts.empty() ? u"" : u"・") + (u"調整" + asciiToU16(std::to_string(layout.closings)));
    if (!parts.empty()) text += u"（" + parts + u"）";
    text += u"  延長 " + metresFromMm(std::llround(layout.length)) + u" m";
    if (layout.oddLoop) text += u"  ※奇数枚のため始点で向きが合いません";
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
