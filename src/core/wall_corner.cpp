// The sharpest corner a section takes: where its corner pile, plate
// turned, and the next leg's first pile stay clear of each other.
#include "wall.h"

#include <cmath>
#include <vector>

#include "functions.h"

namespace ravo {

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

}  // namespace ravo
