// The wall's geometry and texts shared by its stages: the chaining
// (wall_chain.cpp), the starts (wall_start.cpp), the offsets
// (wall_offset.cpp), the straight layout (wall.cpp), the walk along curves
// (wall_curve.cpp) and the walls joined (wall_join.cpp); defined in
// wall_geometry.cpp and wall_text.cpp. Not for use outside the wall.
#pragma once
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "functions.h"
#include "pile_sections.h"
#include "wall.h"
#include "x87.h"

namespace ravo::detail {

using LD = long double;

// A loop has three corners at least.
inline constexpr size_t kLeastLoopCorners = 3;

inline constexpr LD kTwoPi = 2 * kPiFull;

// "(1234.5, -20)": a place named in a message, to 0.001 mm.
std::u16string placeText(double x, double y);
// "40.2": an angle named in a message, to 0.1°.
std::u16string degreesText(double degrees);
// "0.101": how far apart an open wall's ends are, to 0.001 mm.
std::u16string gapText(double mm);

// A corner sharper than the section takes, named with its place.
std::u16string sharpCornerText(const WallPoint& at, double interior, double leastAngle);

// The signed turn from direction a to direction b, degrees, + to the left.
double turnDegrees(LD ax, LD ay, LD bx, LD by);

// A turn below kStraightTolerance, told without its angle by the ratio of
// cross to dot product, the tangent of the turn: the tolerance in radians,
// which at 0.01° is its own tangent to a part in 10^8.
inline constexpr LD kTanStraight = kStraightTolerance * kPiFull / 180;

inline LD angleOf(LD dx, LD dy) { return x87::atan2(dy, dx); }

// A leg's direction as a unit vector, and its length.
struct Dir {
    LD x, y, len;
};
Dir dirOf(LD dx, LD dy);

// An arc leg's geometry: centre, radius, the angle of its start (radians)
// and its signed sweep (+ counter-clockwise).
struct ArcGeo {
    LD cx, cy, r, a0, sweep;
};
ArcGeo arcGeo(const WallPath& path, size_t leg);

// The point of an arc at the angle a.
WallPoint arcPoint(LD cx, LD cy, LD r, LD a);

// A leg's direction where it leaves its start vertex and where it reaches
// its end: a straight leg's is the difference of its ends, an arc's the
// tangent (neither is made a unit vector).
struct Tangents {
    LD ox, oy, ix, iy;
};
Tangents tangentsOf(const WallPath& path, size_t leg);

// The default start and direction: a loop counter-clockwise from its lowest
// vertex, an open path from its end with the smaller x (then y).
void defaultStart(WallPath& path);

using SegmentEnds = std::pair<WallPoint, WallPoint>;

// A path's legs as segments, an arc as its chords, each with its leg.
void pathChords(const WallPath& path, std::vector<SegmentEnds>& segs, std::vector<uint32_t>& legOf);

// Squared distance between segments ab and cd (a tolerance test: doubles).
double segmentDistance2(const WallPoint& a, const WallPoint& b, const WallPoint& c, const WallPoint& d);
// Where two segments that come close meet: where they cross, else the end
// of one that lies nearest the other.
WallPoint meetingPlace(const SegmentEnds& p, const SegmentEnds& q);
// The direction to sweep along for firstTouch.
WallPoint sweepDirection(const std::vector<SegmentEnds>& segs);

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

// How the span before a leg's end piece is closed: whole piles, then
// `closing` closing piles of `width` each.
struct Fill {
    int64_t whole = 0, closing = 0;
    LD width = 0;
    bool ok = true;  // false: the span cannot take closing piles that wide
};

// How far whole piles may end short of a span (`under`) or past it
// (`over`), the joints taking it up. A fitted leg of a wall whose steel
// keeps a side takes the play only towards that side: past or short, the
// next leg's start moves across its drawn line.
struct Play {
    LD under = static_cast<LD>(kLeastClosingWidth), over = static_cast<LD>(kLeastClosingWidth);
};

// The span x (mm) in whole piles w wide and the fewest closing piles no
// narrower than `least` (kLeastClosingWidth where it is less) nor wider
// than w; a remainder within the play, short or past, is taken up by the
// joints. `extra` pieces more than the fewest (for an even loop) take
// closing piles as they need.
Fill fillSpan(LD x, LD w, LD least, int64_t extra, Play play = {});

// The narrowest closing pile the plan cuts.
inline LD leastClosingOf(const WallPlan& plan) {
    return std::max<LD>(plan.leastClosing, static_cast<LD>(kLeastClosingWidth));
}

// Lays the pieces leg by leg into the layout, counting them from the start
// (U piles alternate from it).
class LegLayer {
public:
    LegLayer(const WallPlan& plan, WallLayout& out) : plan_(plan), out_(out), w_(plan.width) {}

