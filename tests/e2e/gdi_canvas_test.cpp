// The GDI surface under the preview, drawn through the core's view and read
// back pixel by pixel: Japanese text, opaque text cells, styles, XOR.
#include "app/gdi_canvas.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/gin_store.h"
#include "core/view.h"
#include "e2e_support.h"

namespace ravo::e2e {
namespace {

class NoMessages : public MessageSink {
public:
    void showMessage(std::u16string_view) override { ++count; }
    int count = 0;
};

class Surface : public ::testing::Test {
protected:
    void SetUp() override {
        wnd_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(wnd_, nullptr);
        canvas_ = std::make_unique<GdiCanvas>(wnd_);
        view_.setTargetImage(*canvas_);
        vs_.nBackColor = 0xFFFFFF;
        // One drawing unit per pixel, origin at the bottom left.
        vs_.dOrgX = 0;
        vs_.dOrgY = 0;
        vs_.dScale = 1;
        vs_.dLogWidth = 200;
        vs_.dLogHeight = 100;
    }
    void TearDown() override {
        canvas_.reset();
        DestroyWindow(wnd_);
    }
    unsigned pixel(int x, int y) const { return GetPixel(canvas_->pictureDC(), x, y) & 0xFFFFFF; }
    int inkIn(int l, int t, int r, int b) const {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) n += pixel(x, y) != 0xFFFFFF;
        return n;
    }
    std::vector<unsigned> region(int l, int t, int r, int b) const {
        std::vector<unsigned> v;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) v.push_back(pixel(x, y));
        return v;
    }

    NoMessages msgs_;
    GinStore store_{msgs_};
    ViewState vs_;
    View view_{vs_, store_, msgs_};
    HWND wnd_ = nullptr;
    std::unique_ptr<GdiCanvas> canvas_;
};

TEST_F(Surface, TextCellsHideTheLinesUnderThem) {
    store_.addLine(0, 0, 50, 200, 50);  // pixel row 50
    // Height 0.15 units -> 20 px cells; anchored bottom-left at (60, 40) up.
    store_.addMoji(0, 0, 60, 40, 1, 0, 1, 0.15, u"--");
    view_.redrawGin(0);
    ASSERT_NE(canvas_->pictureDC(), nullptr);
    EXPECT_EQ(pixel(10, 50), 0u) << "the line outside the text";
    EXPECT_EQ(pixel(190, 50), 0u);
    // Inside the cells, away from the glyphs' strokes, the line is covered.
    int covered = 0;
    for (int x = 62; x < 70; ++x) covered += pixel(x, 50) == 0xFFFFFF;
    EXPECT_GT(covered, 0) << "expected the text's cell over the line";
}

TEST_F(Surface, JapaneseTextRenders) {
    auto draw = [&](const char16_t* text) {
        store_.clearGin(1);
        store_.addMoji(1, 6, 20, 80, 1, 0, 1, 0.3, text);  // top-left anchor, 40 px cells
        view_.redrawGin(1);
        return region(20, 20, 80, 80);
    };
    const auto kou = draw(u"鋼");
    const int ink = inkIn(20, 20, 80, 80);
    const auto ya = draw(u"矢");
    const auto missing = draw(u"\uE000");
    EXPECT_GT(ink, 40) << "expected the glyph drawn";
    EXPECT_NE(kou, ya) << "expected two different glyphs, not two boxes";
    EXPECT_NE(kou, missing);
}

TEST_F(Surface, DotsAndXor) {
    store_.curLT = 103;
    store_.addLine(0, 0, 50, 200, 50);
    view_.redrawGin(0);
    int on = 0;
    for (int x = 0; x < 200; ++x) on += pixel(x, 50) == 0;
    EXPECT_GT(on, 50);
    EXPECT_LT(on, 150) << "expected a dotted line";
    // XOR twice restores.
    const auto before = region(0, 0, 200, 100);
    view_.drawRect(10, 10, 150, 90, 0xDEDEDE, false);
    canvas_->present();
    EXPECT_NE(region(0, 0, 200, 100), before);
    view_.drawRect(10, 10, 150, 90, 0xDEDEDE, false);
    canvas_->present();
    EXPECT_EQ(region(0, 0, 200, 100), before);
}

