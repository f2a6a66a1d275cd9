// The pixels of a GDI line, computed exactly, for lines that reach far
// outside the image.
//
// GDI steps a line from its start to its end with Bresenham's rule, the
// start pixel set and the end pixel left out; where the ideal line passes
// exactly halfway between two pixels, octants 3, 5, 6 and 8 (numbered
// clockwise from +x, with y pointing down) take the other one. GDI's own
// clipping works in 32-bit arithmetic, which overflows once a line's end lies
// some ten thousand pixels off the image. So a far line is not handed to GDI
// whole: its visible pixels are computed here, in 64-bit integers, and drawn
// as the straight runs they form, which GDI draws exactly.
#pragma once
#include <cstdint>
#include <vector>

#include "canvas.h"

namespace ravo {

// A run of pixels along the line's major axis, both ends inclusive:
// (x1, y1) to (x2, y2) with y1 == y2 (x-major) or x1 == x2 (y-major), and
// x1 <= x2, y1 <= y2.
struct PixelRun {
    int32_t x1, y1, x2, y2;
};

// Fills `runs` with the pixels inside [0, width) x [0, height) of the line
// from (x1, y1) to (x2, y2), in order from the start.
void visibleRuns(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width, int32_t height,
                 std::vector<PixelRun>& runs);

// The same line drawn with a styled pen: the visible pixels the pattern inks,
// counted from the line's own start, as runs for a solid pen. (Handed to GDI
// run by run with the styled pen, the pattern would restart at every run.)
void visibleDashes(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width, int32_t height,
                   const DashPattern& pattern, std::vector<PixelRun>& runs);

}  // namespace ravo
