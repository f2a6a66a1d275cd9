// What a sheet pile plan carries beside the wall: the pile length the user
// types, the quantities and masses, a label per leg and the quantity table,
// as the host's line and text records.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gaibu_reader.h"
#include "pile_sections.h"
#include "wall.h"

namespace ravo {

// The longest pile the tool takes (m).
inline constexpr double kLongestPile = 100.0;

enum class LengthState : uint8_t { Empty, Valid, Invalid };

struct PileLength {
    LengthState state = LengthState::Empty;
    double metres = 0;
};

// The pile length as typed: half- or full-width digits with at most one
// "." or "．", blanks around it; above 0 and at most kLongestPile.
// Anything else is Invalid, nothing (or blanks) Empty.
PileLength parsePileLength(std::u16string_view text);

// Between the words of a text written back: the ideographic space. The host
// shows it as a space; a reader that splits "ch" records at blanks (this
// tool's own among them) keeps the text whole.
inline constexpr const char16_t* kWordGap = u"\u3000";

// "SP-III": the section's grade as the labels, the table and the notice
// name it.
std::u16string gradeOf(const PileSection& section);

// Metres as the table shows them: one decimal at least, three at most
// ("10.0", "10.25").
std::u16string metresText(double metres);
// "48,000.0": thousands separated, one decimal.
std::u16string massText(double kg);

struct QuantityRow {
    std::u16string name;  // 部材名
    std::u16string grade;  // 規格
    int32_t count = 0;    // 数量 (枚)
    double unitMass = 0;  // kg/m
    double mass = 0;      // kg
};

struct QuantityTable {
    std::vector<QuantityRow> rows;  // 鋼矢板, the corner piles by angle, the closing piles by width
    int32_t count = 0;
    double mass = 0;
};

// The pieces counted and weighed at `lengthM`: every piece as a pile of the
// section, a closing pile pro rata to its width; the corner plates are not
// weighed. Rows of no piece are left out, except 鋼矢板.
QuantityTable quantitiesFor(const std::vector<WallPiece>& pieces, const PileSection& section, double lengthM);

// The text under the count line: "質量 48,000.0 kg（L=10.0 m）", or why
// there is none.
std::u16string massLine(const QuantityTable& table, const PileLength& length);

// The user's current text type, in drawing units: the header's type (its
// size from hcw/hch/hcd, paper mm, times the write layer group's scale).
struct TextStyle {
    int32_t type = -1;  // 1..10, 0 for a free size, -1 when the export named none
    double width = 0, height = 0, spacing = 0;  // drawing units
    double freeWidth = 0, freeHeight = 0, freeSpacing = 0;  // cn0's own values (paper mm)
    int32_t freeColour = 0;
};
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

// One label per leg ("SP-III　L=10.0m　25枚", ideographic spaces between
// the words), centred along it, `offset`
// outside the wall (outside a loop, left of an open run), never upside down.
void addLegLabels(Annotations& out, const std::vector<WallLeg>& legs, bool closed, bool counterClockwise,
                  double offset, const PileSection& section, const PileLength& length, const TextStyle& style);

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
