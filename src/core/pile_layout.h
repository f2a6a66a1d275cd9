// Pile outline files and the layout of the run between hp1 and hp2.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gaibu_reader.h"
#include "gin_store.h"
#include "number_text.h"
#include "pile_sections.h"
#include "platform.h"
#include "wall.h"

namespace ravo {

struct GinNumbers {
    int nGinResult = kGinResult;
    int nGinNormal = 1;
    int nGinNormalMirror = 2;
    int nGinStart = 3;
    int nGinStartMirror = 4;
    int nGinEnd = 5;
    int nGinEndMirror = 6;
    int nGinOverlay = 7;  // what the preview shows under a wall and never hands back
};

// The longest run the tool lays: 25,000 piles, 10 km at the 400 pitch.
// Beyond it the records would crowd the 32-bit address space; such a run
// is refused before anything is allocated.
inline constexpr int32_t kMaxPileCount = 25000;

struct LayoutState {
    size_t nSection = kDefaultSection;  // index into pileSections()
    double dPitch = 400.0;              // the section's effective width
    int32_t nPileCount = 0;
    double dLength = 0;  // the indicated run, hp1 to hp2
    double dAngle = 0;
    int32_t nReverse = 0;
    bool bStartCorner = false;
    bool bEndCorner = false;
};

// Appends one line record per segment line of the file. Raises IoError and
// ConvertError; the segments before a failing line stay.
void loadPileShape(GinStore& store, int nGin, const std::u16string& path, const FileSystem& fs,
                   const NumberFormat& fmt, const AnsiCodec& codec);

// How far a length may miss a whole number of widths and still count as it
// (mm): far above the rounding of decimal coordinates, far below a drafter's
// least unit.
inline constexpr double kWholePileTolerance = 0.001;

// Number of piles for a run of `length`: k where the length is k widths
// within kWholePileTolerance (k >= 1), else length / pitch rounded up.
// Returns false (count untouched) when it is not finite or above the limit.
bool pileCountFor(double length, double pitch, int32_t& count);

class PileLayout {
public:
    PileLayout(LayoutState& state, const GinNumbers& gins, GinStore& store, const GaibuHeader& header,
               const FileSystem& fs, const NumberFormat& fmt, const AnsiCodec& codec, MessageSink& messages)
        : state_(state), gins_(gins), store_(store), header_(header), fs_(fs), fmt_(fmt), codec_(codec),
          messages_(messages) {}

    // Takes the section's pitch; preparePiles then loads its outlines.
    void setSection(size_t index);
    const PileSection& section() const { return pileSections()[state_.nSection]; }

    // Counts the piles and loads the outlines. When the outlines fail to
    // load nothing is laid: the count is 0 and the failure is raised.
    void preparePiles();
    double indicatedLength() const { return state_.dLength; }
    // Lays the run at the origin. U piles alternate from `orientation`; hat
    // piles all take it.
    void layoutPiles(int32_t orientation);
    void loadOutlines();

    // For a wall along a path: empties the result and the outline gins and
    // loads the outlines (as preparePiles, without the two-point count).
    void prepareOutlines();
    // How far the corner plate reaches from the axis, read off the end
    // corner outline (what it has beyond the plain pile).
    double cornerReach() const;
    // How far the plain pile's outline reaches from the axis, either side.
    double outlineDepth() const;
    // The sharpest corner the section's outlines take (interior, degrees).
    double leastCornerAngle();
    // Whether the section's outlines loaded whole.
    bool outlinesReady() const { return outlinesReady_; }
    // Fills the result gin with the wall's pieces, each outline turned to
    // its leg and put in its place; corner plates turned to the next leg,
    // closing piles cut to their width.
    void layWallPieces(const WallLayout& wall);

private:
    // The outline's start joint edge (on x = 0) as its y ranges.
    std::vector<std::pair<double, double>> startJoint(int nGinOutline) const;
    void emitPiece(const WallPiece& piece, bool lastOfLeg);

    struct PlateSegment {
        double x1, y1, x2, y2;
    };
    std::vector<PlateSegment> plate_;  // the end corner's plate, in the pile's frame
    bool outlinesReady_ = false;
    std::optional<double> leastAngle_;  // once worked out for the outlines loaded
    LayoutState& state_;
    const GinNumbers& gins_;
    GinStore& store_;
    const GaibuHeader& header_;
    const FileSystem& fs_;
    const NumberFormat& fmt_;
    const AnsiCodec& codec_;
    MessageSink& messages_;
};

std::u16string pileCountMessage();

}  // namespace ravo
