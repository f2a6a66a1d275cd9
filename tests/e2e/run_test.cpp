// Laying the run and handing it to the host, through the real windows.
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "e2e_support.h"

namespace ravo::e2e {
namespace {

using driver::MessageBoxInfo;

struct Seg {
    double x1, y1, x2, y2;
};

std::vector<Seg> outline(const std::wstring& file) {
    std::istringstream in(driver::readFileBytes(driver::joinPath(Setup::data, file)));
    std::vector<Seg> segs;
    Seg s;
    while (in >> s.x1 >> s.y1 >> s.x2 >> s.y2) segs.push_back(s);
    return segs;
}

// Numbers as the host reads them, for values without exponent: at most 15
// significant digits, no trailing zeros, "0" for either zero.
std::string num(double v) {
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string lines(const std::vector<Seg>& segs) {
    std::string out;
    for (const Seg& s : segs) out += num(s.x1) + " " + num(s.y1) + " " + num(s.x2) + " " + num(s.y2) + "\r\n";
    return out;
}

// hp1 (100, 200) to hp2 (900, 200): two piles at 0 and 400, angle 0; with
// "起点" the first takes the start corner, the second the mirrored pile.
TEST_F(HostFolder, TypicalRunWithStartCornerReachesTheHostByteForByte) {
    writeTemp("hq\r\nhp1 100 200\r\nhp2 900 200\r\n");
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    HWND chk = driver::child(main, ids::chkStart);
    driver::clickAndWait(chk);
    EXPECT_TRUE(driver::isChecked(chk));
    closeWith(main, ids::btnOK);

    std::vector<Seg> want;
    for (Seg s : outline(L"pile_l.dat")) want.push_back({s.x1 + 100, s.y1 + 200, s.x2 + 100, s.y2 + 200});
    for (Seg s : outline(L"pile_n.dat")) want.push_back({s.x1 + 400 + 100, -s.y1 + 200, s.x2 + 400 + 100, -s.y2 + 200});
    const std::string got = readFile(L"jwc_temp.txt");
    EXPECT_EQ(got, lines(want));
    EXPECT_FALSE(temporaryLeft());
}

// OK refused (a read-only result), then "起点" ticked: the next OK hands the
// run as laid then, moved onto hp1 once.
TEST_F(HostFolder, FailedOkThenStartCornerHandsTheNewRunAtHp1) {
    writeTemp("hq\r\nhp1 100 200\r\nhp2 900 200\r\n");
    writeFile(L"jwc_temp.txt", "");
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    SetFileAttributesW(path(L"jwc_temp.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    okRefusedWith(main, "I/O エラー 103.");
    SetFileAttributesW(path(L"jwc_temp.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    driver::clickAndWait(driver::child(main, ids::chkStart));
    closeWith(main, ids::btnOK);

    std::vector<Seg> want;
    for (Seg s : outline(L"pile_l.dat")) want.push_back({s.x1 + 100, s.y1 + 200, s.x2 + 100, s.y2 + 200});
    for (Seg s : outline(L"pile_n.dat")) want.push_back({s.x1 + 400 + 100, -s.y1 + 200, s.x2 + 400 + 100, -s.y2 + 200});
    EXPECT_EQ(readFile(L"jwc_temp.txt"), lines(want));
}

// The same bytes as the native build writes for the same run.
TEST_F(HostFolder, DiagonalRunMatchesTheNativeBuild) {
    writeTemp("hq\r\nhp1 123.456 -78.9\r\nhp2 4567.891 3210.123\r\n");
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    driver::clickAndWait(driver::child(main, ids::chkStart));
    driver::clickAndWait(driver::child(main, ids::btnReverse));
    closeWith(main, ids::btnOK);
    const std::string golden = driver::readFileBytes(driver::joinPath(Setup::testData, L"golden_diagonal.txt"));
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(readFile(L"jwc_temp.txt"), golden);
}

// A run is laid from all its outlines or not at all: with one missing, no
// pile is counted, ticking a corner lays nothing, OK hands back nothing.
TEST_F(HostFolder, MissingCornerFileIsReportedAndNothingIsLaid) {
    DeleteFileW(path(L"data\\pile_l.dat").c_str());
    writeTemp("hq\r\nhp1 0 0\r\nhp2 1200 0\r\n");
    proc_ = start();
    MessageBoxInfo box;
    ASSERT_TRUE(proc_->waitMessageBox(box));
    EXPECT_EQ(narrow(box.text), "指定されたファイルが見つかりません.");
    EXPECT_EQ(narrow(box.caption), "Ravo鋼矢板");
    EXPECT_TRUE(box.hasIcon) << "expected the stop icon";
    driver::dismiss(box);
    HWND main = proc_->waitWindow(ids::kMainClass);
    ASSERT_NE(main, nullptr) << "expected the window to stay";
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblCount))), "0枚");
    driver::clickAndWait(driver::child(main, ids::chkStart));
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblCount))), "0枚");
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), driver::encode(L"he指定されたファイルが見つかりません.\r\n"));
}

TEST_F(HostFolder, ResultThatCannotBeWrittenKeepsTheWindowAndMovesOnce) {
    writeTemp("hq\r\nhp1 100 200\r\nhp2 500 200\r\n");
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    writeFile(L"jwc_temp.txt", "");
    SetFileAttributesW(path(L"jwc_temp.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    for (int attempt = 0; attempt < 2; ++attempt) {
        driver::click(driver::child(main, ids::btnOK));
        MessageBoxInfo box;
        ASSERT_TRUE(proc_->waitMessageBox(box));
        EXPECT_EQ(narrow(box.text), "I/O エラー 103.");
        EXPECT_TRUE(box.hasIcon);
        driver::dismiss(box);
        ASSERT_TRUE(driver::waitClosed(box.hwnd));
        EXPECT_TRUE(proc_->running()) << "expected the window to stay open";
        EXPECT_EQ(readFile(L"jwc_temp.txt"), "");
    }
    SetFileAttributesW(path(L"jwc_temp.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    closeWith(main, ids::btnOK);
    std::vector<Seg> want;
    for (Seg s : outline(L"pile_n.dat")) want.push_back({s.x1 + 100, s.y1 + 200, s.x2 + 100, s.y2 + 200});
    EXPECT_EQ(readFile(L"jwc_temp.txt"), lines(want));  // at hp1, not shifted twice
}

}  // namespace
}  // namespace ravo::e2e
