#include "transforms.h"

#include "functions.h"

namespace ravo {

namespace {
// Sums and products are formed in extended precision and rounded to a double
// where they are stored: a small coordinate plus a large offset can round
// differently than the same sum done in double.
double addX(double a, double b) { return static_cast<double>(static_cast<long double>(a) + b); }
double mulX(double a, double b) { return static_cast<double>(static_cast<long double>(a) * b); }
}  // namespace

void rotateGin(GinStore& store, int nGin, double angleDegrees) {
    // rotatePoint's cosine and sine depend on the angle alone: take them once.
    const Rotation rot(angleDegrees);
    const int last = store.lastLineIndex(nGin);
    for (int i = 0; i <= last; ++i) {
        LineData d = store.getLine(nGin, i);
        if (d.kind != kKindLine) continue;
        double x1, y1, x2, y2;
        rot.apply(d.X1, d.Y1, x1, y1);
        rot.apply(d.X2, d.Y2, x2, y2);
        store.setLinePos(nGin, i, x1, y1, x2, y2, d.R);
    }
}

void scaleGin(GinStore& store, int nGin, double sx, double sy) {
    const int last = store.lastLineIndex(nGin);
    for (int i = 0; i <= last; ++i) {
        LineData d = store.getLine(nGin, i);
        store.setLinePos(nGin, i, mulX(d.X1, sx), mulX(d.Y1, sy), mulX(d.X2, sx), mulX(d.Y2, sy), d.R);
    }
}

void moveGin(GinStore& store, int nGin, double dx, double dy) {
    const int last = store.lastLineIndex(nGin);
    for (int i = 0; i <= last; ++i) {
        LineData d = store.getLine(nGin, i);
        store.setLinePos(nGin, i, addX(d.X1, dx), addX(d.Y1, dy), addX(d.X2, dx), addX(d.Y2, dy), d.R);
    }
}

void copyGinOffset(GinStore& store, int src, int dst, double dx, double dy) {
    // The count is taken once, so a gin copied onto itself gains exactly one
    // copy of what it held.
    const int count = store.lastLineIndex(src) + 1;
    store.reserveLines(dst, static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        LineData d = store.getLine(src, i);
        if (d.kind != kKindLine) continue;
        // A failed append goes on with the next record.
        store.addLine(dst, addX(d.X1, dx), addX(d.Y1, dy), addX(d.X2, dx), addX(d.Y2, dy));
    }
}

}  // namespace ravo
