// Program start, the show sequence's ways out, and the main window's layout.
#include "e2e_support.h"
#include "core/view.h"

namespace ravo::e2e {
namespace {

using driver::MessageBoxInfo;

const std::wstring kStartMessage =
    L"このプログラムはJWW外部変形用実行ファイルです。\n\rJWWの外部変形から[Ravo鋼矢板.bat]ファイルを実行して下さい。";

const char* kTwoPiles = "hq\r\nhp1 1000 2000\r\nhp2 1800 2000\r\n";

TEST_F(HostFolder, WithoutHostFileTellsToStartFromHostAndEnds) {
    proc_ = start();
    MessageBoxInfo box;
    ASSERT_TRUE(proc_->waitMessageBox(box)) << "expected the start-from-host message";
    EXPECT_EQ(narrow(box.caption), "Ravo鋼矢板");
    EXPECT_EQ(narrow(box.text), narrow(kStartMessage));
    EXPECT_FALSE(box.hasIcon) << "expected no icon";
    ASSERT_EQ(box.buttons.size(), 1u);
    EXPECT_EQ(narrow(box.buttons[0]), "OK");
    driver::dismiss(box);
    DWORD code = 1234;
    ASSERT_TRUE(proc_->waitExit(15000, &code)) << "expected the program to end";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(exists(L"jwc_temp.txt")) << "expected no jwc_temp.txt to be created";
}

TEST_F(HostFolder, StaleResultIsEmptiedBeforeTheMessageShows) {
    writeFile(L"jwc_temp.txt", "1 2 3 4\r\n");
    proc_ = start();
    MessageBoxInfo box;
    ASSERT_TRUE(proc_->waitMessageBox(box));
    EXPECT_TRUE(exists(L"jwc_temp.txt"));
    EXPECT_EQ(readFile(L"jwc_temp.txt"), "") << "expected the stale result emptied while the message shows";
    driver::dismiss(box);
    EXPECT_TRUE(proc_->waitExit(15000));
}

TEST_F(HostFolder, CaptionAndCancelLeavesResultEmpty) {
    writeFile(L"jwc_temp.txt", "stale\r\n");
    writeTemp(kTwoPiles);
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(narrow(driver::windowText(main)), "Ravo鋼矢板\u3000ver1.00");
    EXPECT_TRUE(proc_->noMessageBoxFor(300)) << "expected no message box";
    closeWith(main, ids::btnCancel);
    EXPECT_TRUE(exists(L"jwc_temp.txt"));
    EXPECT_EQ(readFile(L"jwc_temp.txt"), "");
}

TEST_F(HostFolder, CancelWithoutResultFileCreatesNone) {
    writeTemp(kTwoPiles);
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    closeWith(main, ids::btnCancel);
    EXPECT_FALSE(exists(L"jwc_temp.txt"));
}

struct Expected {
    int id;
    const char* caption;
    int left, top, width, height;
    bool visible;
};

// At 96 dpi, the positions of the layout table; the image as the first
// show sizes it (the panel's outer size less 5).
TEST_F(HostFolder, ControlsMatchTheLayoutTable) {
    writeTemp(kTwoPiles);
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 310);
    EXPECT_EQ(client.bottom, 437);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE));
    EXPECT_FALSE(style & WS_SYSMENU) << "expected no border icons";
    EXPECT_TRUE(style & WS_THICKFRAME) << "expected a sizeable frame";
    const Expected table[] = {
        {ids::pnlImage, "", 8, 8, 294, 234, true},
        {ids::chkStart, "起点", 52, 318, 45, 17, true},
        {ids::chkEnd, "終点", 103, 318, 50, 17, true},
        {ids::btnReverse, "反転", 159, 318, 49, 25, true},
        {ids::btnZoomUp, "+", 214, 318, 25, 25, true},
        {ids::btnZoomDown, "-", 245, 318, 25, 25, true},
        {ids::btnHome, "H", 276, 318, 25, 25, true},
        {ids::btnStart, "始点移動", 8, 347, 56, 25, true},
        {ids::btnDirection, "逆方向", 66, 347, 50, 25, true},
        {ids::chkLabel, "ラベル", 186, 351, 54, 17, true},
        {ids::chkTable, "数量表", 242, 351, 60, 17, true},
        {ids::edtLength, "", 212, 258, 54, 21, true},
        {ids::btnSheet, "作図", 8, 378, 60, 25, true},
        {ids::btnSupports, "支保工", 74, 378, 60, 25, true},
        {ids::btnDump, "Dump", 96, 409, 57, 25, false},
        {ids::btnOK, "OK", 182, 409, 57, 25, true},
        {ids::btnCancel, "キャンセル", 245, 409, 57, 25, true},
    };
    for (const Expected& e : table) {
        HWND c = driver::child(main, e.id);
        ASSERT_NE(c, nullptr) << "control " << e.id;
        RECT r = driver::clientRectOf(c);
        EXPECT_EQ(narrow(driver::windowText(c)), e.caption) << "control " << e.id;
        EXPECT_EQ(r.left, e.left) << "control " << e.id;
        EXPECT_EQ(r.top, e.top) << "control " << e.id;
        EXPECT_EQ(r.right - r.left, e.width) << "control " << e.id;
        EXPECT_EQ(r.bottom - r.top, e.height) << "control " << e.id;
        EXPECT_EQ(driver::isVisible(c), e.visible) << "control " << e.id;
    }
    HWND img = driver::child(main, ids::imgGin);
    ASSERT_NE(img, nullptr);
    RECT ir = driver::clientRectOf(img);
    EXPECT_EQ(ir.left, 0);
    EXPECT_EQ(ir.top, 0);
    EXPECT_EQ(ir.right - ir.left, ravo::kImageWidth);
    EXPECT_EQ(ir.bottom - ir.top, ravo::kImageHeight);
    HWND label = driver::child(main, ids::Label1);
    EXPECT_EQ(narrow(driver::windowText(label)), "コーナー");
    RECT lr = driver::clientRectOf(label);
    EXPECT_EQ(lr.left, 8);
    EXPECT_EQ(lr.top, 318);
    RECT ur = driver::clientRectOf(driver::child(main, ids::lblURL));
    EXPECT_EQ(ur.left, 8);
    EXPECT_EQ(ur.top, 416);
    // The section row under the preview, the list next after the image in
    // tab order.
    RECT tr = driver::clientRectOf(driver::child(main, ids::lblType));
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblType))), "型式");
    EXPECT_EQ(tr.left, 8);
    EXPECT_EQ(tr.top, 261);
    HWND types = driver::child(main, ids::cmbType);
    RECT cr = driver::clientRectOf(types);
    EXPECT_EQ(cr.left, 40);
    EXPECT_EQ(cr.top, 258);
    EXPECT_EQ(cr.right - cr.left, 150);
    EXPECT_EQ(GetNextDlgTabItem(main, driver::child(main, ids::btnCancel), FALSE), types);
    // The count line on a row of its own, the whole width.
    HWND count = driver::child(main, ids::lblCount);
    EXPECT_EQ(narrow(driver::windowText(count)), "2枚  延長 0.800 m");
    RECT nr = driver::clientRectOf(count);
    EXPECT_EQ(nr.left, 8);
    EXPECT_EQ(nr.top, 283);
    // No pile length yet: the mass line says how to get one.
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblMass))), "質量: 矢板長 L（m）を入れると計算します");
    // The two-point run has no path to start elsewhere on.
    EXPECT_FALSE(IsWindowEnabled(driver::child(main, ids::btnStart)));
    EXPECT_FALSE(IsWindowEnabled(driver::child(main, ids::btnDirection)));
    EXPECT_FALSE(IsWindowEnabled(driver::child(main, ids::cmbFace)));
    EXPECT_TRUE(IsWindowEnabled(driver::child(main, ids::chkStart)));
    closeWith(main, ids::btnCancel);
}

