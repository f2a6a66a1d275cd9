// A path moved to the side: the joint line from a face drawn, and back.
#include "wall.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "functions.h"
#include "wall_geometry.h"
#include "x87.h"

namespace ravo {

using namespace detail;

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

}  // namespace ravo
