// The chainer and the wall's layout on arbitrary selections and point
// sequences, lines and arcs, the drawn line as the joint line or a face.
// Ends on a 100 mm grid (so joining is exact): whatever comes in ends in
// paths or a message, never a crash. Lines alone: the paths use every usable
// segment once, their length theirs. A laid wall stays within the piece cap
// and closes a loop at its start vertex (within the joints' play). Laid
// straight, no two legs but neighbours come within twice the pile's depth;
// laid along a curve, every joint lies on the line, no joint turns more than
// the interlocks take and no two piles cross. Where the steel keeps a side
// (a face, a loop), no straight leg moves off its joint line the other way;
// closing piles are half a width at least, a U loop's count even. Several
// walls laid together keep every pile of one twice the depth from every
// pile of another. A wall laid alone takes supports where it is a rectangle:
// every member inside the piles' inner face, every bay of a wale no longer
// than the spacing, a king post at every crossing of struts.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

#include "core/outlines.h"
#include "core/pile_sections.h"
#include "core/plan.h"
#include "core/supports.h"
#include "core/wall.h"

namespace {

using namespace ravo;

// How far a point lies from a path's legs, arcs as arcs.
double offPath(const WallPath& p, double x, double y) {
    double best = INFINITY;
    const auto& v = p.vertices;
    for (size_t i = 0; i < p.legCount(); ++i) {
        const WallPoint &a = v[i], &b = v[(i + 1) % v.size()];
        best = std::min({best, std::hypot(x - a.x, y - a.y), std::hypot(x - b.x, y - b.y)});
        if (p.arcAt(i)) {
            const LegArc& c = p.arcs[i];
            // On the circle, between the ends the way the arc runs.
            const double ta = std::atan2(a.y - c.cy, a.x - c.cx), tb = std::atan2(b.y - c.cy, b.x - c.cx);
            const double t = std::atan2(y - c.cy, x - c.cx);
            auto ccwFrom = [](double from, double to) {
                return std::fmod(std::fmod(to - from, 2 * M_PI) + 4 * M_PI, 2 * M_PI);
            };
            const bool within =
                p.circle() || (c.ccw ? ccwFrom(ta, t) <= ccwFrom(ta, tb) : ccwFrom(t, ta) <= ccwFrom(tb, ta));
            if (within) best = std::min(best, std::fabs(std::hypot(x - c.cx, y - c.cy) - c.r));
        } else {
            best = std::min(best, segmentDistance(x, y, {a.x, a.y, b.x, b.y}));
        }
    }
    return best;
}

bool crossProperly(const WallSegment& p, const WallSegment& q) {
    auto side = [](double ax, double ay, double bx, double by, double cx, double cy) {
        const double v = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
        return v > 1e-6 ? 1 : v < -1e-6 ? -1 : 0;
    };
    return side(p.x1, p.y1, p.x2, p.y2, q.x1, q.y1) * side(p.x1, p.y1, p.x2, p.y2, q.x2, q.y2) < 0 &&
           side(q.x1, q.y1, q.x2, q.y2, p.x1, p.y1) * side(q.x1, q.y1, q.x2, q.y2, p.x2, p.y2) < 0;
}

void checkStraight(const WallPath& p, const WallLayout& w, double depth) {
    // The distance of two legs: where they cross, none; else the nearest of
    // an end of one to the other.
    auto pointToLeg = [](double px, double py, const WallLeg& l) {
        return segmentDistance(px, py, {l.x1, l.y1, l.x2, l.y2});
    };
    const size_t n = w.legs.size();
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 2; j < n; ++j) {
            if (p.closed && i == 0 && j == n - 1) continue;  // they meet at the start
            const WallLeg &a = w.legs[i], &b = w.legs[j];
            const double d = crossProperly({a.x1, a.y1, a.x2, a.y2}, {b.x1, b.y1, b.x2, b.y2})
                                 ? 0
                                 : std::min({pointToLeg(a.x1, a.y1, b), pointToLeg(a.x2, a.y2, b),
                                             pointToLeg(b.x1, b.y1, a), pointToLeg(b.x2, b.y2, a)});
            if (d < 2 * depth * (1 - 1e-9)) std::abort();
        }
}

