#include "core/view.h"
#include "open_view.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "core/line_raster.h"
#include "core/preview.h"
#include "recording_canvas.h"
#include "test_support.h"

namespace ravo {
namespace {

using test::Op;
using test::RecordingCanvas;

struct ViewTest : ::testing::Test {
    RecordingMessages msgs;
    GinStore store{msgs};
    test::OpenView view{store, msgs};
    ViewState& vs = view.state();
    RecordingCanvas canvas{200, 100};
    GestureState gs;
    Preview preview{view, gs, 0};

    void SetUp() override { view.setTargetImage(canvas); }
};

TEST_F(ViewTest, SetLogWindowKeepsTheImageAspect) {
    view.SetLogWindow(0, 0, 100, 100);
    EXPECT_EQ(vs.dLogWidth, 200);
    EXPECT_EQ(vs.dLogHeight, 100);
    EXPECT_EQ(vs.dOrgX, -100);
    EXPECT_EQ(vs.dOrgY, -50);
    EXPECT_EQ(vs.dScale, 1);
    view.SetLogWindow(0, 0, 400, 100);
    EXPECT_EQ(vs.dLogWidth, 400);
    EXPECT_EQ(vs.dLogHeight, 200);
    EXPECT_EQ(vs.dOrgX, -200);
    EXPECT_EQ(vs.dOrgY, -100);
    EXPECT_EQ(vs.dScale, 2);
    view.SetLogWindow(0, 0, 0, 100);
    EXPECT_EQ(vs.dLogWidth, 200);
    EXPECT_EQ(vs.dLogHeight, 100);
    view.SetLogWindow(0, 0, 100, 0);
    EXPECT_EQ(vs.dLogWidth, 100);
    EXPECT_EQ(vs.dLogHeight, 50);
    EXPECT_TRUE(msgs.shown.empty());
}

TEST_F(ViewTest, ImageWithoutSizeKeepsTheWindow) {
    view.SetLogWindow(0, 0, 100, 100);
    canvas.resize(0, 100);
    view.setTargetImage(canvas);
    view.SetLogWindow(5, 5, 10, 10);
    ASSERT_EQ(msgs.shown.size(), 1u);
    EXPECT_EQ(msgs.shown[0], u"SetLogWindow Error");
    EXPECT_EQ(vs.dScale, 1);
    EXPECT_EQ(vs.dOrgX, -100);
}

TEST_F(ViewTest, MappingRoundsHalvesAwayAndDtolInverts) {
    vs.dOrgX = 0;
    vs.dOrgY = 0;
    vs.dScale = 1;
    int32_t px, py;
    ASSERT_TRUE(view.LTOD(2.5, 0, px, py));
    EXPECT_EQ(px, 3);
    EXPECT_EQ(py, 100);
    ASSERT_TRUE(view.LTOD(-2.5, 0, px, py));
    EXPECT_EQ(px, -3);
    view.SetLogWindow(10, 20, 400, 100);
    ASSERT_TRUE(view.LTOD(vs.dOrgX, vs.dOrgY, px, py));
    EXPECT_EQ(px, 0);
    EXPECT_EQ(py, 100);
    double x, y;
    view.DTOL(0, 0, x, y);
    EXPECT_EQ(x, vs.dOrgX);
    EXPECT_EQ(y, vs.dOrgY + 100 * vs.dScale);
    // Far out: clamped, never undefined.
    ASSERT_TRUE(view.LTOD(1e308, -1e308, px, py));
    EXPECT_EQ(px, 2147483647);
    EXPECT_EQ(py, 2147483647);
}

TEST_F(ViewTest, ZeroScaleReportsOncePerRepaint) {
    store.clearGin(0);
    for (int i = 0; i < 50; ++i) store.addLine(0, i, 0, i, 10);
    vs.dScale = 0;
    view.redrawGin(0);
    ASSERT_EQ(msgs.shown.size(), 1u);
    EXPECT_EQ(msgs.shown[0], u"LTOD ERROR");
    EXPECT_TRUE(canvas.of(Op::Line).empty());
    view.redrawGin(0);
    EXPECT_EQ(msgs.shown.size(), 2u);
}

TEST_F(ViewTest, InitViewUnevenCentre) {
    view.initView(canvas);
    EXPECT_EQ(vs.nRubberColor, 0xDEDEDEu);
    EXPECT_EQ(vs.nBackColor, 0xFFFFFFu);
    EXPECT_NEAR(vs.dScale, 22, 1e-9);
    EXPECT_NEAR(vs.dOrgX + vs.dLogWidth / 2, 100, 1e-9);   // half the width
    EXPECT_NEAR(vs.dOrgY + vs.dLogHeight / 2, 500, 1e-9);  // five times the height
    EXPECT_TRUE(canvas.ops.empty());  // draws nothing
}

TEST_F(ViewTest, FitGinAndItsEarlyStops) {
    view.initView(canvas);
    store.clearGin(0);
    store.addMoji(0, 0, 5, 5, 1, 0, 1, 1, u"t");
    const ViewState before = vs;
    view.fitGin(0, 1.0);
    EXPECT_EQ(vs.dScale, before.dScale);  // texts alone: cleared, window kept
    ASSERT_FALSE(canvas.ops.empty());
    EXPECT_EQ(canvas.ops[0].kind, Op::Clear);
    EXPECT_TRUE(canvas.of(Op::NewSurface).empty());

    store.clearGin(0);
    store.addCircle(0, 7, 7, 3);
    store.addLine(0, 7, 7, 7, 7);
    canvas.ops.clear();
    view.fitGin(0, 1.0);
    EXPECT_TRUE(canvas.ops.empty());  // all on one point: nothing at all
    EXPECT_EQ(vs.dScale, before.dScale);

    store.clearGin(0);
    store.addLine(0, 50, 0, 50, 1000);
    view.fitGin(0, 1.0);
    EXPECT_NEAR(vs.dLogHeight, 1100, 1e-9);
    EXPECT_NEAR(vs.dLogWidth, 2200, 1e-9);
    EXPECT_NEAR(vs.dOrgY + vs.dLogHeight / 2, 500, 1e-9);
    EXPECT_NEAR(vs.dOrgX + vs.dLogWidth / 2, 50, 1e-9);
    EXPECT_EQ(canvas.of(Op::Line).size(), 1u);
}

TEST_F(ViewTest, ZoomsRoundTripAndKeepThePointUnderTheCursor) {
    view.SetLogWindow(100, 200, 400, 200);
    const ViewState start = vs;
    view.zoomIn(0);
    EXPECT_NEAR(vs.dLogWidth, 400 / 1.1, 1e-9);
    view.zoomOut(0);
    EXPECT_NEAR(vs.dLogWidth, start.dLogWidth, 1e-9);
    EXPECT_NEAR(vs.dOrgX, start.dOrgX, 1e-9);
    EXPECT_NEAR(vs.dOrgY, start.dOrgY, 1e-9);
    view.zoomIn(0);
    const ViewState in = vs;
    view.SetLogWindow(100, 200, 400, 200);
    view.zoomInAt(0, 0.5, 0.5);
    EXPECT_NEAR(vs.dOrgX, in.dOrgX, 1e-9);
    EXPECT_NEAR(vs.dScale, in.dScale, 1e-12);
    // The point a quarter across and three quarters down stays put.
    view.SetLogWindow(100, 200, 400, 200);
    double x0, y0, x1, y1;
    view.DTOL(50, 75, x0, y0);
    view.zoomInAt(0, 0.25, 0.75);
    view.DTOL(50, 75, x1, y1);
    EXPECT_NEAR(x1, x0, 1e-9);
    EXPECT_NEAR(y1, y0, 1e-9);
    view.zoomOutAt(0, 0.25, 0.75);
    view.DTOL(50, 75, x1, y1);
    EXPECT_NEAR(x1, x0, 1e-9);
    // zoomWindow sorts its corners.
    view.zoomWindow(10, 20, -10, -20);
    EXPECT_NEAR(vs.dOrgY, -20, 1e-9);
    EXPECT_NEAR(vs.dLogHeight, 40, 1e-9);
}

TEST_F(ViewTest, ResizeKeepsScaleAndTopLeft) {
    view.SetLogWindow(0, 0, 400, 200);
    double x0, y0;
    view.DTOL(0, 0, x0, y0);
    const double scale = vs.dScale;
    canvas.resize(300, 150);
    view.FormResize();
    EXPECT_EQ(vs.nDevWidth, 300);
    EXPECT_NEAR(vs.dScale, scale, 1e-12);
    double x1, y1;
    view.DTOL(0, 0, x1, y1);
    EXPECT_NEAR(x1, x0, 1e-9);
    EXPECT_NEAR(y1, y0, 1e-9);
    // A resize to no height: the error, the old window; then on at the old scale.
    canvas.resize(300, 0);
    view.FormResize();
    EXPECT_EQ(msgs.shown.size(), 1u);
    canvas.resize(100, 100);
    view.FormResize();
    EXPECT_NEAR(vs.dScale, scale, 1e-12);
}

TEST_F(ViewTest, PenStyleCarriesFromTheLastStyledLine) {
    view.SetLogWindow(0, 0, 400, 200);
    store.clearGin(0);
    store.curLT = 103;
    store.addLine(0, 0, 0, 10, 10);
    store.curLT = 1;
    store.addLine(0, 0, 10, 10, 0);
    view.redrawGin(0);
    EXPECT_EQ(canvas.lineStyles(), (std::vector<PenStyle>{PenStyle::Dot, PenStyle::Dot}));
    // A repaint starts on a fresh surface: the line of type 1 drawn first is solid.
    store.clearGin(0);
    store.addLine(0, 0, 10, 10, 0);
    store.curLT = 102;
    store.addLine(0, 0, 0, 5, 5);
    canvas.ops.clear();
    view.redrawGin(0);
    EXPECT_EQ(canvas.lineStyles(), (std::vector<PenStyle>{PenStyle::Solid, PenStyle::Dash}));
    EXPECT_EQ(canvas.of(Op::Present).size(), 1u);
}

TEST_F(ViewTest, LinesOffTheImageAreSkippedButKeepThePenStyle) {
    view.SetLogWindow(0, 0, 400, 200);
    store.clearGin(0);
    store.curLT = 104;
    store.addLine(0, 5000, 5000, 6000, 6000);  // off the image
    store.curLT = 0;
    store.addLine(0, -10, -10, 10, 10);
    view.redrawGin(0);
    EXPECT_EQ(canvas.of(Op::Line).size(), 1u);
    EXPECT_EQ(canvas.lineStyles(), std::vector<PenStyle>{PenStyle::DashDot});
}

TEST_F(ViewTest, LinesFarOffAreClippedBeforeGdiSeesThem) {
    view.SetLogWindow(0, 0, 400, 200);
    store.clearGin(0);
    store.addLine(0, -1e300, 0, 1e300, 0);  // across the whole image
    store.addLine(0, 0, -1e12, 0, 1e12);
    view.redrawGin(0);
    auto lines = canvas.of(Op::Line);
    ASSERT_EQ(lines.size(), 2u);
    for (const Op& l : lines)
        for (int v : {l.a, l.b, l.c, l.d}) EXPECT_LE(std::abs(v), 1000);
    EXPECT_EQ(lines[0].b, 50);  // still the horizontal through the centre
    EXPECT_EQ(lines[0].d, 50);
}

// A far line's visible pixels, drawn as runs, are exactly those of the whole
// line stepped from its start as GDI steps it (Bresenham, the end pixel left
// out, halves to the other side in octants 3, 5, 6 and 8).
using Pixels = std::vector<std::pair<int64_t, int64_t>>;

// The pixels inside w x h of the line stepped from its start as GDI steps it
// (only those a styled pen's pattern inks, given one).
Pixels steppedPixels(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t w, int32_t h,
                     const DashPattern* pattern = nullptr) {
    Pixels px;
    int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    dx = std::abs(dx);
    dy = std::abs(dy);
    const bool xMajor = dx > dy;
    // Octants 3, 5, 6 and 8: y down and x not right of steep, or y up and
    // x left, or y up, x right and shallow.
    const bool bias = (sy > 0 && sx < 0 && !xMajor) || (sy < 0 && sx < 0) || (sy < 0 && sx > 0 && xMajor) ||
                      (dy == 0 && sx < 0) || (dx == 0 && sy < 0);
    int64_t x = x1, y = y1;
    const int64_t len = xMajor ? dx : dy, a = xMajor ? dy : dx, b = xMajor ? dx : dy;
    int64_t err = 2 * a - b;
    for (int64_t k = 0; k < len; ++k) {
        if (x >= 0 && x < w && y >= 0 && y < h && (!pattern || pattern->inked(k))) px.emplace_back(x, y);
        if (err + (bias ? 1 : 0) > 0) {
            (xMajor ? y : x) += xMajor ? sy : sx;
            err += 2 * a - 2 * b;
        } else {
            err += 2 * a;
        }
        (xMajor ? x : y) += xMajor ? sx : sy;
    }
    return px;
}

TEST(LineRaster, VisibleRunsAndDashesMatchTheWholeLineStepped) {
    const int32_t w = kImageWidth, h = kImageHeight;
    auto reference = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2) { return steppedPixels(x1, y1, x2, y2, w, h); };
    std::mt19937_64 rng(20261209);
    auto near = [&](int32_t span) { return static_cast<int32_t>(std::uniform_int_distribution<int32_t>(-span, span)(rng)); };
    std::vector<PixelRun> runs;
    int drawn = 0;
    for (int i = 0; i < 300; ++i) {
        const int32_t far = i < 297 ? 1 << 20 : 1 << 25;
        int32_t x1 = 144 + near(150), y1 = 114 + near(120), x2 = near(far), y2 = near(far);
        if (i % 3 == 1) std::swap(x1, x2), std::swap(y1, y2);
        if (i % 3 == 2) x1 = -x2 + 288 + near(50), y1 = -y2 + 228 + near(50);  // both ends far, across the image
        if (i % 10 == 0) y2 = y1;                           // horizontal
        if (i % 10 == 5) x2 = x1;                           // vertical
        SCOPED_TRACE(testing::Message() << "(" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << ")");
        visibleRuns(x1, y1, x2, y2, w, h, runs);
        std::vector<std::pair<int64_t, int64_t>> got;
        for (const PixelRun& r : runs) {
            ASSERT_TRUE(r.x1 == r.x2 || r.y1 == r.y2);
            const bool forward = (r.y1 == r.y2) ? (x2 >= x1) : (y2 >= y1);
            std::vector<std::pair<int64_t, int64_t>> one;
            for (int64_t x = r.x1; x <= r.x2; ++x)
                for (int64_t y = r.y1; y <= r.y2; ++y) one.emplace_back(x, y);
            if (!forward) std::reverse(one.begin(), one.end());
            got.insert(got.end(), one.begin(), one.end());
        }
        const auto want = reference(x1, y1, x2, y2);
        ASSERT_EQ(got, want);
        drawn += !want.empty();
        // Dashed: the same pixels where the pattern, counted from the start, inks.
        const DashPattern pattern = defaultDashPattern(static_cast<PenStyle>(1 + i % 4));
        visibleDashes(x1, y1, x2, y2, w, h, pattern, runs);
        Pixels dashed;
        for (const PixelRun& r : runs)
            for (int64_t x = r.x1; x <= r.x2; ++x)
                for (int64_t y = r.y1; y <= r.y2; ++y) dashed.emplace_back(x, y);
        Pixels wantDashed = steppedPixels(x1, y1, x2, y2, w, h, &pattern);
        std::sort(dashed.begin(), dashed.end());
        std::sort(wantDashed.begin(), wantDashed.end());
        ASSERT_EQ(dashed, wantDashed);
    }
    EXPECT_GT(drawn, 150);  // most of them cross the image
    // The ends of the 32-bit range: no overflow, the pixels on the line
    // (the diagonal, where each pixel has x = y).
    visibleRuns(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, w, h, runs);
    for (const PixelRun& r : runs) EXPECT_EQ(r.x1, r.y1);
    EXPECT_FALSE(runs.empty());
}

// Through the view: what GDI is handed for lines reaching far off the image
// sets exactly the pixels of the whole line between the two pixel positions.
TEST_F(ViewTest, FarLinesKeepEveryPixelOfTheWholeLine) {
    vs.dOrgX = 0;
    vs.dOrgY = 0;
    vs.dScale = 1;  // pixel x = X, pixel y = 100 − Y
    std::mt19937_64 rng(7);
    auto span = [&](int32_t a, int32_t b) { return std::uniform_int_distribution<int32_t>(a, b)(rng); };
    int drawn = 0;
    for (int i = 0; i < 150; ++i) {
        const int32_t x1 = span(0, 199), y1 = span(0, 99);
        const int32_t x2 = span(-(1 << 22), 1 << 22), y2 = span(-(1 << 22), 1 << 22);
        store.clearGin(0);
        store.addLine(0, x1, 100 - y1, x2, 100 - y2);
        canvas.ops.clear();
        view.redrawGin(0);
        Pixels got;
        for (const Op& l : canvas.of(Op::Line)) {
            const Pixels part = steppedPixels(l.a, l.b, l.c, l.d, 200, 100);
            got.insert(got.end(), part.begin(), part.end());
        }
        std::sort(got.begin(), got.end());
        Pixels want = steppedPixels(x1, y1, x2, y2, 200, 100);
        std::sort(want.begin(), want.end());
        ASSERT_EQ(got, want) << "(" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << ")";
        drawn += !want.empty();
    }
    EXPECT_EQ(drawn, 150);
}

TEST_F(ViewTest, CircleBoxes) {
    vs.dOrgX = 0;
    vs.dOrgY = 0;
    vs.dScale = 2;
    vs.nDevHeight = 100;
    store.clearGin(0);
    store.addCircle(0, 20, 20, 10);
    store.addCircle(0, 20, 20, 1);
    vs.dScale = 2;
    view.redrawGin(0);
    auto e = canvas.of(Op::Ellipse);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].a, 5);  // centre (10, 90), radius 5
    EXPECT_EQ(e[0].b, 85);
    EXPECT_EQ(e[0].c, 15);
    EXPECT_EQ(e[0].d, 95);
    vs.dScale = 4;
    canvas.ops.clear();
    view.redrawGin(0);
    e = canvas.of(Op::Ellipse);
    EXPECT_EQ(e[1].a, e[1].c);  // radius 1 at scale 4 rounds to 0
}

