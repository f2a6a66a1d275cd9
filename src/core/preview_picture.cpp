#include "preview_picture.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "annotations.h"
#include "functions.h"
#include "pile_sections.h"
#include "sheet.h"
#include "text.h"

namespace ravo {

namespace {

// The preview's colours (0x00BBGGRR): corner and closing piles told apart
// (the result hands back coordinates only); under a wall, the drawn line,
// the start, each leg's count.
constexpr int32_t kCornerColour = 0xC06000;
constexpr int32_t kClosingColour = 0x0000D0;
constexpr int32_t kSupportColour = 0x008000;  // the wales, struts, braces and posts
constexpr int32_t kOverlayLineColour = 0xA0A0A0;
constexpr int32_t kStartMarkColour = 0x0000E0;
constexpr int32_t kOverlayTextColour = 0x404040;

// How high the overlay's texts stand, and the start's ring (pixels).
constexpr double kCountPixels = 12, kNumberPixels = 10, kStartRingPixels = 5;

void addOverlayLine(GinStore& store, double x1, double y1, double x2, double y2, int32_t colour) {
    store.addLineRec(kGinOverlay, kKindLine, 0, 0, colour, kSolidLineType, x1, y1, x2, y2, 0.0);
}

void addOverlayText(GinStore& store, double x, double y, double h, const std::u16string& text) {
    store.addMoji_NB(kGinOverlay, 0, 0, kOverlayTextColour, x, y, 1, 0, h, h, 4, text);
}

// The pile numbers, when ticked, outside the wall as the result has them;
// the two-point run as the preview holds it, at the origin.
void drawNumbers(GinStore& store, const Plan& plan, const Outlines* outlines, const Choices& choices,
                 const View& view) {
    if (!choices.numbers || !plan.laid()) return;
    double minX = INFINITY, maxX = -INFINITY;
    for (const WallPiece& p : plan.layout.pieces) minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    const double span = std::max(maxX - minX, static_cast<double>(pileSections()[plan.section].widthMm));
    const double perPixel = view.unitsPerPixelFitting(span, 0);
    const double h = View::textHeightFor(kNumberPixels, perPixel);
    const double away = outlines ? outlines->depth + 12 * perPixel : 12 * perPixel;
    // In the plan's frame, as the picture holds the pieces.
    for (const PileNumber& n : pileNumbers(plan, choices.numberStep)) {
        const NumberPlace at = numberPlace(plan, plan.layout.pieces[n.piece], plan.origin);
        addOverlayText(store, at.x + at.nx * away, at.y + at.ny * away, h, n.text);
    }
}

}  // namespace

void drawOutlineGins(GinStore& store, const Outlines& outlines) {
    for (OutlineKind kind : {OutlineKind::Normal, OutlineKind::StartCorner, OutlineKind::EndCorner})
        for (bool mirrored : {false, true}) {
            const int gin = kGinOutlines + 2 * static_cast<int>(kind) + (mirrored ? 1 : 0);
            store.clearGin(gin);
            for (const WallSegment& s : outlines.outline(kind, mirrored)) store.addLine(gin, s.x1, s.y1, s.x2, s.y2);
        }
}

void drawPicture(GinStore& store, const Plan& plan, const Outlines* outlines, const Choices& choices, const View& view) {
    store.clearGin(kGinResult);
    if (outlines && plan.laid()) {
        // The pieces' lines as the drawing places them, straight into the gin
        // (every click lays the plan anew: a long wall's lines are not held
        // twice on the way); corner and closing piles in their own colours
        // (the two-point run's corners are piles with a corner's outline:
        // the host's colour).
        store.reserveLines(kGinResult, outlines->mostLinesPerPiece() * plan.layout.pieces.size());
        const int32_t colour = store.curCL;
        placePieces(plan, *outlines, [&](double x1, double y1, double x2, double y2, PieceKind kind) {
            const int32_t cl = kind == PieceKind::Corner    ? kCornerColour
                               : kind == PieceKind::Closing ? kClosingColour
                                                            : colour;
            store.addLineRec(kGinResult, kKindLine, store.curLG, store.curLY, cl, store.curLT, x1, y1, x2, y2, 0.0);
        });
        // The supports in the plan's frame, as the pieces are.
        for (const SupportMember& m : plan.supports.members)
            for (const WallSegment& s : m.lines)
                store.addLineRec(kGinResult, kKindLine, store.curLG, store.curLY, kSupportColour, store.curLT, s.x1,
                                 s.y1, s.x2, s.y2, 0.0);
    }
    drawOverlay(store, plan, outlines, choices, view);
}

void fitPicture(View& view, const Plan& plan) {
    // A wall leaves room round it for the counts beside its legs; with
    // nothing laid, the overlay shows what was selected.
    constexpr double kWallRoom = 0.9;
    const bool wall = plan.wall;
    view.fitGin(plan.laid() || !wall ? kGinResult : kGinOverlay, wall ? kWallRoom : 1.0);
}

void drawOverlay(GinStore& store, const Plan& plan, const Outlines* outlines, const Choices& choices, const View& view) {
    store.clearGin(kGinOverlay);
    if (!plan.wall) {
        drawNumbers(store, plan, outlines, choices, view);
        return;
    }
    // What was given, thin, so the user sees what a refusal speaks of.
    if (plan.refusal == Refusal::Input) {
        for (const WallSegment& sg : plan.given) addOverlayLine(store, sg.x1, sg.y1, sg.x2, sg.y2, kOverlayLineColour);
        return;
    }
    for (const WallPath& drawn : plan.drawn)
        for (const WallSegment& sg : pathOutline(drawn))
            addOverlayLine(store, sg.x1, sg.y1, sg.x2, sg.y2, kOverlayLineColour);
    const std::vector<WallLeg>& legs = plan.layout.legs;
    if (legs.empty()) return;
    // Sizes from the wall's extent as the view fits it.
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const WallLeg& l : legs)
        for (auto [x, y] : {std::pair{l.x1, l.y1}, std::pair{l.x2, l.y2}}) {
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    for (const WallPiece& p : plan.layout.pieces) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    const double perPixel = view.unitsPerPixelFitting(maxX - minX, maxY - minY);
    const double textHeight = kCountPixels * perPixel, h = View::textHeightFor(kCountPixels, perPixel);
    const double away = pileSections()[plan.section].widthMm * 0.5 + textHeight * 1.5;
    for (size_t k = 0; k < plan.drawn.size(); ++k) {
        const WallPath& drawn = plan.drawn[k];
        const WallPoint& start = drawn.vertices[0];
        store.addLineRec(kGinOverlay, kKindCircle, 0, 0, kStartMarkColour, kSolidLineType, start.x, start.y, start.x,
                         start.y, kStartRingPixels * perPixel);
        // Each leg's count beside its middle: inside a loop, where the fitted
        // view always has room, and left of an open path.
        const bool right = drawn.closed && !outsideIsRight(drawn.closed, counterClockwise(drawn));
        const double side = right ? -1 : 1;  // +1: to the left
        for (const WallLeg& l : labelLegs(plan, static_cast<int32_t>(k))) {
            const double dx = l.x2 - l.x1, dy = l.y2 - l.y1, len = distance2D(l.x1, l.y1, l.x2, l.y2);
            if (!(len > 0)) continue;
            const double nx = -dy / len * side, ny = dx / len * side;
            const double mx = (l.x1 + l.x2) / 2 + nx * away, my = (l.y1 + l.y2) / 2 + ny * away;
            addOverlayText(store, mx, my, h, asciiToU16(std::to_string(l.pieces)) + u"枚");
        }
    }
    drawNumbers(store, plan, outlines, choices, view);
}

}  // namespace ravo