void checkCurved(const WallPath& p, const WallLayout& w, double swing) {
    std::vector<WallSegment> chords;
    for (size_t i = 0; i < w.pieces.size(); ++i) {
        const WallPiece& a = w.pieces[i];
        if (!p.circle() && offPath(p, a.x, a.y) > 1e-6 * (1 + std::fabs(a.x) + std::fabs(a.y))) std::abort();
        const double c = std::cos(a.angle * M_PI / 180), s = std::sin(a.angle * M_PI / 180);
        chords.push_back({a.x, a.y, a.x + c * a.width, a.y + s * a.width});
        if (i == 0 || w.pieces[i - 1].leg != a.leg) continue;
        double turn = std::fabs(a.angle - w.pieces[i - 1].angle);
        if (turn > 180) turn = 360 - turn;
        if (turn > swing + 1e-6) std::abort();
    }
    for (size_t i = 0; i < chords.size(); ++i)
        for (size_t j = i + 2; j < chords.size(); ++j)
            if (crossProperly(chords[i], chords[j])) std::abort();
}

// The piles of different walls of the joined layout: none within twice the
// depth of another's (or crossing it).
void checkApart(const WallLayout& joined, double depth) {
    std::vector<std::pair<WallSegment, int32_t>> piles;
    size_t at = 0;
    for (const WallLeg& l : joined.legs)
        for (int32_t k = 0; k < l.pieces; ++k, ++at) {
            const WallPiece& p = joined.pieces[at];
            const Rotation u = p.along();
            piles.push_back({{p.x, p.y, p.x + u.c * p.width, p.y + u.s * p.width}, l.wall});
        }
    if (at != joined.pieces.size()) std::abort();
    for (size_t i = 0; i < piles.size(); ++i)
        for (size_t j = i + 1; j < piles.size(); ++j) {
            if (piles[i].second == piles[j].second) continue;
            const WallSegment &a = piles[i].first, &b = piles[j].first;
            const double d = crossProperly(a, b) ? 0
                                                 : std::min({segmentDistance(a.x1, a.y1, b), segmentDistance(a.x2, a.y2, b),
                                                             segmentDistance(b.x1, b.y1, a), segmentDistance(b.x2, b.y2, a)});
            if (d < 2 * depth * (1 - 1e-9)) std::abort();
        }
}

// Every closing pile between the narrowest cut and the width; a loop of
// alternating piles even.
void checkClosures(const WallPath& p, const WallLayout& w, const WallPlan& plan) {
    if (p.closed && plan.alternates && w.pieces.size() % 2 != 0) std::abort();
    for (const WallPiece& piece : w.pieces)
        if (piece.kind == PieceKind::Closing &&
            (piece.width < plan.leastClosing - 1e-6 || piece.width > plan.width + 1e-6))
            std::abort();
}

// Laid straight where the steel keeps a side (a face, a loop), no leg moves
// off its joint line to the other side.
void checkSteelSide(const WallPath& p, const WallLayout& w, const WallPlan& plan) {
    int side = plan.steelSide;
    if (side == 0 && !p.closed) return;
    if (side == 0) side = counterClockwise(p) ? -1 : 1;
    const auto& v = p.vertices;
    if (w.legs.size() != p.legCount()) std::abort();
    auto offSide = [&](size_t i, double x, double y) {
        const WallPoint &a = v[i], &b = v[(i + 1) % v.size()];
        const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
        const double left = (dx * (y - a.y) - dy * (x - a.x)) / len;
        return side * left < -1e-6 * (1 + std::fabs(x) + std::fabs(y));
    };
    for (size_t i = 0; i < w.legs.size(); ++i)
        if (offSide(i, w.legs[i].x1, w.legs[i].y1) || offSide(i, w.legs[i].x2, w.legs[i].y2)) std::abort();
    // A loop's last leg ends at the first leg's drawn line (its corner pile
    // there), not across it.
    if (p.closed && offSide(0, w.legs.back().x2, w.legs.back().y2)) std::abort();
}