TEST_F(HostFolder, ResizeKeepsAnchoredControlsInPlace) {
    writeTemp(kTwoPiles);
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(driver::resizeClient(main, 500, 400));
    RECT client{};
    GetClientRect(main, &client);
    ASSERT_EQ(client.right, 500);
    ASSERT_EQ(client.bottom, 400);
    // Bottom right: same distances to the right and bottom edges.
    RECT ok = driver::clientRectOf(driver::child(main, ids::btnOK));
    EXPECT_EQ(ok.left, 182 + 190);
    EXPECT_EQ(ok.top, 409 - 37);
    RECT cancel = driver::clientRectOf(driver::child(main, ids::btnCancel));
    EXPECT_EQ(cancel.right, 500 - 8);
    EXPECT_EQ(cancel.bottom, 400 - 3);
    // Bottom left: same left, same distance to the bottom.
    RECT home = driver::clientRectOf(driver::child(main, ids::btnHome));
    EXPECT_EQ(home.left, 276);
    EXPECT_EQ(home.top, 318 - 37);
    // The panel and the image grow with the window.
    RECT panel = driver::clientRectOf(driver::child(main, ids::pnlImage));
    EXPECT_EQ(panel.right - panel.left, 294 + 190);
    EXPECT_EQ(panel.bottom - panel.top, 234 - 37);
    RECT img = driver::clientRectOf(driver::child(main, ids::imgGin));
    EXPECT_EQ(img.right - img.left, ravo::kImageWidth + 190);
    EXPECT_EQ(img.bottom - img.top, 229 - 37);
    closeWith(main, ids::btnCancel);
}

}  // namespace
}  // namespace ravo::e2e
