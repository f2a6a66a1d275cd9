// Walls along the user's own lines: the path from a selection or from points
// indicated in order, and the wall laid along it, leg by leg, as pieces.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "functions.h"

namespace ravo {

struct WallPoint {
    double x = 0, y = 0;
};

struct WallSegment {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Ends this close (mm) are one point; segments shorter are dropped.
inline constexpr double kJoinTolerance = 0.1;
// Consecutive directions closer than this (degrees) make one leg.
inline constexpr double kStraightTolerance = 0.01;
// A turn sharper than this (degrees) folds the wall back on itself.
inline constexpr double kFoldBackLimit = 179.0;
// Turns within this of a right angle (degrees) take the plain corner pile.
inline constexpr double kRightAngleTolerance = 0.5;

// A leg drawn as an arc: about (cx, cy) with radius r, counter-clockwise
// from the leg's start vertex to its end when `ccw`. r == 0: a straight leg.
struct LegArc {
    double cx = 0, cy = 0, r = 0;
    bool ccw = true;
};

struct WallPath {
    std::vector<WallPoint> vertices;  // a closed loop does not repeat its first vertex
    std::vector<LegArc> arcs;         // none where every leg is straight, else one per leg
    bool closed = false;

    size_t legCount() const { return closed ? vertices.size() : (vertices.empty() ? 0 : vertices.size() - 1); }
    bool arcAt(size_t leg) const { return leg < arcs.size() && arcs[leg].r > 0; }
    // A full circle: one vertex (its start) and one arc leg round to it.
    bool circle() const { return closed && vertices.size() == 1; }
};

// An arc as the host gives it: about (cx, cy), radius r, counter-clockwise
// from `start` to `end` (degrees); a full circle when `full`.
struct WallArcInput {
    double cx = 0, cy = 0, r = 0, start = 0, end = 0;
    bool full = false;
};

// A path, or what is wrong with the input in the user's words (with where).
struct PathResult {
    WallPath path;
    std::u16string fault;

    bool ok() const { return fault.empty(); }
};

// Several walls, or what is wrong with the input.
struct WallsResult {
    std::vector<WallPath> paths;
    std::u16string fault;