// The supports of one laid wall, each of its sizes from the input's size.
void checkSupports(const WallPath& drawn, const WallLayout& w, double reach, size_t size) {
    Plan plan;
    plan.wall = true;
    plan.drawn = {drawn};
    plan.layout = w;
    Outlines o;
    o.leftReach = o.rightReach = reach;
    SupportOptions options;
    options.on = true;
    options.levels = {1.0};
    options.member.h = 200 + 50.0 * static_cast<double>(size % 5);
    options.spacing = 2000 + 1000.0 * static_cast<double>(size % 7);
    options.brace = 700.0 * static_cast<double>(size % 3);
    const Supports s = planSupports(plan, options, o, 0);
    if (!s.drawn()) {
        if (s.why.empty()) std::abort();
        return;
    }
    if (drawn.circle()) return;
    const double H = options.member.h, tol = 1e-6 * (1 + std::fabs(w.legs[0].x1) + std::fabs(w.legs[0].y1) + 1e5);
    // Inside: left of every leg of a counter-clockwise loop by the reach.
    const double turn = counterClockwise(drawn) ? 1 : -1;
    auto inward = [&](const WallLeg& l, double x, double y) {
        const double len = std::hypot(l.x2 - l.x1, l.y2 - l.y1);
        return turn * ((l.x2 - l.x1) * (y - l.y1) - (l.y2 - l.y1) * (x - l.x1)) / len;
    };
    for (const SupportMember& m : s.members)
        for (const WallSegment& l : m.lines)
            for (const WallLeg& leg : w.legs)
                if (inward(leg, l.x1, l.y1) < reach - tol || inward(leg, l.x2, l.y2) < reach - tol) std::abort();
    // The struts by the side they stand along, as offsets from the wale's
    // centre line there; the bays between them and the braces' ends.
    const WallLeg& l0 = w.legs[0];
    const double len = std::hypot(l0.x2 - l0.x1, l0.y2 - l0.y1), ux = (l0.x2 - l0.x1) / len, uy = (l0.y2 - l0.y1) / len;
    auto along = [&](double x, double y) { return x * ux + y * uy; };
    auto across = [&](double x, double y) { return -x * uy + y * ux; };
    double lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
    for (const WallSegment& l : s.members[0].lines)
        for (auto [x, y] : {std::pair{l.x1, l.y1}, {l.x2, l.y2}}) {
            lo[0] = std::min(lo[0], along(x, y)), hi[0] = std::max(hi[0], along(x, y));
            lo[1] = std::min(lo[1], across(x, y)), hi[1] = std::max(hi[1], across(x, y));
        }
    std::vector<double> at[2];
    size_t posts = 0;
    for (const SupportMember& m : s.members) {
        if (m.kind == PieceKind::Post) ++posts;
        if (m.kind != PieceKind::Strut) continue;
        const WallSegment &a = m.lines[0], &b = m.lines[1];
        const bool spansAcross = std::fabs(along(a.x2, a.y2) - along(a.x1, a.y1)) < tol;
        if (!spansAcross && std::fabs(across(a.x2, a.y2) - across(a.x1, a.y1)) > tol) std::abort();  // square
        at[spansAcross ? 0 : 1].push_back(spansAcross ? (along(a.x1, a.y1) + along(b.x1, b.y1)) / 2
                                                      : (across(a.x1, a.y1) + across(b.x1, b.y1)) / 2);
    }
    for (int k = 0; k < 2; ++k) {
        std::vector<double> stops{lo[k] + H / 2 + options.brace};
        std::sort(at[k].begin(), at[k].end());
        stops.insert(stops.end(), at[k].begin(), at[k].end());
        stops.push_back(hi[k] - H / 2 - options.brace);
        for (size_t i = 1; i < stops.size(); ++i)
            if (stops[i] - stops[i - 1] > options.spacing + tol) std::abort();
    }
    if (posts != at[0].size() * at[1].size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool points = data[0] & 1;
    const double width = (data[0] & 2) ? 900 : 400;
    const bool arcs = !points && (data[0] & 4);
    const double face = (data[0] & 8) ? ((data[0] & 16) ? 125 : -125) : 0;
    auto coord = [](uint8_t b) { return (static_cast<int8_t>(b)) * 100.0; };
    std::vector<WallPoint> pts;
    for (size_t i = 1; i + 1 < size; i += 2) pts.push_back({coord(data[i]), coord(data[i + 1])});
    std::vector<WallPath> paths;
    long double usable = 0;
    if (points) {
        PathResult r = pathFromPoints(pts);
        if (!r.ok()) return 0;  // a message: fine, as long as there is one
        paths.push_back(std::move(r.path));
    } else {
        std::vector<WallSegment> segs;
        std::vector<WallArcInput> bends;
        std::set<std::pair<std::pair<double, double>, std::pair<double, double>>> distinct;
        for (size_t i = 0; i + 1 < pts.size(); i += 2) {
            const WallPoint &a = pts[i], &b = pts[i + 1];
            // An arc from a to b counter-clockwise about a centre off their
            // middle, as far as the next point's x says.
            if (arcs && i + 2 < pts.size() && (a.x != b.x || a.y != b.y)) {
                const double k = pts[i + 2].x / 1000, len = std::hypot(b.x - a.x, b.y - a.y);
                const double cx = (a.x + b.x) / 2 - (b.y - a.y) / len * k * 100;
                const double cy = (a.y + b.y) / 2 + (b.x - a.x) / len * k * 100;
                bends.push_back({cx, cy, std::hypot(a.x - cx, a.y - cy), std::atan2(a.y - cy, a.x - cx) * 180 / M_PI,
                                 std::atan2(b.y - cy, b.x - cx) * 180 / M_PI, false});
                ++i;
                continue;
            }
            segs.push_back({a.x, a.y, b.x, b.y});
            auto p = std::pair{a.x, a.y}, q = std::pair{b.x, b.y};
            if (p == q) continue;
            if (q < p) std::swap(p, q);
            if (distinct.insert({p, q}).second) usable += std::hypot(q.first - p.first, q.second - p.second);
        }
        WallsResult r = chainWalls(segs, bends);
        if (!r.ok()) return 0;
        if (r.paths.empty()) std::abort();
        paths = std::move(r.paths);
    }
    long double length = 0;
    for (const WallPath& p : paths) {
        if (p.vertices.empty() || (!p.closed && p.vertices.size() < 2)) std::abort();
        if (p.arcs.empty() && p.closed && p.vertices.size() < 3) std::abort();
        for (size_t i = 0; i < p.legCount(); ++i) {
            const WallPoint& a = p.vertices[i];
            const WallPoint& b = p.vertices[(i + 1) % p.vertices.size()];
            length += std::hypot(b.x - a.x, b.y - a.y);
        }
    }
    if (!points && !arcs && std::fabs(length - usable) > 1e-6 * usable + 1e-6) std::abort();
    const double depth = 125, swing = 5;
    std::vector<WallLayout> laid;  // every wall whose joint line was found
    for (const WallPath& drawn : paths) {
        const PathResult moved = offsetPath(startPath(drawn, swing, data[0] >> 5, false), face);
        if (!moved.ok()) continue;
        const WallPath& p = moved.path;
        WallPlan plan{width, 200, true, 0, false, false, depth, 40};
        plan.swing = swing;
        plan.faceOffset = face;
        plan.leastClosing = width / 2;
        plan.steelSide = face > 0 ? 1 : face < 0 ? -1 : 0;
        const WallLayout w = layWall(p, plan);
        laid.push_back(w);
        if (!w.ok()) {
            if (!w.pieces.empty()) std::abort();  // a refusal lays nothing
            continue;
        }
        if (w.pieces.empty() || w.pieces.size() > static_cast<size_t>(kMaxPileCount)) std::abort();
        const bool curved = std::any_of(w.legs.begin(), w.legs.end(), [](const WallLeg& l) { return l.curved; });
        if (p.closed && !curved) {
            const WallLeg& last = w.legs.back();
            if (std::hypot(last.x2 - p.vertices[0].x, last.y2 - p.vertices[0].y) > kLeastClosingWidth) std::abort();
        }
        if (curved) checkCurved(p, w, swing);
        else checkStraight(p, w, depth);
        checkClosures(p, w, plan);
        if (!curved) checkSteelSide(p, w, plan);
        if (paths.size() == 1 && p.closed) checkSupports(p, w, depth, size);
    }
    if (laid.size() == paths.size() && laid.size() > 1) {
        const WallLayout joined = joinLayouts(std::move(laid), depth);
        if (!joined.ok() && !joined.pieces.empty()) std::abort();
        if (joined.ok()) checkApart(joined, depth);
    }
    return 0;
}
