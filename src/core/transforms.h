// Whole-gin transforms of the line records.
#pragma once
#include "gin_store.h"

namespace ravo {

void rotateGin(GinStore& store, int nGin, double angleDegrees);
void scaleGin(GinStore& store, int nGin, double sx, double sy);
void moveGin(GinStore& store, int nGin, double dx, double dy);
void copyGinOffset(GinStore& store, int src, int dst, double dx, double dy);

}  // namespace ravo