    bool ok() const { return fault.empty(); }
};

// The selected lines and arcs chained by their ends, one path per chain
// (the open ones first), each at its default start: a loop
// counter-clockwise from its lowest vertex (smallest y, then smallest x),
// an open path from its end with the smaller x (then the smaller y). A
// branch, chains that touch, a chain touching itself, a fold-back or
// nothing usable is a fault.
WallsResult chainWalls(std::span<const WallSegment> lines, std::span<const WallArcInput> arcs = {});

// Points indicated in order: a point within kJoinTolerance of the one
// before is dropped, and the path is closed when the last equals the first.
// The user's order and direction are kept.
PathResult pathFromPoints(std::span<const WallPoint> points);

// Whether a loop runs counter-clockwise (its signed area, arcs' included,
// is positive).
bool counterClockwise(const WallPath& path);

// The same path from another start (a vertex of a loop, either end of an
// open path) and, when `reversed`, the other way round.
WallPath restartPath(const WallPath& path, size_t start, bool reversed);

// Whether the path turns at vertex i by more than `swing` degrees (what one
// interlock takes): there a corner pile stands. An open path's ends are none.
bool cornerAt(const WallPath& path, size_t vertex, double swing);

// A path's legs as segments, each arc as chords within some 0.05 mm of it.
std::vector<WallSegment> pathOutline(const WallPath& path);

// How far a point lies from a segment.
double segmentDistance(double x, double y, const WallSegment& s);

// The places a wall may start: an open path's two ends; a loop's corners
// from the lowest on, or its lowest point alone where it has none. The path
// (at its default start) from its `start`-th place, and the other way round
// when `reversed`; a loop without corners gains its lowest point as a
// vertex.
size_t startCount(const WallPath& path, double swing);
WallPath startPath(const WallPath& path, double swing, size_t start, bool reversed);

// The path moved `left` mm to the left of its direction (right when
// negative): lines parallel, arcs about their centres, corners mitred. A
// leg or an arc the move folds away is a fault, with its place. Where
// chords `bow` wide will stand on it (a face drawn), an arc moved away from
// its centre moves on by some chords' bows, so that the chords between the
// joints keep off the drawn line too.
PathResult offsetPath(const WallPath& path, double left, double bow = 0);

enum class PieceKind : uint8_t {
    Pile,     // an ordinary pile
    Corner,   // the last pile of a leg that ends at a corner: a plate at its end
    Closing,  // the cut pile that closes a loop's fitted leg (調整矢板)
    // The supports inside a cofferdam: never a wall's piece, but drawn and
    // grouped as one.
    Wale,   // 腹起し
    Strut,  // 切ばり
    Brace,  // 隅火打ち
    Post,   // 中間杭
};

// BothCorners: the two-point run of one pile with 起点 and 終点, drawn with
// both corner outlines.
enum class PieceOutline : uint8_t { Normal, StartCorner, EndCorner, BothCorners };

struct WallPiece {
    PieceKind kind = PieceKind::Pile;
    PieceOutline outline = PieceOutline::Normal;  // 起点 and 終点 on an open path
    int32_t leg = 0;
    double x = 0, y = 0;  // its start interlock, on the axis
    double angle = 0;     // the leg's direction, degrees counter-clockwise from +x
    double width = 0;     // along the axis
    bool mirrored = false;
    double turn = 0;      // a corner's turn to the next leg, degrees, + to the left
    // The turn as drawn, the tangents' at the corner's vertex: what the pile
    // is named and ordered by. Along a curve the plate turns to the chord of
    // the next pile instead, up to an interlock's swing off the drawn turn.
    double drawnTurn = 0;
    // A pile laid as a chord of a curve: its direction as a unit vector, as
    // it was found (the angle is for labels and the preview's tests).
    bool chord = false;
    double ux = 1, uy = 0;

    Rotation along() const { return chord ? Rotation(ux, uy) : Rotation(angle); }
};

struct WallLeg {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // the laid axis (a curved stretch: its ends)
    int32_t pieces = 0;                     // every piece on it, corner and closing included
    int32_t closing = 0;
    int32_t wall = 0;                       // which of several walls
    bool curved = false;                    // a stretch of piles turning at their joints
};

struct WallPlan {
    double width = 400;   // the section's effective width
    double reach = 200;   // how far a corner plate reaches along the next leg
    bool alternates = true;
    int32_t orientation = 0;
    bool startCorner = false, endCorner = false;  // open paths only
    double depth = 0;       // how far the pile reaches from the axis, either side
    double leastAngle = 0;  // the sharpest corner the section takes (interior, degrees)
    double swing = 0;       // what one interlock turns (degrees): a smaller turn is no corner
    // The narrowest closing pile (mm); 0: any of kLeastClosingWidth or more.
    double leastClosing = 0;
    // The side of its direction (+1 left, -1 right) to which the steel may
    // move off the drawn line where a leg grows to whole piles: away from a
    // drawn face, out of a loop. 0: out of a loop, either way on an open path.
    int32_t steelSide = 0;
    // Where the drawn line lies from the joint line, on the side away from
    // the steel (a face's reach; for a loop's joint line, the reach inside),
    // and the plain pile's outline, unmirrored and mirrored: a full circle
    // takes the count that keeps every pile on the steel's side of it.
    double drawnAway = 0;
    std::span<const WallSegment> outline[2] = {};
    // How far the joint line lies left of the line the user drew (a face),
    // mm, and that line (vertex for vertex the joint line's; none: the
    // joint line moved back): corners are named and radii quoted by what
    // was drawn.
    double faceOffset = 0;
    const WallPath* drawn = nullptr;
    // The pieces the selection's walls laid before this one: the cap counts
    // them all, so a hatch stops at the wall that passes it.
    int64_t laidBefore = 0;
};

// A closing pile narrower than this (mm) is none: the loop closes within the
// play of the joints. One within it of the full width is a whole pile.
inline constexpr double kLeastClosingWidth = 1.0;

struct WallLayout {
    std::vector<WallPiece> pieces;
    std::vector<WallLeg> legs;
    int32_t corners = 0, closings = 0;  // corners: 起点 and 終点 included
    double openGap = -1;    // an open wall whose ends lie within a pile width: how far apart
    long double length = 0; // the laid axis
    int32_t walls = 1;
    // Each full circle's: the radius of the circle its joints lie on, and
    // that of the face drawn (0 where the joint line was drawn).
    struct Circle {
        double joints = 0, face = 0;
        bool inner = false;  // the face drawn is the wall's inner one
    };
    std::vector<Circle> circles;
    std::u16string fault;   // why nothing was laid
    bool pastCap = false;   // refused because the selection's pieces pass the cap

