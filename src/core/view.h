// The view window: the drawing's coordinates (units, y up) tied to the
// image's pixels (y down), the conversions and the view operations.
#pragma once
#include <cstdint>
#include <vector>

#include "canvas.h"
#include "fast_map.h"
#include "gin_store.h"
#include "line_raster.h"
#include "platform.h"

namespace ravo {

// The preview image's size at the window's design size (pixels): what a
// view not yet on the screen measures by.
inline constexpr int32_t kImageWidth = 289, kImageHeight = 229;

// The room a fitted view leaves round what it fits: this much wider and
// higher than the box.
inline constexpr long double kFitMargin = 1.1L;
// A text record's height h shows h · kTextUnits / (units a pixel) ·
// kTextDots / kTextPoints pixels high.
inline constexpr double kTextUnits = 50, kTextDots = 96, kTextPoints = 72;

struct ViewState {
    int32_t nDevWidth = 0;
    int32_t nDevHeight = 0;
    double dLogWidth = 0;
    double dLogHeight = 0;
    double dOrgX = 0;
    double dOrgY = 0;
    double dScale = 0;
    uint32_t nBackColor = 0;
    uint32_t nRubberColor = 0;
};

struct Extents {
    bool found;
    double minX, minY, maxX, maxY;
};

class View {
public:
    View(const GinStore& store, MessageSink& messages) : store_(store), messages_(messages) {}

    const ViewState& state() const { return v_; }
    Canvas* target() const { return target_; }

    void setTargetImage(Canvas& image);
    void SetLogWindow(double cx, double cy, double w, double h);
    // False when the scale is 0 ("LTOD ERROR" is shown once per repaint).
    bool LTOD(double x, double y, int32_t& px, int32_t& py);
    void DTOL(int32_t px, int32_t py, double& x, double& y) const;

    void initView(Canvas& image);
    void fitGin(int nGin, double dFactor);
    // How many drawing units a pixel shows when a w × h box is fitted to
    // the image (on the screen, or at its design size before), its margin
    // included: what marks sized some pixels high go by.
    double unitsPerPixelFitting(double w, double h) const;
    // The height of a text record that shows `pixels` high at that many
    // units a pixel: the repaint's text size worked back.
    static double textHeightFor(double pixels, double unitsPerPixel) {
        return pixels * unitsPerPixel * kTextPoints / kTextDots / kTextUnits;
    }
    void centerView(int nGin, double x, double y);
    void zoomIn(int nGin);
    void zoomOut(int nGin);
    void zoomInAt(int nGin, double fx, double fy);
    void zoomOutAt(int nGin, double fx, double fy);
    void zoomWindow(double x1, double y1, double x2, double y2);
    // The window moved so that what showed at pixel (fromX, fromY) shows at
    // (toX, toY). Nothing is drawn.
    void pan(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);
    void FormResize();

    // A gin drawn with every repaint: its lines under the gin drawn, its
    // texts over it (-1: none).
    void setUnderlay(int nGin) { underlay_ = nGin; }

    // Drawing (the gin-level operations and the primitives).
    void redrawGin(int nGin);
    void clearImage();
    Extents ginExtents(int nGin) const;
    void drawRect(int x1, int y1, int x2, int y2, uint32_t colour, bool bCopy);
    void drawLine(int x1, int y1, int x2, int y2, uint32_t colour, bool bCopy, int32_t lineType);
    void drawCircle(int x, int y, int r, uint32_t colour, bool bCopy);
    void drawText(int x, int y, const std::u16string& text, uint32_t colour, int height, double angle, int32_t anchor);
    void drawWorldLine(uint32_t colour, int32_t lineType, double x1, double y1, double x2, double y2);
    void drawWorldCircle(uint32_t colour, double x, double y, double r);
    void drawWorldText(const std::u16string& text, uint32_t colour, int32_t anchor, double x, double y, double h,
                       double angle);

    // The repaint's shortcuts: the double mapping, and for a solid copy pen
    // no line of no length and no line twice in a row of lines. Each leaves
    // every pixel as it is; off, the plain path draws (for comparisons).
    void setFastPaths(bool on) { fast_ = on; }

private:
    // Lines already drawn with the present solid copy pen since anything else
    // was drawn: a direct-mapped table, so a line it has forgotten is drawn
    // again, which changes no pixel.
    class SeenLines {
    public:
        bool drawnBefore(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
        void forget() { ++generation_; }

    private:
        static constexpr size_t kSlots = 4096;
        uint64_t keys_[kSlots] = {};
        uint32_t generations_[kSlots] = {};
        uint32_t generation_ = 1;
    };

    void ensureSurface();
    void styleFor(int32_t lineType);
    void applyPen(int32_t lineType, uint32_t colour, bool bCopy);
    void drawLineRecord(const recLine& r);
    // What a line not drawn leaves behind: the surface made, its line type.
    void passOver(int32_t lineType);
    // A line mapped to pixels (far ends as their visible runs).
    void drawPixelLine(uint32_t colour, int32_t lineType, const int32_t p[4]);
    // Brings the boxes of the gin's records up to date.
    void updateBlocks(int nGin);
    void drawGinTexts(int nGin);
    // Whether the box (in drawing units) lies wholly beyond the image, with
    // a margin that rounding cannot cross.
    bool outsideView(double minX, double minY, double maxX, double maxY) const;
    // The cull box and the double mapping for the present view.
    void updateCullBox();

protected:
    ViewState v_;  // the view's own; a test's view may set it directly

private:
    const GinStore& store_;
    MessageSink& messages_;
    Canvas* target_ = nullptr;
    PenStyle style_ = PenStyle::Solid;  // carried from the last styled line
    bool ltodReported_ = false;
    bool fast_ = true;
    fastmap::PixelMap map_;  // the view as of the cull box

    // Boxes over runs of consecutive line records, so a repaint passes over
    // a stretch of the run beyond the image at once; rebuilt when the gin
    // changes.
    static constexpr int kBlockRecords = 64;
    struct RecordBlock {
        double minX, minY, maxX, maxY;  // of its lines
        int32_t lastStyledType;         // its last line type of 101..105, or 0
        bool hasLines;
        bool visitAlways;  // a circle, or a value the box cannot hold (NaN)
    };
    std::vector<RecordBlock> blocks_;
    // The last extents worked out, for fitting the same gin again.
    mutable struct {
        int nGin = -1;
        uint64_t changes = 0;
        int lastLine = -1, lastMoji = -1;
        Extents extents{};
    } extentsOf_;
    struct {
        int nGin = -1;
        uint64_t changes = 0;
        int last = -1;
    } blocksOf_;
    SeenLines seen_;
    struct {
        PenStyle style;
        uint32_t colour;
        bool copy;
    } lastPen_{PenStyle::Solid, 0, false};
    struct {
        double left, right, bottom, top;
    } cull_{};
    bool inRepaint_ = false;
    int underlay_ = -1;
    std::vector<PixelRun> runs_;  // a far line's visible runs, kept to spare allocations
};

}  // namespace ravo
