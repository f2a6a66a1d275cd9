// Where a wall starts and which way it runs: the default start, the
// places a wall may start from, and the corners among them.
#include "wall.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "functions.h"
#include "wall_geometry.h"

namespace ravo {

using namespace detail;

namespace {

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

}  // namespace

// The default start and direction: a loop counter-clockwise from its lowest
// vertex, an open path from its end with the smaller x (then y).
void detail::defaultStart(WallPath& path) {
    std::vector<WallPoint>& v = path.vertices;
    if (path.closed) {
        if (!counterClockwise(path)) reverseLoop(path);
        rotateLoop(path, static_cast<size_t>(std::min_element(v.begin(), v.end(), lower) - v.begin()));
    } else if (v.back().x < v.front().x || (v.back().x == v.front().x && v.back().y < v.front().y)) {
        reverseOpen(path);
    }
}

namespace {

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

}  // namespace ravo
