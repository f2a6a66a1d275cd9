// What a sheet pile plan counts: the pile length the user types, the
// pieces by kind with their masses, and the words for them. (Where the
// labels and the table go, and how they are written, is annotations.h.)
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A number as typed into a box: half- or full-width digits with at most one
// "." or "．", blanks about it; none for anything else, or for nothing.
std::optional<double> typedDecimal(std::u16string_view text);

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
// "25,000": a whole number with its thousands separated.
std::u16string withGroups(long long whole);
// A mass as the table prints it: to 0.1 kg.
double tenthRounded(double v);
// "48,000.0": thousands separated, one decimal.
std::u16string massText(double kg);

struct QuantityRow {
    std::u16string name;  // 部材名
    std::u16string grade;  // 規格
    int32_t count = 0;    // 数量 (枚)
    double unitMass = 0;  // kg/m
    double mass = 0;      // kg
    double lengthM = 0;   // 長さ (m) its pieces are counted at; 0 where none was typed
    const char16_t* unit = u"枚";  // what 数量 counts
};

struct QuantityTable {
    std::vector<QuantityRow> rows;  // 鋼矢板, the corner piles by angle, the closing piles by width
    // Where there are several walls, each wall's subtotal: its letter as
    // the name, its count and mass (no grade, no unit mass).
    std::vector<QuantityRow> walls;
    int32_t count = 0;
    double mass = 0;
    // The supports' rows after the piles' and their mass (支保工計), which
    // is none (`supportsWeighed` false) where a row has no length.
    std::vector<QuantityRow> supports;
    double supportsMass = 0;
    bool supportsWeighed = true;
};

// "A", "B" … "Z", "AA": a wall's letter, as its pile numbers and its
// subtotal name it.
std::u16string wallLetter(int32_t wall);

// The pieces counted and weighed at `lengthM`: every piece as a pile of the
// section, a closing pile pro rata to its width; the corner plates are not
// weighed. Rows of no piece are left out, except 鋼矢板.
QuantityTable quantitiesFor(const std::vector<WallPiece>& pieces, const PileSection& section, double lengthM);

// The text under the count line: "質量 48,000.0 kg（L=10.0 m）", or why
// there is none.
std::u16string massLine(const QuantityTable& table, const PileLength& length);

}  // namespace ravo
