// The sheet's marks as the host takes them back: the user's text style,
// text records and ruling lines, the boxes texts fill and the room left for
// them, the labels and the quantity table placed, and their records.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "number_text.h"
#include "pile_sections.h"
#include "platform.h"
#include "quantities.h"
#include "wall.h"

namespace ravo {

struct GaibuHeader;

// The user's current text type, in drawing units: the header's type (its
// size from hcw/hch/hcd, paper mm, times the write layer group's scale).
struct TextStyle {
    int32_t type = -1;  // 1..10, 0 for a free size, -1 when the export named none
    double width = 0, height = 0, spacing = 0;  // drawing units
    double freeWidth = 0, freeHeight = 0, freeSpacing = 0;  // cn0's own values (paper mm)
    int32_t freeColour = 0;

    // Sizes a drawing can hold: finite and no larger than kLargestText. A
    // header whose sizes and scale overflow gets no texts at all.
    bool fits() const;
};
// Drawing units (mm): a text larger than 1,000 km is a damaged header.
inline constexpr double kLargestText = 1e9;
TextStyle currentTextStyle(const GaibuHeader& header);

// A text record: the start of its baseline and the vector along it to its
// far end.
struct HostText {
    double x = 0, y = 0, dx = 0, dy = 0;
    std::u16string text;
};

struct Annotations {
    std::vector<WallSegment> lines;
    std::vector<HostText> texts;
};

// The baseline length of `text` in the style: character width × characters
// + spacing × (characters − 1), a half-width character counting half.
double textLength(std::u16string_view text, const TextStyle& style);

// Whether a baseline along (bx, by) reads the right way up: rightwards, or
// straight up.
bool readsUpright(double bx, double by);
// (bx, by) or its reverse, whichever reads the right way up.
inline std::pair<double, double> uprightBaseline(double bx, double by) {
    return readsUpright(bx, by) ? std::pair{bx, by} : std::pair{-bx, -by};
}

// Which side of a wall is its outside, looking along it: the right of a
// counter-clockwise loop, the left of anything else.
inline bool outsideIsRight(bool closed, bool counterClockwise) { return closed && counterClockwise; }

// A rectangle on the sheet: from (x, y) along the unit (bx, by) for
// `length`, and along the unit (ux, uy) for `height`. A text fills the one
// from its baseline's start, its up a quarter turn left of its baseline.
struct TextBox {
    double x = 0, y = 0, bx = 1, by = 0, length = 0, ux = 0, uy = 1, height = 0;
};
// The box `length` along (bx, by) and `height` across it, centred on (cx, cy).
TextBox centredBox(double cx, double cy, double bx, double by, double length, double height);
// Whether two boxes share more than their edges.
bool overlap(const TextBox& a, const TextBox& b);
// The text record that fills the box.
HostText textIn(const TextBox& box, std::u16string text);

// Boxes taken, found again through a grid of `cell`-sized squares: a sheet
// holds thousands of numbers and pieces.
class BoxSet {
public:
    explicit BoxSet(double cell);
    void add(const TextBox& box);
    bool overlaps(const TextBox& box) const;

private:
    bool cells(const TextBox& box, int64_t& x0, int64_t& y0, int64_t& x1, int64_t& y1) const;
    double cell_;
    std::vector<TextBox> boxes_;
    std::vector<size_t> everywhere_;  // boxes too large or too far out for the grid
    std::unordered_map<uint64_t, std::vector<size_t>> grid_;
};

// Where annotations may still go: clear of the steel and of the texts set
// so far, with a gap of an eighth of the text height between texts.
// `pieceWidth`: what the steel's boxes are along the wall, where there is
// steel.
struct SheetRoom {
    explicit SheetRoom(double textHeight, double pieceWidth = 0);
    double gap;
    BoxSet steel, texts;

    // Free for a text of this box.
    bool fits(const TextBox& box) const;
    // Free of steel: the way out from the wall to a text moved outward, so
    // that none is set across another stretch of the wall.
    bool clearOfSteel(const TextBox& way) const { return !steel.overlaps(way); }
    // The text set in the box: its record, and the box taken.
    void set(Annotations& out, const TextBox& box, std::u16string text);
};

// One label per leg ("SP-III　L=10.0m　25枚", ideographic spaces between
// the words), centred along it, `offset` outside the wall (outside a loop,
// left of an open run), never upside down. Where another text or steel is
// in the way it slides along its leg (its middle staying by the leg), then
// outward; a label with no room anywhere is left out. Returns how many were.
int32_t addLegLabels(Annotations& out, SheetRoom& room, const std::vector<WallLeg>& legs, bool closed,
                     bool counterClockwise, double offset, const PileSection& section, const PileLength& length,
                     const TextStyle& style);

// The table's cells as printed, its heading first: with the supports' rows
// a unit column after 数量; masses with their thousands separated when
// `grouped`.
std::vector<std::vector<std::u16string>> quantityCells(const QuantityTable& table, const PileLength& length,
                                                        bool grouped);
// The table as the estimator's spreadsheet takes it from the clipboard:
// tab-separated cells, CR LF rows, numbers without separators.
std::u16string quantityTabText(const QuantityTable& table, const PileLength& length);
// The quantity table with its ruling, its top left two text heights right
// of (right, top).
void addQuantityTable(Annotations& out, const QuantityTable& table, const PileLength& length, double right,
                      double top, const TextStyle& style);

// The records the result ends with: the ruling as line records, then, when
// there are texts, the user's current text type once ("cnN", or "cn0 …" for
// a free size) and a "ch x y dx dy "text" record each, numbers in the
// result's format.
std::string formatAnnotations(const Annotations& a, const TextStyle& style, const NumberFormat& fmt,
                              const AnsiCodec& codec);

}  // namespace ravo
