// The GDI surface under the preview, drawn through the core's view and read
// back pixel by pixel: Japanese text, opaque text cells, styles, XOR.
#include "app/gdi_canvas.h"
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

}  // namespace
}  // namespace ravo::e2e
