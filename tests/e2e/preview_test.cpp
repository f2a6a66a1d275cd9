// The preview by its pixels: the real exe's image, captured from the screen
// as it shows it, worked with the mouse messages a user would send.
#include <windowsx.h>

#include "e2e_support.h"
#include "core/view.h"

namespace ravo::e2e {
namespace {

using driver::Pixels;

constexpr unsigned kWhite = 0xFFFFFF;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

Box inkBox(const Pixels& p) {
    Box b;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.at(x, y) != kWhite) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

int countInk(const Pixels& p) {
    int n = 0;
    for (unsigned v : p.data) n += v != kWhite;
    return n;
}

int countDiff(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int n = 0;
    for (size_t i = 0; i < a.data.size(); ++i) n += a.data[i] != b.data[i];
    return n;
}

void send(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, 10000, &r);
}

class Preview : public HostFolder {
protected:
    // A run along +X with `extra` lines after the points.
    HWND startRun(const char* extra = "", const char* hp2 = "hp2 4000 0") {
        writeTemp(std::string("hq\r\nhp1 0 0\r\n") + hp2 + "\r\n" + extra);
        main_ = startToWindow();
        if (!main_) return nullptr;
        img_ = driver::child(main_, ids::imgGin);
        driver::settle(main_);
        return main_;
    }
    Pixels shot() const { return driver::capture(img_); }

