// Several walls laid as one layout, refused where their piles run into
// each other.
#include "wall.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "functions.h"
#include "pile_sections.h"
#include "text.h"
#include "wall_geometry.h"

namespace ravo {

using namespace detail;

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

}  // namespace ravo