TEST_F(ViewTest, TextHeightsEscapementsAndAnchors) {
    vs.dOrgX = 0;
    vs.dOrgY = 0;
    vs.nDevHeight = 100;
    vs.nBackColor = 0xFFFFFF;
    store.clearGin(0);
    store.curCL = 0xFF;
    store.addMoji(0, 0, 10, 10, 1, 0, 1, 2.5, u"ab");
    vs.dScale = 1;
    view.redrawGin(0);
    auto f = canvas.of(Op::Font);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].a, 167);
    vs.dScale = 200;
    canvas.ops.clear();
    view.redrawGin(0);
    EXPECT_EQ(canvas.of(Op::Font)[0].a, 1);
    vs.dScale = 500;
    canvas.ops.clear();
    view.redrawGin(0);
    EXPECT_TRUE(canvas.of(Op::Text).empty());

    // Escapements for the four directions.
    const struct {
        double x2, y2;
        int esc;
    } dirs[] = {{1, 0, 0}, {0, 1, 900}, {-1, 0, 1800}, {0, -1, -900}};
    for (const auto& d : dirs) {
        store.clearGin(1);
        store.addMoji(1, 0, 0, 0, d.x2, d.y2, 1, 0.1, u"x");
        vs.dScale = 1;
        canvas.ops.clear();
        view.redrawGin(1);
        ASSERT_EQ(canvas.of(Op::Font).size(), 1u);
        EXPECT_EQ(canvas.of(Op::Font)[0].b, d.esc) << d.x2 << "," << d.y2;
    }

    // Anchors at angle 0: text 2 cells of 10 px wide, 20 px high.
    const struct {
        int base, x, y;
    } anchors[] = {{8, 30, 40}, {0, 50, 20}, {9, 30, 20}, {4, 40, 30}};
    for (const auto& a : anchors) {
        canvas.ops.clear();
        view.drawText(50, 40, u"ab", 0, 12, 0, a.base);
        auto t = canvas.of(Op::Text);
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0].a, a.x) << "anchor " << a.base;
        EXPECT_EQ(t[0].b, a.y) << "anchor " << a.base;
        EXPECT_EQ(t[0].back, 0xFFFFFFu);
    }
    // At 90 degrees the offsets turn with the text, each rounded apart.
    canvas.ops.clear();
    view.drawText(50, 40, u"ab", 0, 12, 90, 8);
    auto t = canvas.of(Op::Text);
    EXPECT_EQ(t[0].a, 50);
    EXPECT_EQ(t[0].b, 60);
}

