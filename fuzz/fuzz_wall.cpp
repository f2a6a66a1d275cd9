// The chainer and the wall's layout on arbitrary selections and point
// sequences. Ends on a 100 mm grid (so joining is exact): whatever comes in
// ends in one path or a message, never a crash; a path uses every usable
// segment once, its length theirs; a laid wall stays within the piece cap,
// closes a loop at its start vertex (within the joints' play) and never runs
// into itself: no two legs but neighbours come within twice the pile's
// depth, checked pair by pair.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

#include "core/pile_sections.h"
#include "core/wall.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ravo;
    if (size < 1) return 0;
    const bool points = data[0] & 1;
    const double width = (data[0] & 2) ? 900 : 400;
    auto coord = [](uint8_t b) { return (static_cast<int8_t>(b)) * 100.0; };
    std::vector<WallPoint> pts;
    for (size_t i = 1; i + 1 < size; i += 2) pts.push_back({coord(data[i]), coord(data[i + 1])});
    PathResult r;
    long double usable = 0;
    if (points) {
        r = pathFromPoints(pts);
    } else {
        std::vector<WallSegment> segs;
        std::set<std::pair<std::pair<double, double>, std::pair<double, double>>> distinct;
        for (size_t i = 0; i + 1 < pts.size(); i += 2) {
            segs.push_back({pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y});
            auto a = std::pair{pts[i].x, pts[i].y}, b = std::pair{pts[i + 1].x, pts[i + 1].y};
            if (a == b) continue;
            if (b < a) std::swap(a, b);
            if (distinct.insert({a, b}).second) usable += std::hypot(b.first - a.first, b.second - a.second);
        }
        r = chainSegments(segs);
    }
    if (!r.ok()) return 0;  // a message: fine, as long as there is one
    const WallPath& p = r.path;
    if (p.vertices.size() < 2 || (p.closed && p.vertices.size() < 3)) std::abort();
    long double length = 0;
    for (size_t i = 0; i < p.legCount(); ++i) {
        const WallPoint& a = p.vertices[i];
        const WallPoint& b = p.vertices[(i + 1) % p.vertices.size()];
        length += std::hypot(b.x - a.x, b.y - a.y);
    }
    if (!points && std::fabs(length - usable) > 1e-6 * usable + 1e-6) std::abort();
    const double depth = 125;
    const WallLayout w = layWall(p, {width, 200, true, 0, false, false, depth, 40});
    if (!w.ok()) {
        if (!w.pieces.empty()) std::abort();  // a refusal lays nothing
        return 0;
    }
    if (w.pieces.empty() || w.pieces.size() > static_cast<size_t>(kMaxPileCount)) std::abort();
    if (p.closed) {
        const WallLeg& last = w.legs.back();
        if (std::hypot(last.x2 - p.vertices[0].x, last.y2 - p.vertices[0].y) > kLeastClosingWidth) std::abort();
    }
    // The distance of two legs: where they cross, none; else the nearest of
    // an end of one to the other.
    auto pointToLeg = [](double px, double py, const WallLeg& l) {
        const double dx = l.x2 - l.x1, dy = l.y2 - l.y1, len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? std::clamp(((px - l.x1) * dx + (py - l.y1) * dy) / len2, 0.0, 1.0) : 0;
        return std::hypot(l.x1 + t * dx - px, l.y1 + t * dy - py);
    };
    auto cross = [](const WallLeg& a, const WallLeg& b) {
        auto side = [](double ax, double ay, double bx, double by, double cx, double cy) {
            return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
        };
        return side(a.x1, a.y1, a.x2, a.y2, b.x1, b.y1) * side(a.x1, a.y1, a.x2, a.y2, b.x2, b.y2) < 0 &&
               side(b.x1, b.y1, b.x2, b.y2, a.x1, a.y1) * side(b.x1, b.y1, b.x2, b.y2, a.x2, a.y2) < 0;
    };
    const size_t n = w.legs.size();
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 2; j < n; ++j) {
            if (p.closed && i == 0 && j == n - 1) continue;  // they meet at the start
            const WallLeg &a = w.legs[i], &b = w.legs[j];
            const double d = cross(a, b) ? 0
                                         : std::min({pointToLeg(a.x1, a.y1, b), pointToLeg(a.x2, a.y2, b),
                                                     pointToLeg(b.x1, b.y1, a), pointToLeg(b.x2, b.y2, a)});
            if (d < 2 * depth * (1 - 1e-9)) std::abort();
        }
    return 0;
}
