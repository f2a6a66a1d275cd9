// The run as one value: what the user chose, and the plan laid from the
// host's input with the section's outlines, every piece, count and refusal
// the count line, the mass, the labels, the table, the preview and the
// result need.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "functions.h"
#include "host_input.h"
#include "outlines.h"
#include "quantities.h"
#include "supports.h"
#include "wall.h"

namespace ravo {

// What the batch file asked for: two points (the default), points in order,
// or the wall line selected in the host.
enum class RunMode { TwoPoints, Points, Selection };

// Points in order: hp1 to hp99, as the host's directives number them.
inline constexpr int kMostPoints = 99;

// What the drawn line of a wall is: the joint line the piles stand on, or
// one face of the wall (an open path's inner face is its left one).
enum class WallFace : uint8_t { JointLine, Inner, Outer };

// One wall's start and direction.
struct WallStart {
    size_t start = 0;       // a loop's corner from its lowest, an open path's other end (1)
    bool reversed = false;  // laid the other way round
};

// What the user set.
// The steps pile numbers may take: every pile, every fifth, every tenth;
// and the one taken where none (or another) is chosen.
inline constexpr int32_t kNumberSteps[] = {1, 5, 10};
inline constexpr int32_t kDefaultNumberStep = kNumberSteps[1];
// The host's layers of a group, 0 to F.
inline constexpr int32_t kLayerCount = 16;

struct Choices {
    RunMode mode = RunMode::TwoPoints;
    size_t section = kDefaultSection;
    bool startCorner = false, endCorner = false;  // 起点, 終点: the run's or an open wall's
    int32_t orientation = 0;                      // 反転: 1 turns every pile over
    std::vector<WallStart> starts;                // by wall; a wall past the end starts as drawn
    WallFace face = WallFace::JointLine;
    PileLength pileLength;  // what OK labels and weighs with; none of these lays anew
    bool labels = false, table = false;
    // Besides, on the sheet: a number by every step-th pile; the developed
    // elevation from the head level (m, as typed; none where it is no
    // number); the layer of the labels, table, numbers and elevation (-1:
    // the write layer); each piece's lines as one curve object.
    bool numbers = false;
    int32_t numberStep = kDefaultNumberStep;
    bool elevation = false;
    std::optional<double> headLevel;
    int32_t annotationLayer = -1;
    bool groupPieces = false;
    // The supports inside a cofferdam, as read from the support window.
    SupportOptions supports;
};

// Why a plan lays nothing, by where the cause lies: the user is told again
// only when what they changed could have caused it.
enum class Refusal : uint8_t {
    None,
    Input,  // the lines or points given make no wall
    Count,  // the two-point run is longer than the tool lays, at this width
    Lay,    // the wall cannot be laid along the path from this start
};

struct Plan {
    size_t section = kDefaultSection;
    bool wall = false;  // along a path, rather than the two-point run
    // The two-point run is laid from the origin along +x and turned by
    // `angle`; the result moves it onto hp1.
    WallPoint hp1;
    double angle = 0;
    double indicated = 0;  // hp1 to hp2
    // The host's place of the plan's frame, where its pieces are placed:
    // hp1 for the two-point run, the host's own origin for walls.
    WallPoint origin;
    // Each wall's joint line from its start and direction; the two-point
    // run's, hp1 to hp2.
    std::vector<WallPath> drawn;
    std::vector<WallSegment> given;  // what was given, where it makes no path
    WallLayout layout;     // the pieces and legs (the run's one leg in place), the counts
    Refusal refusal = Refusal::None;
    std::u16string fault;  // the refusal in the user's words
    Supports supports;     // inside the cofferdams, where asked for

