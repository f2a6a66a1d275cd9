// A section's pile outlines as loaded from its files beside the program:
// the ordinary pile, the start and end corner piles, each also mirrored
// across the axis, and what the corner plate adds to the pile.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "number_text.h"
#include "pile_sections.h"
#include "platform.h"
#include "wall.h"

namespace ravo {

// Appends one segment per line of the outline file. Raises IoError and
// ConvertError; the segments before a failing line stay.
void loadPileShape(std::vector<WallSegment>& out, const std::u16string& path, const FileSystem& fs,
                   const NumberFormat& fmt, const AnsiCodec& codec);

inline constexpr size_t kOutlineKinds = 3;  // OutlineKind: Normal, StartCorner, EndCorner

struct Outlines {
    size_t section = kDefaultSection;  // index into pileSections()
    // [OutlineKind][mirrored]: in the pile's frame, x along the axis from
    // the start interlock, y across it.
    std::array<std::array<std::vector<WallSegment>, 2>, kOutlineKinds> lines;
    std::vector<WallSegment> plate;  // what the end corner draws beyond the plain pile
    double reach = 0;  // how far the plate reaches from the axis
    double depth = 0;  // how far the plain pile reaches from the axis, either side
    double leftReach = 0, rightReach = 0;  // how far it reaches to the left (+y) and to the right, unmirrored

    // How far the wall's face on that side of the joint line lies from it.
    double faceReach(bool left, int32_t orientation) const;

    const PileSection& pileSection() const { return pileSections()[section]; }
    const std::vector<WallSegment>& outline(OutlineKind kind, bool mirrored) const {
        return lines[static_cast<size_t>(kind)][mirrored ? 1 : 0];
    }
    // The start joint edge (on x = 0) of the plain pile, as its y ranges:
    // piles that all face one way draw only that edge of each joint.
    std::vector<std::pair<double, double>> startJoint(bool mirrored) const;
    // The most lines one piece draws: its largest outline, the plate and the
    // closing joint edge (for reserving a run's records in one step).
    size_t mostLinesPerPiece() const;
    // The sharpest corner the outlines take (interior, degrees): worked out
    // when a wall first needs it, not for every run.
    double leastCornerAngle() const;

private:
    mutable std::optional<double> leastAngle_;
};

// The section's outline files, found beside the program. Raises IoError and
// ConvertError; nothing is half loaded.
Outlines loadOutlines(size_t section, const FileSystem& fs, const NumberFormat& fmt, const AnsiCodec& codec);

}  // namespace ravo
