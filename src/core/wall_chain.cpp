// The selected lines and arcs chained by their ends into paths, and the
// points indicated in order made one: joined within the tolerance,
// straightened, refused where they branch, touch, cross or fold back.
#include "wall.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "functions.h"
#include "text.h"
#include "wall_geometry.h"
#include "x87.h"

namespace ravo {

using namespace detail;

namespace {

// Points in order are two at least.
constexpr size_t kLeastPoints = 2;

// The turn compared without its angle: straight on (below
// kStraightTolerance) and folded back (beyond kFoldBackLimit) by the ratio
// of cross to dot product, the tangent of the turn.
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

}  // namespace ravo
