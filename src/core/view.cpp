// The view window: the drawing's units tied to the image's pixels, and
// the operations that move, zoom and fit it. (The repaint is view_repaint.cpp.)
#include "view.h"

#include <algorithm>
#include <cmath>

#include "functions.h"
#include "line_raster.h"
#include "x87.h"

namespace ravo {

namespace {


}  // namespace

void View::setTargetImage(Canvas& image) {
    target_ = &image;
    v_.nDevHeight = image.imageHeight();
    v_.nDevWidth = image.imageWidth();
}

void View::SetLogWindow(double cx, double cy, double w, double h) {
    if (v_.nDevWidth == 0 || v_.nDevHeight == 0) {
        messages_.showMessage(u"SetLogWindow Error");
        return;
    }
    const long double devW = v_.nDevWidth, devH = v_.nDevHeight;
    if (w == 0) w = toDouble(devW * h / devH);
    const double hh = toDouble(devH * w / devW);
    double lw, lh;
    if (hh >= h) {
        lw = w;
        lh = hh;
    } else {
        lw = toDouble(devW * h / devH);
        lh = h;
    }
    v_.dLogWidth = lw;
    v_.dLogHeight = lh;
    v_.dOrgX = toDouble(cx - static_cast<long double>(lw) / 2);
    v_.dOrgY = toDouble(cy - static_cast<long double>(lh) / 2);
    v_.dScale = toDouble(static_cast<long double>(lh) / devH);
}

bool View::LTOD(double x, double y, int32_t& px, int32_t& py) {
    if (v_.dScale == 0) {
        // Once per repaint, not once per element.
        if (!ltodReported_) {
            ltodReported_ = true;
            messages_.showMessage(u"LTOD ERROR");
        }
        return false;
    }
    px = roundInt(toDouble((static_cast<long double>(x) - v_.dOrgX) / v_.dScale));
    py = roundInt(toDouble(v_.nDevHeight - (static_cast<long double>(y) - v_.dOrgY) / v_.dScale));
    return true;
}

void View::DTOL(int32_t px, int32_t py, double& x, double& y) const {
    x = toDouble(static_cast<long double>(px) * v_.dScale + v_.dOrgX);
    y = toDouble(static_cast<long double>(v_.nDevHeight - static_cast<int64_t>(py)) * v_.dScale + v_.dOrgY);
}

void View::initView(Canvas& image) {
    v_.nRubberColor = 0xDEDEDE;
    setTargetImage(image);
    const int64_t w = v_.nDevWidth, h = v_.nDevHeight;
    SetLogWindow(toDouble(w / 2.0L), toDouble((h * 10) / 2.0L), toDouble((w * 20) * 1.1L), toDouble((h * 20) * 1.1L));
    v_.nBackColor = 0xFFFFFF;
}

void View::fitGin(int nGin, double dFactor) {
    const Extents e = ginExtents(nGin);
    if (!e.found) {
        clearImage();
        if (target_) target_->present();
        return;
    }
    const double dx = e.maxX - e.minX, dy = e.maxY - e.minY;
    if (dx == 0 && dy == 0) return;
    SetLogWindow(toDouble(e.minX + dx / 2.0L), toDouble(e.minY + dy / 2.0L),
                 toDouble(dx / static_cast<long double>(dFactor) * kFitMargin),
                 toDouble(dy / static_cast<long double>(dFactor) * kFitMargin));
    redrawGin(nGin);
}

double View::unitsPerPixelFitting(double w, double h) const {
    // Never none: a mark of no size would vanish.
    constexpr double kLeast = 1e-6;
    constexpr double margin = static_cast<double>(kFitMargin);
    static_assert(margin == 1.1);
    const double devW = v_.nDevWidth > 0 ? v_.nDevWidth : kImageWidth;
    const double devH = v_.nDevHeight > 0 ? v_.nDevHeight : kImageHeight;
    return std::max({w * margin / devW, h * margin / devH, kLeast});
}

void View::pan(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY) {
    v_.dOrgX = toDouble(v_.dOrgX + (static_cast<long double>(fromX) - toX) * v_.dScale);
    v_.dOrgY = toDouble(v_.dOrgY - (static_cast<long double>(fromY) - toY) * v_.dScale);
}

void View::centerView(int nGin, double x, double y) {
    v_.dOrgX = toDouble(x - v_.dLogWidth / 2.0L);
    v_.dOrgY = toDouble(y - v_.dLogHeight / 2.0L);
    redrawGin(nGin);
}

void View::zoomIn(int nGin) {
    SetLogWindow(toDouble(v_.dOrgX + v_.dLogWidth / 2.0L), toDouble(v_.dOrgY + v_.dLogHeight / 2.0L),
                 toDouble(v_.dLogWidth / 1.1L), toDouble(v_.dLogHeight / 1.1L));
    redrawGin(nGin);
}

void View::zoomOut(int nGin) {
    SetLogWindow(toDouble(v_.dOrgX + v_.dLogWidth / 2.0L), toDouble(v_.dOrgY + v_.dLogHeight / 2.0L),
                 toDouble(v_.dLogWidth * 1.1L), toDouble(v_.dLogHeight * 1.1L));
    redrawGin(nGin);
}

void View::zoomInAt(int nGin, double fx, double fy) {
    const double w = toDouble(v_.dLogWidth / 1.1L), h = toDouble(v_.dLogHeight / 1.1L);
    const double cx = toDouble(v_.dOrgX + fx * static_cast<long double>(v_.dLogWidth - static_cast<long double>(w)) + w / 2.0L);
    const double cy =
        toDouble(v_.dOrgY + (1 - static_cast<long double>(fy)) * (v_.dLogHeight - static_cast<long double>(h)) + h / 2.0L);
    SetLogWindow(cx, cy, w, h);
    redrawGin(nGin);
}

void View::zoomOutAt(int nGin, double fx, double fy) {
    const double w = toDouble(v_.dLogWidth * 1.1L), h = toDouble(v_.dLogHeight * 1.1L);
    const double cx = toDouble(v_.dOrgX + fx * static_cast<long double>(v_.dLogWidth - static_cast<long double>(w)) + w / 2.0L);
    const double cy =
        toDouble(v_.dOrgY + (1 - static_cast<long double>(fy)) * (v_.dLogHeight - static_cast<long double>(h)) + h / 2.0L);
    SetLogWindow(cx, cy, w, h);
    redrawGin(nGin);
}

void View::zoomWindow(double x1, double y1, double x2, double y2) {
    if (x1 > x2) swapValues(x1, x2);
    if (y1 > y2) swapValues(y1, y2);
    SetLogWindow(toDouble((static_cast<long double>(x1) + x2) / 2), toDouble((static_cast<long double>(y1) + y2) / 2),
                 toDouble(static_cast<long double>(x2) - x1), toDouble(static_cast<long double>(y2) - y1));
    redrawGin(kGinResult);
}

void View::FormResize() {
    if (!target_) return;  // before the first show
    const double h0 = v_.dLogHeight;
    setTargetImage(*target_);
    const double w = toDouble(static_cast<long double>(v_.nDevWidth) * v_.dScale);
    const double h = toDouble(static_cast<long double>(v_.nDevHeight) * v_.dScale);
    SetLogWindow(toDouble(v_.dOrgX + w / 2.0L), toDouble(v_.dOrgY - (static_cast<long double>(h) - h0) + h / 2.0L), w, h);
    redrawGin(kGinResult);
}

Extents View::ginExtents(int nGin) const {
    const uint64_t changes = store_.lineChangeCount(nGin);
    const int lastLine = store_.lastLineIndex(nGin), lastMoji = store_.lastMojiIndex(nGin);
    if (extentsOf_.nGin == nGin && extentsOf_.changes == changes && extentsOf_.lastLine == lastLine &&
        extentsOf_.lastMoji == lastMoji)
        return extentsOf_.extents;
    Extents e{false, 1.7e+308, 1.7e+308, -1.7e+308, -1.7e+308};
    auto widen = [&e](double x, double y) {
        bool moved = false;
        if (x < e.minX) { e.minX = x; moved = true; }
        if (y < e.minY) { e.minY = y; moved = true; }
        if (x > e.maxX) { e.maxX = x; moved = true; }
        if (y > e.maxY) { e.maxY = y; moved = true; }
        return moved;
    };
    const int last = store_.lastLineIndex(nGin);
    for (int i = 0; i <= last; ++i) {
        const recLine& r = store_.lineRec(nGin, i);
        if (r.kind == kKindEmpty) break;
        if (widen(r.X1, r.Y1)) e.found = true;
        widen(r.X2, r.Y2);
    }
    for (int i = 0; i <= store_.lastMojiIndex(nGin); ++i) widen(store_.mojiRec(nGin, i).X1, store_.mojiRec(nGin, i).Y1);
    extentsOf_ = {nGin, changes, lastLine, lastMoji, e};
    return e;
}

}  // namespace ravo
