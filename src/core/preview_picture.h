// What the preview shows of a plan, in the preview's gins: the laid pieces
// in the result's gin (corner and closing piles in colours of their own),
// the section's outlines each in a gin of its own (for the dump), and an
// overlay the host never sees: under a wall its drawn line, its start and
// each leg's count, and the pile numbers where they are ticked, all sized
// some pixels high as the view fits the run.
#pragma once
#include "gin_store.h"
#include "outlines.h"
#include "plan.h"
#include "view.h"

namespace ravo {

inline constexpr int kGinOutlines = 1;  // 1 to 6: each outline, then its mirror
inline constexpr int kGinOverlay = kGinOutlines + 2 * static_cast<int>(kOutlineKinds);
static_assert(kGinOverlay < kGinCount);

void drawOutlineGins(GinStore& store, const Outlines& outlines);
// The result's gin and the overlay; `outlines` null before they loaded.
void drawPicture(GinStore& store, const Plan& plan, const Outlines* outlines, const Choices& choices, const View& view);
// The view fitted to the laid pieces, or, where none are, to what was given.
void fitPicture(View& view, const Plan& plan);
// The overlay alone (the numbers ticked or not).
void drawOverlay(GinStore& store, const Plan& plan, const Outlines* outlines, const Choices& choices, const View& view);

}  // namespace ravo