    HWND main_ = nullptr;
    HWND img_ = nullptr;
};

TEST_F(Preview, RunIsVisibleAndFitsTheImage) {
    ASSERT_NE(startRun(), nullptr);
    Pixels p = shot();
    ASSERT_EQ(p.width, ravo::kImageWidth);
    ASSERT_EQ(p.height, ravo::kImageHeight);
    Box b = inkBox(p);
    ASSERT_FALSE(b.empty()) << "expected the run on the image";
    // The run is the limiting direction: about 91 % of the width, centred.
    const int w = b.right - b.left + 1;
    EXPECT_GT(w, ravo::kImageWidth * 0.85) << "ink " << b.left << ".." << b.right;
    EXPECT_LT(w, ravo::kImageWidth * 0.95);
    EXPECT_LE(std::abs(b.left - (288 - b.right)), 3);
    EXPECT_LE(std::abs(b.top - (228 - b.bottom)), 3);
    closeWith(main_, ids::btnCancel);
}

TEST_F(Preview, DottedLineTypeDrawsDots) {
    ASSERT_NE(startRun("lt101\r\n"), nullptr);
    const int solid = countInk(shot());
    closeWith(main_, ids::btnCancel);
    TearDown();
    SetUp();
    ASSERT_NE(startRun("lt103\r\n"), nullptr);
    const int dotted = countInk(shot());
    EXPECT_GT(dotted, 0);
    EXPECT_LT(dotted, solid * 0.8) << "solid " << solid << " dotted " << dotted;
    closeWith(main_, ids::btnCancel);
}

TEST_F(Preview, RubberBandInXorRestoresThePixels) {
    ASSERT_NE(startRun(), nullptr);
    const Pixels before = shot();
    send(img_, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(20, 20));
    send(img_, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(200, 150));
    const Pixels band = shot();
    EXPECT_GT(countDiff(before, band), 300) << "expected the rectangle drawn";
    EXPECT_EQ(band.at(100, 20), kWhite ^ 0xDEDEDE) << "white XOR the rubber colour";
    send(img_, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(20, 20));  // erases it, draws one of no size
    EXPECT_EQ(countDiff(before, shot()), 0);
    send(img_, WM_MBUTTONUP, 0, MAKELPARAM(20, 20));
    closeWith(main_, ids::btnCancel);
}

TEST_F(Preview, LeftDragMovesThePictureByTheDrag) {
    ASSERT_NE(startRun(), nullptr);
    const Pixels before = shot();
    send(img_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    send(img_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 117));
    const Pixels after = shot();
    send(img_, WM_LBUTTONUP, 0, MAKELPARAM(130, 117));
    int compared = 0, differ = 0;
    for (int y = 0; y + 17 < before.height; ++y)
        for (int x = 0; x + 30 < before.width; ++x) {
            ++compared;
            differ += before.at(x, y) != after.at(x + 30, y + 17);
        }
    EXPECT_GT(countInk(after), 0);
    EXPECT_EQ(differ, 0) << "of " << compared << " pixels";
    closeWith(main_, ids::btnCancel);
}

// Left held (pan), middle pressed too (rubber band): the first release ends
// the rubber band, the next one the pan — here a click 1 px from the last
// press, which re-centres. The left release gives up our capture, and that
// must not cancel the pan. An X button press sets the down position and its
// release ends a pan. The real pointer rests on the gesture's point: while
// the image holds the capture, the moves it reports are the image's too.
TEST_F(Preview, PanOutlivesTheRubberBandOfATwoButtonGesture) {
    ASSERT_NE(startRun(), nullptr);
    RECT r;
    GetWindowRect(img_, &r);
    SetCursorPos(r.left + 100, r.top + 100);
    send(img_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    send(img_, WM_MBUTTONDOWN, MK_LBUTTON | MK_MBUTTON, MAKELPARAM(100, 100));
    send(img_, WM_LBUTTONUP, MK_MBUTTON, MAKELPARAM(100, 100));  // ends the rubber band: re-centred there
    const Pixels first = shot();
    send(img_, WM_MBUTTONUP, 0, MAKELPARAM(101, 101));  // ends the pan: a click, re-centred again
    const Pixels second = shot();
    EXPECT_GT(countDiff(first, second), 100) << "the second release did not end the pan";
    send(img_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    send(img_, WM_XBUTTONDOWN, MAKEWPARAM(MK_LBUTTON | MK_XBUTTON1, XBUTTON1), MAKELPARAM(100, 100));
    send(img_, WM_XBUTTONUP, MAKEWPARAM(MK_LBUTTON, XBUTTON1), MAKELPARAM(101, 101));
    const Pixels afterX = shot();
    EXPECT_GT(countDiff(second, afterX), 100) << "the X release did not end the pan with a click";
    send(img_, WM_LBUTTONUP, 0, MAKELPARAM(101, 101));  // no gesture left: nothing more
    EXPECT_EQ(countDiff(afterX, shot()), 0);
    closeWith(main_, ids::btnCancel);
}

TEST_F(Preview, WheelNotchInThenOutGivesThePictureBack) {
    ASSERT_NE(startRun(), nullptr);
    const Pixels before = shot();
    RECT r;
    GetWindowRect(img_, &r);
    SetCursorPos((r.left + r.right) / 2 + 40, (r.top + r.bottom) / 2 - 20);
    send(main_, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    const Pixels in = shot();
    EXPECT_GT(countDiff(before, in), 100) << "expected one step in";
    send(main_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_LE(countDiff(before, shot()), before.width * before.height / 500) << "expected the first picture back";
    closeWith(main_, ids::btnCancel);
}

TEST_F(Preview, HomeAfterZoomAndPanGivesTheFirstPicture) {
    ASSERT_NE(startRun(), nullptr);
    const Pixels before = shot();
    driver::clickAndWait(driver::child(main_, ids::btnZoomUp));
    driver::clickAndWait(driver::child(main_, ids::btnZoomUp));
    send(img_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    send(img_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 40));
    send(img_, WM_LBUTTONUP, 0, MAKELPARAM(60, 40));
    driver::clickAndWait(driver::child(main_, ids::btnZoomDown));
    EXPECT_GT(countDiff(before, shot()), 100);
    driver::clickAndWait(driver::child(main_, ids::btnHome));
    EXPECT_EQ(countDiff(before, shot()), 0);
    // The corner and reverse controls lay the run again in the same window.
    driver::clickAndWait(driver::child(main_, ids::btnReverse));
    const Pixels reversed = shot();
    EXPECT_GT(countDiff(before, reversed), 100);
    driver::clickAndWait(driver::child(main_, ids::btnReverse));
    EXPECT_EQ(countDiff(before, shot()), 0);
    closeWith(main_, ids::btnCancel);
}

TEST_F(Preview, RunOfNoLengthShowsNoPicture) {
    ASSERT_NE(startRun("", "hp2 0 0"), nullptr);
    const Pixels p = shot();
    const unsigned face = GetSysColor(COLOR_BTNFACE);
    const unsigned faceRgb = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
    EXPECT_EQ(p.at(10, 10), faceRgb) << "expected the panel to show through";
    closeWith(main_, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), "");
}

TEST_F(Preview, ImageShrunkToNothingThenBack) {
    ASSERT_NE(startRun(), nullptr);
    const Pixels before = shot();
    RECT panel = driver::clientRectOf(driver::child(main_, ids::pnlImage));
    // Shrink until the panel has no room: the image goes to no height.
    driver::resizeClient(main_, 310, 437 - (panel.bottom - panel.top) + 2);
    driver::MessageBoxInfo box;
    if (proc_->waitMessageBox(box, 3000)) {
        EXPECT_EQ(narrow(box.text), "SetLogWindow Error");
        EXPECT_FALSE(box.hasIcon);
        driver::dismiss(box);
        driver::waitClosed(box.hwnd);
    }
    driver::resizeClient(main_, 310, 437);
    while (proc_->waitMessageBox(box, 500)) {
        driver::dismiss(box);
        driver::waitClosed(box.hwnd);
    }
    driver::settle(main_);
    EXPECT_EQ(countDiff(before, shot()), 0) << "expected the old scale and corner";
    closeWith(main_, ids::btnCancel);
}

}  // namespace
}  // namespace ravo::e2e