TEST_F(ViewTest, GinExtents) {
    store.clearGin(0);
    EXPECT_FALSE(view.ginExtents(0).found);
    store.addMoji(0, 0, 5, -3, 1, 0, 1, 1, u"t");
    Extents e = view.ginExtents(0);
    EXPECT_FALSE(e.found);
    EXPECT_EQ(e.minX, 5);
    EXPECT_EQ(e.minY, -3);
    store.clearGin(1);
    store.addLine(1, 0, 0, 10, 5);
    e = view.ginExtents(1);
    EXPECT_TRUE(e.found);
    EXPECT_EQ(e.minX, 0);
    EXPECT_EQ(e.maxX, 10);
    EXPECT_EQ(e.maxY, 5);
    store.clearGin(2);
    store.addCircle(2, 3, 4, 100);
    e = view.ginExtents(2);
    EXPECT_TRUE(e.found);
    EXPECT_EQ(e.minX, 3);
    EXPECT_EQ(e.maxX, 3);
    // An empty slot stops the scan.
    store.clearGin(3);
    store.addLine(3, 0, 0, 1, 1);
    store.addLineRec(3, kKindEmpty, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    store.addLine(3, 100, 100, 200, 200);
    EXPECT_EQ(view.ginExtents(3).maxX, 1);
}

// ---- gestures ----

TEST_F(ViewTest, LeftClickRecentresAndDragPans) {
    view.SetLogWindow(0, 0, 200, 100);
    store.clearGin(0);
    store.addLine(0, 0, 0, 10, 10);
    const double scale = vs.dScale;
    double wx, wy;
    view.DTOL(30, 40, wx, wy);
    preview.imgGinMouseDown(kButtonLeft, 30, 40);
    preview.imgGinMouseUp(34, 44);  // still a click
    EXPECT_NEAR(vs.dOrgX + vs.dLogWidth / 2, wx + 4 * scale, 1e-9);
    EXPECT_EQ(vs.dScale, scale);

    view.SetLogWindow(0, 0, 200, 100);
    const double ox = vs.dOrgX, oy = vs.dOrgY;
    preview.imgGinMouseDown(kButtonLeft, 30, 40);
    preview.imgGinMouseMove(40, 45);
    preview.imgGinMouseUp(35, 40);  // 5 px from the press: no recentring
    // The picture followed the pointer 10 right and 5 down.
    EXPECT_NEAR(vs.dOrgX, ox - 10 * scale, 1e-9);
    EXPECT_NEAR(vs.dOrgY, oy + 5 * scale, 1e-9);
    EXPECT_FALSE(gs.bPanning);
}

TEST_F(ViewTest, MiddleDragZoomsToTheBoxOrRecentres) {
    view.SetLogWindow(0, 0, 200, 100);
    store.clearGin(0);
    store.addLine(0, 0, 0, 10, 10);
    double x1, y1, x2, y2;
    view.DTOL(10, 10, x1, y1);
    view.DTOL(16, 16, x2, y2);
    preview.imgGinMouseDown(kButtonMiddle, 10, 10);
    preview.imgGinMouseMove(16, 16);
    auto xorLines = canvas.of(Op::Pen);
    ASSERT_FALSE(xorLines.empty());
    EXPECT_FALSE(xorLines.back().copy);
    EXPECT_EQ(xorLines.back().colour, 0u);  // nRubberColor before initView
    preview.imgGinMouseUp(16, 16);
    EXPECT_NEAR(vs.dLogHeight, std::fabs(y1 - y2), 1e-9);
    EXPECT_NEAR(vs.dOrgY, std::min(y1, y2), 1e-9);

    view.SetLogWindow(0, 0, 200, 100);
    const double scale = vs.dScale;
    preview.imgGinMouseDown(kButtonMiddle, 10, 10);
    double wx, wy;
    view.DTOL(15, 30, wx, wy);
    preview.imgGinMouseUp(15, 30);
    EXPECT_EQ(vs.dScale, scale);
    EXPECT_NEAR(vs.dOrgX + vs.dLogWidth / 2, wx, 1e-9);
}

TEST_F(ViewTest, RightButtonDoesNothing) {
    view.SetLogWindow(0, 0, 200, 100);
    const ViewState before = vs;
    canvas.ops.clear();
    preview.imgGinMouseDown(kButtonRight, 10, 10);
    preview.imgGinMouseUp(50, 50);
    EXPECT_TRUE(canvas.ops.empty());
    EXPECT_EQ(vs.dOrgX, before.dOrgX);
}

TEST_F(ViewTest, WheelZoomsOneStepPerMessage) {
    view.SetLogWindow(0, 0, 200, 100);
    const double w = vs.dLogWidth;
    preview.zoomAt(1, 0.5, 0.5);
    EXPECT_NEAR(vs.dLogWidth, w / 1.1, 1e-9);
    preview.zoomAt(-1, 0.5, 0.5);
    EXPECT_NEAR(vs.dLogWidth, w, 1e-9);
    preview.zoomAt(6, 0.5, 0.5);  // six notches at once: still one step
    EXPECT_NEAR(vs.dLogWidth, w / 1.1, 1e-9);
    preview.zoomAt(0, 0.5, 0.5);  // no turn: no step
    EXPECT_NEAR(vs.dLogWidth, w / 1.1, 1e-9);
}

}  // namespace
}  // namespace ravo
