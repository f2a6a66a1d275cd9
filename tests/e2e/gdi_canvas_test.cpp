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

constexpr unsigned kWhitePixel = 0xFFFFFF;

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
    // A view whose state the test sets directly.
    struct OpenView : View {
        using View::View;
        ViewState& state() { return v_; }
    } view_{store_, msgs_};
    ViewState& vs_ = view_.state();
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

// A styled line that reaches far off the image (drawn as its visible pixels)
// shows on the image exactly the dashes GDI draws on the whole line: here
// the whole line drawn by GDI in one call on a bitmap that holds all of it.
TEST_F(Surface, FarStyledLinesShowTheWholeLinesPattern) {
    const struct {
        double x1, y1, x2, y2;
    } cases[] = {
        {-9000, 50, 300, 50}, {300, 50, -9000, 50}, {-9000, -400, 300, 65}, {60, -9000, 80, 300}, {150, 9000, 10, -20},
        {-8500, 2900, 250, -20},  // slope 1/3: runs of three pixels
    };
    const int styles[] = {PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    for (int s = 0; s < 4; ++s) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "style " << s << ", line " << c.x1 << " " << c.y1 << " " << c.x2 << " " << c.y2);
            store_.clearGin(0);
            store_.curLT = 102 + s;
            store_.addLine(0, c.x1, c.y1, c.x2, c.y2);
            view_.redrawGin(0);
            int32_t x1, y1, x2, y2;
            ASSERT_TRUE(view_.LTOD(c.x1, c.y1, x1, y1) && view_.LTOD(c.x2, c.y2, x2, y2));
            ASSERT_TRUE(std::max({std::abs(x1), std::abs(y1), std::abs(x2), std::abs(y2)}) > 8192);
            // The reference: a bitmap holding the image and both ends.
            const int left = std::min({0, x1, x2}), top = std::min({0, y1, y2});
            const int w = std::max({200, x1, x2}) - left + 1, h = std::max({100, y1, y2}) - top + 1;
            // One bit a pixel (the slope-1/3 line's bitmap is 8,751 x 2,921): black 0, white 1.
            struct {
                BITMAPINFOHEADER header;
                RGBQUAD colours[2];
            } bi{{sizeof(BITMAPINFOHEADER), w, -h, 1, 1, BI_RGB, 0, 0, 0, 2, 2}, {{0, 0, 0, 0}, {255, 255, 255, 0}}};
            void* bits = nullptr;
            HBITMAP bmp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
            ASSERT_NE(bmp, nullptr);
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ oldBmp = SelectObject(dc, bmp);
            HPEN pen = CreatePen(styles[s], 1, RGB(0, 0, 0));
            HGDIOBJ oldPen = SelectObject(dc, pen);
            PatBlt(dc, 0, 0, w, h, WHITENESS);
            SetBkMode(dc, TRANSPARENT);
            MoveToEx(dc, x1 - left, y1 - top, nullptr);
            LineTo(dc, x2 - left, y2 - top);
            GdiFlush();
            const auto* ref = static_cast<const uint8_t*>(bits);
            const size_t stride = static_cast<size_t>((w + 31) / 32) * 4;
            int differing = 0, inked = 0, refInked = 0;
            for (int y = 0; y < 100; ++y) {
                for (int x = 0; x < 200; ++x) {
                    const size_t rx = static_cast<size_t>(x - left);
                    const bool want = !((ref[static_cast<size_t>(y - top) * stride + rx / 8] >> (7 - rx % 8)) & 1u);
                    const bool got = pixel(x, y) != kWhitePixel;
                    differing += want != got;
                    inked += got;
                    refInked += want;
                }
            }
            SelectObject(dc, oldPen);
            SelectObject(dc, oldBmp);
            DeleteObject(pen);
            DeleteObject(bmp);
            DeleteDC(dc);
            EXPECT_GT(refInked, 10) << "expected the line to cross the image";
            EXPECT_EQ(differing, 0) << inked << " pixels inked, " << refInked << " in GDI's own line";
        }
    }
}

}  // namespace
}  // namespace ravo::e2e
