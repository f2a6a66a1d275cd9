// The repaint: a gin drawn onto the canvas through the view, with the
// shortcuts that leave every pixel as the plain path sets it.
#include <algorithm>
#include <cmath>

#include "functions.h"
#include "line_raster.h"
#include "view.h"
#include "x87.h"

namespace ravo {

namespace {

// Beyond this a circle's box or a text's position is not handed to GDI.
constexpr int64_t kSafePixel = 1 << 20;

// Within this, GDI's own 32-bit clipping of a line stays exact; a line
// reaching further is drawn as its visible runs, computed exactly.
constexpr int64_t kGdiExactPixel = 8192;


bool far(int32_t v, int64_t limit) { return v > limit || -int64_t{v} > limit; }

}  // namespace

bool View::SeenLines::drawnBefore(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    constexpr int32_t kReach = 32767;
    for (int32_t v : {x1, y1, x2, y2})
        if (v > kReach || v < -kReach) return false;
    auto field = [](int32_t v) { return static_cast<uint64_t>(static_cast<uint16_t>(v + 32768)); };
    const uint64_t key = field(x1) | field(y1) << 16 | field(x2) << 32 | field(y2) << 48;
    const size_t slot = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 52);
    if (generations_[slot] == generation_ && keys_[slot] == key) return true;
    generations_[slot] = generation_;
    keys_[slot] = key;
    return false;
}

void View::clearImage() {
    if (target_) target_->clearPicture();
    seen_.forget();
}

void View::ensureSurface() {
    if (target_->hasSurface()) return;
    target_->newSurface();
    style_ = PenStyle::Solid;
    seen_.forget();
}

void View::styleFor(int32_t lineType) {
    switch (lineType) {
    case kSolidLineType: style_ = PenStyle::Solid; break;
    case 102: style_ = PenStyle::Dash; break;
    case 103: style_ = PenStyle::Dot; break;
    case 104: style_ = PenStyle::DashDot; break;
    case 105: style_ = PenStyle::DashDotDot; break;
    default: break;  // the style the last styled line left
    }
}

void View::applyPen(int32_t lineType, uint32_t colour, bool bCopy) {
    styleFor(lineType);
    if (style_ != lastPen_.style || colour != lastPen_.colour || bCopy != lastPen_.copy) {
        seen_.forget();
        lastPen_ = {style_, colour, bCopy};
    }
    target_->setPen(style_, colour, bCopy);
}

void View::drawLine(int x1, int y1, int x2, int y2, uint32_t colour, bool bCopy, int32_t lineType) {
    if (!target_) return;
    ensureSurface();
    applyPen(lineType, colour, bCopy);
    // A solid copy pen sets the same pixels however often and in whatever
    // order its lines come; styled pens and XOR take every line as it comes.
    if (fast_ && bCopy && style_ == PenStyle::Solid &&
        ((x1 == x2 && y1 == y2) || seen_.drawnBefore(x1, y1, x2, y2)))
        return;
    target_->line(x1, y1, x2, y2);
}

void View::drawRect(int x1, int y1, int x2, int y2, uint32_t colour, bool bCopy) {
    drawLine(x1, y1, x2, y1, colour, bCopy, 0);
    drawLine(x2, y1, x2, y2, colour, bCopy, 0);
    drawLine(x2, y2, x1, y2, colour, bCopy, 0);
    drawLine(x1, y2, x1, y1, colour, bCopy, 0);
}

void View::drawCircle(int x, int y, int r, uint32_t colour, bool bCopy) {
    if (!target_) return;
    ensureSurface();
    seen_.forget();  // a line drawn again after it may cover some of it
    target_->setPen(style_, colour, bCopy);
    const int64_t l = int64_t{x} - r, t = int64_t{y} - r, rr = int64_t{x} + r, b = int64_t{y} + r;
    // A box too large for GDI is not drawn; one wholly outside the image is
    // handed on, and GDI clips it.
    if (l < -kSafePixel || t < -kSafePixel || rr > kSafePixel || b > kSafePixel) return;
    target_->ellipse(static_cast<int>(l), static_cast<int>(t), static_cast<int>(rr), static_cast<int>(b));
}