    bool laid() const { return !layout.pieces.empty(); }
    bool closed() const {
        return wall && !drawn.empty() && std::all_of(drawn.begin(), drawn.end(), [](const WallPath& p) { return p.closed; });
    }
    int32_t count() const { return static_cast<int32_t>(layout.pieces.size()); }
};

Plan planRun(const HostInput& input, const Choices& choices, const Outlines& outlines);

// A wall's legs as its labels and the preview's counts stand by them: a
// curved stretch as its middle pile.
std::vector<WallLeg> labelLegs(const Plan& plan, int32_t wall);

// The count line under the preview.
std::u16string countText(const Plan& plan);
// The pieces counted and weighed at the pile length.
QuantityTable quantities(const Plan& plan, const Choices& choices);

// Every line of every piece, each outline in its place: put(x1, y1, x2, y2,
// kind) with the kind of the piece it draws (a leg's closing joint edge is
// an ordinary pile's). The two-point run is given as laid and turned, at
// the origin.
// `next(i)` is called before the lines of piece i.
template <class Put, class Next = void (*)(size_t)>
void placePieces(const Plan& plan, const Outlines& o, Put&& put, Next&& next = [](size_t) {});

namespace detail {
// Sums formed in extended precision and rounded to a double where stored:
// a small coordinate plus a large offset can round differently in double.
inline double addX(double a, double b) { return static_cast<double>(static_cast<long double>(a) + b); }
}  // namespace detail

template <class Put, class Next>
void placePieces(const Plan& plan, const Outlines& o, Put&& put, Next&& next) {
    const bool alternates = o.pileSection().alternates();
    if (!plan.wall) {
        // Each pile shifted along the axis, then the whole run turned once.
        const Rotation rot(plan.angle);
        auto turned = [&](double x1, double y1, double x2, double y2) {
            double a, b, c, d;
            rot.apply(x1, y1, a, b);
            rot.apply(x2, y2, c, d);
            put(a, b, c, d, PieceKind::Pile);
        };
        auto shifted = [&](OutlineKind kind, bool mirrored, double offset) {
            for (const WallSegment& s : o.outline(kind, mirrored))
                turned(detail::addX(s.x1, offset), detail::addX(s.y1, 0), detail::addX(s.x2, offset),
                       detail::addX(s.y2, 0));
        };
        for (size_t i = 0; i < plan.layout.pieces.size(); ++i) {
            const WallPiece& p = plan.layout.pieces[i];
            next(i);
            const bool start = p.outline == PieceOutline::StartCorner || p.outline == PieceOutline::BothCorners;
            const bool end = p.outline == PieceOutline::EndCorner || p.outline == PieceOutline::BothCorners;
            if (start) shifted(OutlineKind::StartCorner, p.mirrored, p.x);
            if (end) shifted(OutlineKind::EndCorner, p.mirrored, p.x);
            if (!start && !end) shifted(OutlineKind::Normal, p.mirrored, p.x);
        }
        if (!alternates && plan.laid()) {
            // The last joint, closed with the start edge.
            const double end = static_cast<double>(static_cast<long double>(plan.count()) * o.pileSection().widthMm);
            for (auto [y1, y2] : o.startJoint(plan.layout.pieces.back().mirrored)) turned(end, y1, end, y2);
        }
        return;
    }
    const auto& pieces = plan.layout.pieces;
    const double width = o.pileSection().widthMm;
    // A leg's pieces share its angle: its rotation is worked out once.
    Rotation rot(0.0);
    double rotAngle = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const WallPiece& piece = pieces[i];
        next(i);
        const OutlineKind kind = piece.outline == PieceOutline::StartCorner ? OutlineKind::StartCorner
                                 : piece.outline == PieceOutline::EndCorner ? OutlineKind::EndCorner
                                                                            : OutlineKind::Normal;
        if (piece.chord) rot = piece.along();
        else if (i == 0 || pieces[i - 1].chord || piece.angle != rotAngle) rot = Rotation(piece.angle), rotAngle = piece.angle;
        const long double c = rot.c, s = rot.s, px = piece.x, py = piece.y;
        auto at = [&](double x1, double y1, double x2, double y2, PieceKind k) {
            put(static_cast<double>(px + (c * x1 - s * y1)), static_cast<double>(py + (s * x1 + c * y1)),
                static_cast<double>(px + (c * x2 - s * y2)), static_cast<double>(py + (s * x2 + c * y2)), k);
        };
        if (piece.kind == PieceKind::Closing) {
            // A closing pile is the plain outline narrowed along the axis to
            // its width: both its interlocks stay on the axis, where its
            // neighbours' are, so the wall is closed as drawn.
            const long double k = static_cast<long double>(piece.width) / width;
            for (const WallSegment& sg : o.outline(kind, piece.mirrored))
                at(static_cast<double>(sg.x1 * k), sg.y1, static_cast<double>(sg.x2 * k), sg.y2, piece.kind);
        } else {
            for (const WallSegment& sg : o.outline(kind, piece.mirrored)) at(sg.x1, sg.y1, sg.x2, sg.y2, piece.kind);
        }
        if (piece.kind == PieceKind::Corner) {
            // The plate is drawn for a right turn (towards −y); a left turn
            // takes it mirrored, and any turn other than a right angle turns
            // it about the end interlock to lie along the next leg. Piles
            // that all face one way draw their start joint edge: where the
            // next leg's first pile stands, the plate's far edge is that edge.
            const bool left = piece.turn > 0;
            const Rotation turn(left ? piece.turn - 90 : piece.turn + 90);
            const long double w = piece.width;
            for (const WallSegment& p : o.plate) {
                if (!alternates && std::fabs(p.y1) == o.reach && std::fabs(p.y2) == o.reach) continue;
                const long double y1 = left ? -p.y1 : p.y1, y2 = left ? -p.y2 : p.y2;
                const long double x1 = p.x1 - w, x2 = p.x2 - w;
                at(static_cast<double>(w + turn.c * x1 - turn.s * y1), static_cast<double>(turn.s * x1 + turn.c * y1),
                   static_cast<double>(w + turn.c * x2 - turn.s * y2), static_cast<double>(turn.s * x2 + turn.c * y2),
                   PieceKind::Corner);
            }
        }
        // The leg's last joint is closed here.
        const bool lastOfLeg = i + 1 == pieces.size() || pieces[i + 1].leg != piece.leg;
        if (lastOfLeg && !alternates)
            for (auto [y1, y2] : o.startJoint(piece.mirrored)) at(piece.width, y1, piece.width, y2, PieceKind::Pile);
    }
}

}  // namespace ravo