TEST_F(Surface, ClearedSurfaceHasNoPictureAndRedrawsAtTheNewSize) {
    store_.addLine(0, 0, 0, 10, 10);
    view_.redrawGin(0);
    EXPECT_NE(canvas_->pictureDC(), nullptr);
    view_.clearImage();
    EXPECT_EQ(canvas_->pictureDC(), nullptr);
    SetWindowPos(wnd_, nullptr, 0, 0, 120, 70, SWP_NOMOVE | SWP_NOZORDER);
    view_.redrawGin(0);
    EXPECT_EQ(canvas_->pictureSize().cx, 120);
    EXPECT_EQ(canvas_->pictureSize().cy, 70);
}

// The repaint's shortcuts (double mapping, no empty and no repeated solid
// lines) against the plain path, pixel for pixel in real GDI: random runs of
// every line type and colour, some collapsing to points, with circles, under
// zoomed, panned and far-out views, an XOR rectangle over each.
TEST_F(Surface, FastRepaintSetsTheSamePixelsAsThePlainOne) {
    auto picture = [&] {
        const SIZE size = canvas_->pictureSize();
        std::vector<uint32_t> px(static_cast<size_t>(size.cx) * size.cy);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof bi.bmiHeader, size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HBITMAP bmp = static_cast<HBITMAP>(GetCurrentObject(canvas_->pictureDC(), OBJ_BITMAP));
        GetDIBits(canvas_->pictureDC(), bmp, 0, size.cy, px.data(), &bi, DIB_RGB_COLORS);
        return px;
    };
    uint64_t seed = 0x5EED;
    auto next = [&] { return (seed = seed * 6364136223846793005ull + 1442695040888963407ull) >> 11; };
    auto real = [&] { return static_cast<double>(next()) / 9007199254740992.0; };  // [0, 1)
    int drawnDiffering = 0;
    for (int trial = 0; trial < 300; ++trial) {
        store_.clearGin(0);
        const double step = std::pow(10.0, real() * 6 - 2);  // 0.01 .. 10,000 units
        const double dirX = real() - 0.5, dirY = real() - 0.5;
        double x = (real() - 0.5) * 1e6, y = (real() - 0.5) * 1e6;
        const int segments = 50 + static_cast<int>(next() % 1500);
        for (int i = 0; i < segments; ++i) {
            store_.curLT = static_cast<int32_t>(i % 97 == 0 ? 101 + next() % 5 : (trial % 3 == 0 ? 101 + trial % 5 : 0));
            store_.curCL = static_cast<int32_t>(i % 211 == 0 ? next() & 0xFFFFFF : 0);
            const double nx = x + dirX * step + (real() - 0.5) * step, ny = y + dirY * step + (real() - 0.5) * step;
            store_.addLine(0, x, y, nx, ny);
            if (i % 5 == 0) store_.addLine(0, x, y, nx, ny);  // the same line again
            if (i % 301 == 0) store_.addCircle(0, x, y, step * 3);
            x = nx;
            y = ny;
        }
        const Extents e = view_.ginExtents(0);
        const double span = std::max(e.maxX - e.minX, e.maxY - e.minY) + 1e-9;
        // Whole run, zoomed into a part, panned off to one side, far out.
        const int kind = trial % 4;
        vs_.dScale = kind == 1 ? span / 200 / std::pow(10.0, real() * 4) : span / 200 * (kind == 3 ? 1e-4 : 1 + real());
        const double cx = e.minX + (e.maxX - e.minX) * real(), cy = e.minY + (e.maxY - e.minY) * real();
        vs_.dOrgX = cx - 100 * vs_.dScale + (kind == 2 ? span * (real() - 0.5) : 0);
        vs_.dOrgY = cy - 50 * vs_.dScale + (kind == 2 ? span * (real() - 0.5) : 0);
        std::vector<uint32_t> pictures[2];
        for (int fast = 0; fast < 2; ++fast) {
            view_.setFastPaths(fast == 1);
            view_.redrawGin(0);
            view_.drawRect(20, 10, 120, 60, 0xDEDEDE, false);
            canvas_->present();
            pictures[fast] = picture();
        }
        ASSERT_EQ(pictures[0].size(), pictures[1].size());
        size_t differing = 0;
        for (size_t i = 0; i < pictures[0].size(); ++i) differing += pictures[0][i] != pictures[1][i];
        ASSERT_EQ(differing, 0u) << "pixels differ in trial " << trial << ", scale " << vs_.dScale;
        drawnDiffering += pictures[0] != std::vector<uint32_t>(pictures[0].size(), pictures[0][0]);
    }
    EXPECT_GT(drawnDiffering, 150) << "expected most pictures to show something";
}

}  // namespace
}  // namespace ravo::e2e