void View::drawText(int x, int y, const std::u16string& text, uint32_t colour, int height, double angle,
                    int32_t anchor) {
    if (!target_ || height < 1) return;
    ensureSurface();  // a text not drawn still leaves the surface made, as a line does
    seen_.forget();   // its cells cover what is under them
    if (far(x, kSafePixel) || far(y, kSafePixel)) return;
    const int32_t e = roundInt(toDouble(static_cast<long double>(angle) * 10));
    target_->setFont(height, e);
    int tw = 0, th = 0;
    target_->textExtent(text, tw, th);
    double dx, dy;
    switch (anchor) {
    case 0: dx = 0; dy = th; break;
    case 1: dx = tw / 2.0; dy = th; break;
    case 2: dx = tw; dy = th; break;
    case 3: dx = 0; dy = th / 2.0; break;
    case 4: dx = tw / 2.0; dy = th / 2.0; break;
    case 5: dx = tw; dy = th / 2.0; break;
    case 6: dx = 0; dy = 0; break;
    case 7: dx = tw / 2.0; dy = 0; break;
    case 8: dx = tw; dy = 0; break;
    default: dx = tw; dy = th; break;
    }
    const long double t = static_cast<long double>(angle) / 180 * kPi15;
    long double c, s;
    x87::sinCos(t, s, c);
    const int X = x - (roundInt(toDouble(c * dx)) + roundInt(toDouble(s * dy)));
    const int Y = y + (roundInt(toDouble(s * dx)) - roundInt(toDouble(c * dy)));
    target_->textOut(X, Y, text, colour, v_.nBackColor);
}

void View::updateCullBox() {
    // The image's extent as the mapping sees it, whatever the window says,
    // widened by more than rounding to 5 decimals and to pixels can move a
    // point near it (the last term: doubles as large as the view's own).
    const double w = v_.nDevWidth * v_.dScale, h = v_.nDevHeight * v_.dScale;
    const double margin = 4 * std::fabs(v_.dScale) + 1e-5 +
                          (std::fabs(v_.dOrgX) + std::fabs(v_.dOrgY) + std::fabs(w) + std::fabs(h)) * 1e-15;
    cull_ = {v_.dOrgX - margin, v_.dOrgX + w + margin, v_.dOrgY - margin, v_.dOrgY + h + margin};
    map_ = v_.dScale != 0 ? fastmap::PixelMap(v_.dOrgX, v_.dOrgY, v_.dScale, v_.nDevHeight) : fastmap::PixelMap();
}

bool View::outsideView(double minX, double minY, double maxX, double maxY) const {
    return maxX < cull_.left || minX > cull_.right || maxY < cull_.bottom || minY > cull_.top;
}

void View::passOver(int32_t lineType) {
    ensureSurface();
    styleFor(lineType);
}

void View::drawWorldLine(uint32_t colour, int32_t lineType, double x1, double y1, double x2, double y2) {
    if (!target_) return;
    if (!inRepaint_) updateCullBox();
    if (v_.dScale != 0 && outsideView(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2))) {
        passOver(lineType);
        return;
    }
    int32_t p[4];
    if (!fast_ || !map_.line(x1, y1, x2, y2, p)) {
        const double a = round5(x1), b = round5(y1), c = round5(x2), d = round5(y2);
        if (!LTOD(a, b, p[0], p[1]) || !LTOD(c, d, p[2], p[3])) return;
    }
    drawPixelLine(colour, lineType, p);
}

void View::drawPixelLine(uint32_t colour, int32_t lineType, const int32_t p[4]) {
    const int32_t px1 = p[0], py1 = p[1], px2 = p[2], py2 = p[3];
    if (far(px1, kGdiExactPixel) || far(py1, kGdiExactPixel) || far(px2, kGdiExactPixel) || far(py2, kGdiExactPixel)) {
        if (!target_) return;
        styleFor(lineType);
        const PenStyle style = style_;
        // A styled line's dashes are computed along the whole line and drawn
        // solid: GDI would start its pattern afresh at every run.
        if (style == PenStyle::Solid) visibleRuns(px1, py1, px2, py2, v_.nDevWidth, v_.nDevHeight, runs_);
        else visibleDashes(px1, py1, px2, py2, v_.nDevWidth, v_.nDevHeight, target_->dashPattern(style), runs_);
        if (runs_.empty()) {
            passOver(lineType);
            return;
        }
        // Each run drawn from its first pixel to one past its last: GDI sets
        // exactly its pixels.
        const int32_t runType = style == PenStyle::Solid ? lineType : kSolidLineType;
        for (const PixelRun& r : runs_) {
            if (r.y1 == r.y2) drawLine(r.x1, r.y1, r.x2 + 1, r.y2, colour, true, runType);
            else drawLine(r.x1, r.y1, r.x2, r.y2 + 1, colour, true, runType);
        }
        style_ = style;  // the next unstyled line takes this line's style
        return;
    }
    drawLine(px1, py1, px2, py2, colour, true, lineType);
}

void View::drawWorldCircle(uint32_t colour, double x, double y, double r) {
    int32_t px, py;
    if (!LTOD(x, y, px, py)) return;
    drawCircle(px, py, roundInt(toDouble(r / static_cast<long double>(v_.dScale))), colour, true);
}

