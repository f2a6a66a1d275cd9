// Walls along the user's own lines: the path from a selection or from points
// indicated in order, and the wall laid along it, leg by leg, as pieces.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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

struct WallPath {
    std::vector<WallPoint> vertices;  // a closed loop does not repeat its first vertex
    bool closed = false;

    size_t legCount() const { return closed ? vertices.size() : (vertices.empty() ? 0 : vertices.size() - 1); }
};

// A path, or what is wrong with the input in the user's words (with where).
struct PathResult {
    WallPath path;
    std::u16string fault;

    bool ok() const { return fault.empty(); }
};

// The selected line records chained into one open path or one closed loop,
// at its default start: a loop counter-clockwise from its lowest vertex
// (smallest y, then smallest x), an open path from its end with the smaller
// x (then the smaller y). A branch, a second chain, a chain touching itself,
// a fold-back or nothing usable is a fault.
PathResult chainSegments(std::span<const WallSegment> segments);

// Points indicated in order: a point within kJoinTolerance of the one
// before is dropped, and the path is closed when the last equals the first.
// The user's order and direction are kept.
PathResult pathFromPoints(std::span<const WallPoint> points);

// Whether a loop runs counter-clockwise (its signed area is positive).
bool counterClockwise(const WallPath& path);

// The same path from another start (a vertex of a loop, either end of an
// open path) and, when `reversed`, the other way round.
WallPath restartPath(const WallPath& path, size_t start, bool reversed);

enum class PieceKind : uint8_t {
    Pile,     // an ordinary pile
    Corner,   // the last pile of a leg that ends at a corner: a plate at its end
    Closing,  // the cut pile that closes a loop's fitted leg (調整矢板)
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
};

struct WallLeg {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // the laid axis
    int32_t pieces = 0;                     // every piece on it, corner and closing included
    int32_t closing = 0;
};

struct WallPlan {
    double width = 400;   // the section's effective width
    double reach = 200;   // how far a corner plate reaches along the next leg
    bool alternates = true;
    int32_t orientation = 0;
    bool startCorner = false, endCorner = false;  // open paths only
    double depth = 0;       // how far the pile reaches from the axis, either side
    double leastAngle = 0;  // the sharpest corner the section takes (interior, degrees)
};

// A closing pile narrower than this (mm) is none: the loop closes within the
// play of the joints. One within it of the full width is a whole pile.
inline constexpr double kLeastClosingWidth = 1.0;

struct WallLayout {
    std::vector<WallPiece> pieces;
    std::vector<WallLeg> legs;
    int32_t corners = 0, closings = 0;  // corners: 起点 and 終点 included
    bool oddLoop = false;   // a U loop of an odd count cannot meet at its start
    double openGap = -1;    // an open wall whose ends lie within a pile width: how far apart
    long double length = 0; // the laid axis
    std::u16string fault;   // why nothing was laid

    bool ok() const { return fault.empty(); }
};

// Lays the wall: each leg counted to whole piles from its start offset
// (0 for an open path's first leg, the plate's reach after a corner), its
// end the next corner; a loop's last two legs fitted to close at its start
// vertex, with a closing pile for a remainder. A corner sharper than the
// section takes, or legs laid so that their piles (the axis widened by the
// depth) run into each other, are refused with the place.
WallLayout layWall(const WallPath& path, const WallPlan& plan);

// The sharpest corner (the interior angle, degrees, to 0.1° upwards) at
// which a corner pile and the next leg's first pile stay clear of each
// other: the plain outline (its mirror is the other face), the plate in the
// pile's frame as drawn for a right turn.
double leastCornerAngle(const std::vector<WallSegment>& pile, const std::vector<WallSegment>& plate, double width,
                        double reach, bool alternates);

// "91枚（コーナー6・調整2）  延長 37.200 m", with a warning for an odd U
// loop and for an open wall whose ends nearly meet; "0枚" for nothing laid.
std::u16string wallCountText(const WallLayout& layout);

// The corner's name by the angle between its legs: "コーナー矢板" at a right
// angle, "異形コーナー矢板　135°" otherwise (an ideographic space: the
// name goes into the drawing as one text).
std::u16string cornerName(double turn);

}  // namespace ravo