    bool ok() const { return fault.empty(); }
};

// Lays the wall: each leg counted to whole piles from its start offset
// (0 for an open path's first leg, the plate's reach after a corner), its
// end the next corner. Where the steel keeps a side (a loop, a face), each
// leg ends at the whole pile nearest the next leg's drawn line on the
// steel's side, so no leg moves the wrong way; else each grows past its
// drawn end. A loop's last two legs are fitted to close at its start vertex,
// with closing piles for a remainder: the fewest no narrower than the
// narrowest closing pile, and for piles that alternate an even count, so
// every pair of neighbours faces opposite ways. A corner sharper than the
// section takes, or legs laid so that their piles (the axis widened by the
// depth) run into each other, are refused with the place.
//
// A path with a curve (an arc, or a turn no more than the interlocks take)
// keeps its corners where drawn: each stretch between corners is walked
// joint by joint along the line, a pile a chord of the width, and takes
// closing piles by the same rule for its remainder before its end corner;
// an open path's free end grows to a whole pile; a loop without corners
// closes at its start. A full circle takes equal piles on the circle they
// fit. A joint that turns more than the interlocks take is refused: at a
// kink of the line (no corner, yet sharper than the piles can follow) with
// its angle, on an arc or a circle too small with the smallest radius (of
// the face, where one was drawn).
WallLayout layWall(const WallPath& path, const WallPlan& plan);

// The several walls' layouts as one: pieces, legs and counts in order, each
// leg knowing its wall. The first refused wall refuses all; so do two walls
// whose piles (each wall's laid axis, its plates included, widened by the
// depth either side) run into each other, with the place.
WallLayout joinLayouts(std::vector<WallLayout>&& walls, double depth);

// The sharpest corner (the interior angle, degrees, to 0.1° upwards) at
// which a corner pile and the next leg's first pile stay clear of each
// other: the plain outline (its mirror is the other face), the plate in the
// pile's frame as drawn for a right turn.
double leastCornerAngle(const std::vector<WallSegment>& pile, const std::vector<WallSegment>& plate, double width,
                        double reach, bool alternates);

// "（コーナー6・調整2）": the corner and closing piles of a layout, as the
// count line and the host's notice give them; empty where there are none.
std::u16string specialPieces(const WallLayout& layout);

// "91枚（コーナー6・調整2）  延長 37.200 m", with a warning for an open
// wall whose ends nearly meet; "0枚" for nothing laid.
// Several walls add their number, each full circle the radius its joints
// lie on and that of the face drawn: "…  延長 65.600 m（2 壁）",
// "158枚  延長 63.200 m  半径 10.059 m", "…  半径 10.184 m（内面 10.000 m）".
std::u16string wallCountText(const WallLayout& layout);

// The corner's name by the angle between its legs: "コーナー矢板" at a right
// angle, "異形コーナー矢板　135°" otherwise (an ideographic space: the
// name goes into the drawing as one text).
std::u16string cornerName(double turn);

}  // namespace ravo