void View::drawWorldText(const std::u16string& text, uint32_t colour, int32_t anchor, double x, double y, double h,
                         double angle) {
    int32_t px, py;
    if (!LTOD(x, y, px, py)) return;
    const int height = roundInt(toDouble(static_cast<long double>(h) * kTextUnits / v_.dScale * kTextDots / kTextPoints));
    drawText(px, py, text, colour, height, angle, anchor);
}

void View::drawLineRecord(const recLine& r) {
    if (r.kind == kKindVoid || r.skip) return;
    const uint32_t colour = static_cast<uint32_t>(r.CL);
    if (r.kind == kKindCircle) drawWorldCircle(colour, r.X1, r.Y1, r.R);
    else if (r.kind == kKindLine) drawWorldLine(colour, r.LT, r.X1, r.Y1, r.X2, r.Y2);
}

void View::drawGinTexts(int nGin) {
    for (int i = 0; i <= store_.lastMojiIndex(nGin); ++i) {
        const recMoji& m = store_.mojiRec(nGin, i);
        const double angle = toDouble(x87::atan2(m.Y2, m.X2) * 180 / kPi15);
        drawWorldText(std::u16string(m.text), static_cast<uint32_t>(m.CL), m.nBase, m.X1, m.Y1, m.H, angle);
    }
}

void View::updateBlocks(int nGin) {
    const int last = store_.lastLineIndex(nGin);
    const uint64_t changes = store_.lineChangeCount(nGin);
    if (blocksOf_.nGin == nGin && blocksOf_.changes == changes && blocksOf_.last == last) return;
    const recLine* recs = store_.lineData(nGin);
    blocks_.clear();
    for (int first = 0; first <= last; first += kBlockRecords) {
        RecordBlock b{INFINITY, INFINITY, -INFINITY, -INFINITY, 0, false, false};
        for (int i = first; i <= last && i < first + kBlockRecords; ++i) {
            const recLine& r = recs[i];
            if (r.kind == kKindVoid || r.skip) continue;
            if (r.kind == kKindCircle) b.visitAlways = true;
            if (r.kind != kKindLine) continue;
            b.hasLines = true;
            if (r.LT >= 101 && r.LT <= 105) b.lastStyledType = r.LT;
            for (double x : {r.X1, r.X2}) {
                if (std::isnan(x)) b.visitAlways = true;
                b.minX = std::min(b.minX, x);
                b.maxX = std::max(b.maxX, x);
            }
            for (double y : {r.Y1, r.Y2}) {
                if (std::isnan(y)) b.visitAlways = true;
                b.minY = std::min(b.minY, y);
                b.maxY = std::max(b.maxY, y);
            }
        }
        blocks_.push_back(b);
    }
    blocksOf_ = {nGin, changes, last};
}

void View::redrawGin(int nGin) {
    if (!target_) return;
    ltodReported_ = false;
    updateCullBox();
    clearImage();
    const bool underlay = underlay_ >= 0 && underlay_ != nGin;
    if (underlay)
        for (int i = 0; i <= store_.lastLineIndex(underlay_); ++i) drawLineRecord(store_.lineRec(underlay_, i));
    const int last = store_.lastLineIndex(nGin);
    const recLine* recs = store_.lineData(nGin);
    inRepaint_ = true;  // the view does not change while the gin is drawn
    if (fast_ && v_.dScale != 0) {
        updateBlocks(nGin);
        for (size_t k = 0; k < blocks_.size(); ++k) {
            const RecordBlock& b = blocks_[k];
            const int first = static_cast<int>(k) * kBlockRecords, end = std::min(first + kBlockRecords, last + 1);
            if (!b.visitAlways && outsideView(b.minX, b.minY, b.maxX, b.maxY)) {
                // Every line of it culled: what those lines leave behind.
                if (b.hasLines) passOver(b.lastStyledType);
                continue;
            }
            for (int i = first; i < end; ++i) {
                const recLine& r = recs[i];
                int32_t p[4];
                if (r.kind != kKindLine || r.skip || !map_.line(r.X1, r.Y1, r.X2, r.Y2, p)) {
                    drawLineRecord(r);  // circles, and lines the extended path maps
                    continue;
                }
                // Most lines of a long run at a wide view end in one pixel:
                // they draw nothing and leave only their line type behind,
                // as do the lines beyond the image.
                if ((p[0] == p[2] && p[1] == p[3]) ||
                    outsideView(std::min(r.X1, r.X2), std::min(r.Y1, r.Y2), std::max(r.X1, r.X2), std::max(r.Y1, r.Y2)))
                    passOver(r.LT);
                else
                    drawPixelLine(static_cast<uint32_t>(r.CL), r.LT, p);
            }
        }
    } else {
        for (int i = 0; i <= last; ++i) drawLineRecord(recs[i]);
    }
    inRepaint_ = false;
    drawGinTexts(nGin);
    if (underlay) drawGinTexts(underlay_);
    target_->present();
}

}  // namespace ravo