    // Whether `more` pieces would pass the cap: the layout is then refused.
    bool tooMany(LD more) {
        if (static_cast<LD>(k_ + plan_.laidBefore) + more <= kMaxPileCount) return false;
        out_.fault = wallPileCountMessage();
        out_.pastCap = true;
        out_.pieces.clear();
        out_.legs.clear();
        return true;
    }

    // One leg from (sx, sy) along d from offset s: its span's whole and
    // closing piles, then its end piece, a corner when the leg ends at one.
    // Returns where the leg ends.
    std::pair<LD, LD> lay(size_t leg, LD sx, LD sy, const Dir& d, LD s, const Fill& span, bool cornerAtEnd,
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
            if (kind == PieceKind::Corner) p.turn = p.drawnTurn = turn, ++out_.corners;
            if (kind == PieceKind::Closing) ++out_.closings, ++L.closing;
            out_.pieces.push_back(p);
            ++L.pieces;
            at += width;
        };
        for (int64_t i = 0; i < span.whole; ++i) place(PieceKind::Pile, w_);
        for (int64_t i = 0; i < span.closing; ++i) place(PieceKind::Closing, span.width);
        place(cornerAtEnd ? PieceKind::Corner : PieceKind::Pile, w_);
        const LD ex = sx + at * d.x, ey = sy + at * d.y;
        L.x2 = toDouble(ex);
        L.y2 = toDouble(ey);
        out_.legs.push_back(L);
        out_.length += at;
        return {ex, ey};
    }

    // A piece from (ax, ay) towards (bx, by), `width` wide: a chord of a
    // curved stretch (its leg is recorded by the caller).
    WallPiece& chord(size_t leg, LD ax, LD ay, LD bx, LD by, LD width, PieceKind kind) {
        WallPiece p;
        p.kind = kind;
        p.leg = static_cast<int32_t>(leg);
        p.x = toDouble(ax);
        p.y = toDouble(ay);
        p.angle = toDouble(static_cast<LD>(vecAngle(toDouble(bx - ax), toDouble(by - ay))) * 180.0L / kPiFull);
        const Dir u = dirOf(bx - ax, by - ay);
        p.chord = true;
        p.ux = toDouble(u.x), p.uy = toDouble(u.y);
        p.width = toDouble(width);
        p.mirrored = mirroredAt(k_++);
        if (kind == PieceKind::Corner) ++out_.corners;
        if (kind == PieceKind::Closing) ++out_.closings;
        out_.pieces.push_back(p);
        out_.length += width;
        return out_.pieces.back();
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

// An open wall's ends, once it is laid: 起点 and 終点 counted and outlined
// as corner piles where the plan asks, and how far apart the ends lie
// where they nearly meet.
void openEnds(WallLayout& out, const WallPath& path, const WallPlan& plan);

// A path with a curve: any arc, or a turn the interlocks take.
bool hasCurve(const WallPath& path, double swing);

// Lays a path with a curve, stretch by stretch between its corners.
WallLayout layCurved(const WallPath& path, const WallPlan& plan);

}  // namespace ravo::detail
