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
#include "quantities.h"

namespace ravo {

// The steps pile numbers may take: every pile, every fifth, every tenth.
inline constexpr int32_t kNumberSteps[] = {1, 5, 10};

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

// The numbers beside their piles, `offset` outside the wall (outside a loop,
// left of an open run), along each pile and never upside down.
void addPileNumbers(Annotations& out, const Plan& plan, const std::vector<PileNumber>& numbers, double offset,
                    const TextStyle& style);

// The head level as typed, in metres: half- or full-width digits, a sign
// ("+", "-", "−", "＋", "－") and one decimal point; none for anything else.
std::optional<double> parseLevel(std::u16string_view typed);
// "+0.50", "－9.50" (the minus sign of code page 932), two decimals.
std::u16string levelText(double metres);

// The developed elevation of each wall below (left, top): the wall unrolled
// along its joint line, every piece its width (a corner pile with its
// plate's reach), from the head level down by the pile length; in rows of
// at most kElevationRow where a wall is longer than kLongestElevationRow.
inline constexpr double kLongestElevationRow = 200000;  // mm
inline constexpr double kElevationRow = 100000;         // mm
void addElevation(Annotations& out, const Plan& plan, double plateReach, const std::vector<PileNumber>& numbers,
                  double pileMetres, double headMetres, double left, double top, const TextStyle& style);

// "SP-III 80枚（コーナー4） 延長 32.800 m 質量 48.000 t" (without a valid
// pile length, no mass): what the host shows of a wall as its notice.
std::u16string summaryText(const Plan& plan, const QuantityTable& table, const PileLength& length);

}  // namespace ravo
