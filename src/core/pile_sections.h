// The sheet pile sections the tool lays: their sizes, their outline files and
// the count line the window shows.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ravo {

enum class PileFamily {
    U,    // alternate piles are mirrored across the axis
    Hat,  // every pile faces the same way
};

struct PileSection {
    const char16_t* name;     // the folder under data\ and the remembered value
    const char16_t* caption;  // as listed in the window
    int32_t widthMm;          // the effective width, which is the pitch
    PileFamily family;
    double massKgPerM;        // one pile's mass per metre of its length
    double swingDeg;          // how far one interlock lets the next pile turn
    int32_t leastClosingMm;   // the narrowest closing pile (調整矢板) cut from it

    bool alternates() const { return family == PileFamily::U; }
};

std::span<const PileSection> pileSections();

// Type III: the section the tool has always laid, its files straight in data\.
inline constexpr size_t kDefaultSection = 1;

// The index of the section of that name, matched without regard to case, or
// kDefaultSection for any other text.
size_t findSection(std::u16string_view name);

enum class OutlineKind { Normal, StartCorner, EndCorner };

// "data\pile_n.dat" for the default section, "data\IIw\pile_n.dat" and so on
// for the others; relative to the program's folder.
std::u16string outlineFile(const PileSection& section, OutlineKind kind);

// The longest run the tool lays: 25,000 piles, 10 km at the 400 pitch.
// Beyond it the records would crowd the 32-bit address space; such a run
// is refused before anything is allocated.
inline constexpr int32_t kMaxPileCount = 25000;

// How far a length may miss a whole number of widths and still count as it
// (mm): far above the rounding of decimal coordinates, far below a drafter's
// least unit.
inline constexpr double kWholePileTolerance = 0.001;

// Number of piles for a run of `length`: k where the length is k widths
// within kWholePileTolerance (k >= 1), else length / pitch rounded up.
// Returns false (count untouched) when it is not finite or above the limit.
bool pileCountFor(double length, double pitch, int32_t& count);

std::u16string pileCountMessage();
// The same for walls along the user's lines: the advice is for the wall lines.
std::u16string wallPileCountMessage();

// Whole millimetres as metres with three decimals, exact: "32.800".
std::u16string metresFromMm(long long mm);
// "延長 32.800 m": the length a wall runs, as the count line and the notice
// give it.
std::u16string wallLengthText(long long mm);

// "2枚  延長 0.800 m": the count and the wall it makes, the laid length;
// "0枚" for no run. Where the indicated length, to the millimetre, differs
// from the laid one it follows: "7枚  延長 2.800 m（指示 2.401 m）".
std::u16string pileCountText(int32_t count, int32_t widthMm, double indicatedMm);

}  // namespace ravo
