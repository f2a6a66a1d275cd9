// What the sheet handed to the site carries besides the wall: a number for
// every pile, the developed elevation (展開図) and the summary the host
// shows.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plan.h"
#include "annotations.h"
#include "quantities.h"

namespace ravo {

// A number written by a pile: the piece and its text ("No.5"; "B-5" where
// there are several walls, each counted from 1 after its letter).
struct PileNumber {
    size_t piece = 0;
    std::u16string text;
};

// Every step-th pile of each wall from its start, and its first and last.
std::vector<PileNumber> pileNumbers(const Plan& plan, int32_t step);

// Where a piece lies in the drawing: its start interlock, its direction as
// a unit vector, its width (the two-point run moved onto hp1).
struct PiecePlace {
    double x = 0, y = 0, ux = 1, uy = 0, width = 0;
};
PiecePlace piecePlace(const Plan& plan, const WallPiece& piece);

// Where a pile's number stands off from, for the result and the preview
// alike: the middle of the pile's axis (less `origin`, for a picture held
// there), and the unit normal out of the wall (outside a loop, left of
// anything else).
struct NumberPlace {
    double x = 0, y = 0, nx = 0, ny = 0;
};
NumberPlace numberPlace(const Plan& plan, const WallPiece& piece, WallPoint origin = {});

// The steel as boxes the annotations keep clear of: each piece its width
// along the axis and `depth` either side, a corner's plate its `plateReach`
// along the next leg.
void addSteel(SheetRoom& room, const Plan& plan, double depth, double plateReach);

// The numbers by their piles, from `offset` outside the wall (outside a
// loop, left of an open run), each standing across the wall over the middle
// of its pile and never upside down, so that a number takes no more of the
// wall's length than a text height. One that would meet a text or steel
// goes further out; where there is no room across, it lies along its pile;
// where there is none at all it is left out. Returns how many were.
int32_t addPileNumbers(Annotations& out, SheetRoom& room, const Plan& plan, const std::vector<PileNumber>& numbers,
                       double offset, const TextStyle& style);

// The head level as typed, in metres: half- or full-width digits, a sign
// ("+", "-", "−", "＋", "－") and one decimal point; none for anything else.
std::optional<double> parseLevel(std::u16string_view typed);
// "+0.50", "－9.50" (the minus sign of code page 932), two decimals.
std::u16string levelText(double metres);

// The longest row of an elevation (mm).
inline constexpr double kLongestElevationRow = 200000;

// Where a wall's elevation is cut: the end of each row, as an index into
// `widths` (the pieces as developed). One row where they add up to no more
// than kLongestElevationRow; else the fewest rows of at most that, as equal
// as the joints allow.
std::vector<size_t> elevationRowEnds(const std::vector<double>& widths);

// Whether the elevation marks a piece C: a corner pile, or the 起点 or 終点
// corner pile of an open wall.
bool marksCorner(const WallPiece& piece);

// The developed elevation of each wall below (left, top): the wall unrolled
// along its joint line, every piece its width (a corner pile with its
// plate's reach), from the head level down by the pile length, in the rows
// elevationRowEnds cuts. C marks a corner pile, 調 a closing pile; the pile
// numbers stand under their piles; each leg's count once, under its largest
// part. A mark or number with no room is left out; returns how many were.
int32_t addElevation(Annotations& out, const Plan& plan, double plateReach, const std::vector<PileNumber>& numbers,
                     double pileMetres, double headMetres, double left, double top, const TextStyle& style);

// "SP-III 80枚（コーナー4） 延長 32.800 m 質量 48.000 t" (without a valid
// pile length, no mass): what the host shows of a wall as its notice.
std::u16string summaryText(const Plan& plan, const QuantityTable& table, const PileLength& length);

}  // namespace ravo
