// What OK hands the host, as one value built once from the plan, the
// user's choices and the outlines: the wall's notice, every line of every
// piece in its place (each knowing what it belongs to), the pieces as curve
// objects where asked, the sheet's marks and the layer they go on. The
// result writer only formats it, and the count line counts what it left
// out. (The preview draws the same piece lines straight from placePieces.)
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host_input.h"
#include "number_text.h"
#include "outlines.h"
#include "plan.h"
#include "platform.h"
#include "annotations.h"
#include "quantities.h"

namespace ravo {

struct DrawingLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    PieceKind kind = PieceKind::Pile;  // what the line belongs to
};

// The pieces' lines in the plan's frame, in order, and where each piece's
// lines begin.
struct DrawnPieces {
    std::vector<DrawingLine> lines;
    std::vector<uint32_t> firstOf;  // by piece
};

struct Drawing {
    std::u16string notice;  // the host shows it; empty for none
    // In the plan's frame; the host's place is `origin` added to each.
    DrawnPieces pieces;
    WallPoint origin;
    bool grouped = false;  // each piece one curve object
    Annotations marks;     // in the host's place
    TextStyle style;       // the marks' text attributes
    int32_t marksLayer = -1;  // the layer the marks go on; -1: the write layer
    int32_t writeLayer = 0;
    int32_t leftOut = 0;  // labels, numbers and elevation marks that found no room
};

Drawing drawingOf(const Plan& plan, const HostInput& input, const Outlines& outlines, const Choices& choices);

// The words the count line adds for marks left out, empty for none.
std::u16string leftOutText(int32_t count);

// What the host reads at OK for a plan that laid something, in the result's
// encoding.
std::string resultBytes(const Drawing& drawing, const NumberFormat& fmt, const AnsiCodec& codec);

}  // namespace ravo
