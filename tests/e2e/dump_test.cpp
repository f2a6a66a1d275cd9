// The host's export read through the real exe, seen in the dump window.
#include <sstream>
#include <vector>

#include "e2e_support.h"

namespace ravo::e2e {
namespace {

using driver::MessageBoxInfo;

std::vector<std::wstring> memoLines(HWND memo) {
    std::vector<std::wstring> out;
    std::wstring t = driver::longText(memo);
    size_t b = 0;
    for (size_t e; (e = t.find(L"\r\n", b)) != std::wstring::npos; b = e + 2) out.push_back(t.substr(b, e - b));
    if (b < t.size()) out.push_back(t.substr(b));
    return out;
}

// Opens the dump window through the hidden button and lists gin `gin`.
HWND openDump(driver::Process& proc, HWND main, const std::wstring& gin) {
    driver::command(main, ids::btnDump);
    HWND dump = proc.waitWindow(ids::kDumpClass);
    EXPECT_NE(dump, nullptr) << "expected the dump window";
    if (!dump) return nullptr;
    EXPECT_EQ(narrow(driver::windowText(dump)), "DUMP");
    EXPECT_FALSE(IsWindowEnabled(main)) << "expected the dump window to be modal";
    driver::setText(driver::child(dump, ids::cmbNGin), gin);
    driver::click(driver::child(dump, ids::dumpBtnDump));  // a box may follow
    return dump;
}

TEST_F(HostFolder, JapaneseHeaderAndPointsShowInTheDump) {
    const std::wstring exportText =
        L"hq\r\nhs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\r\nhp1 100 200\r\nhp2 900 200\r\nhp5 -1.5 2.25\r\n"
        L"lg2\r\nlgn壁\r\nly5\r\nlyn鋼矢板\r\nlc3\r\nlt2\r\n#\r\n0 0 10 10\r\nch 0 0 1 0 \"文字\"\r\n";
    writeTemp(driver::encode(exportText));
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    HWND dump = openDump(*proc_, main, L"0");
    ASSERT_NE(dump, nullptr);
    driver::settle(dump);
    HWND memo = driver::child(dump, ids::Memo1);
    ASSERT_TRUE(driver::clickAndWait(driver::child(dump, ids::dumpBtnDump)));
    EXPECT_TRUE(driver::isVisible(memo));
    const auto lines = memoLines(memo);
    ASSERT_GT(lines.size(), 165u + 1 + 257);
    EXPECT_EQ(narrow(lines[0]), "Common==============================");
    EXPECT_EQ(narrow(lines[2]), "[1]:2");
    EXPECT_EQ(narrow(lines[17]), "[16]:0");
    EXPECT_EQ(narrow(lines[66]), "[1]: x = 100,y = 200");
    EXPECT_EQ(narrow(lines[70]), "[5]: x = -1.5,y = 2.25");
    EXPECT_EQ(narrow(lines[165]), "データ==============================");
    // Gin 0 holds the laid run now: two piles of the shipped outline, stamped
    // with the host's last attributes.
    const size_t names = lines.size() - 257;
    EXPECT_EQ(narrow(lines[names]), "レイヤグループ名---------");
    EXPECT_EQ(narrow(lines[names + 1 + 2 * 16 + 5]), "[壁][鋼矢板]");
    EXPECT_EQ(narrow(lines[names + 1 + 2 * 16 + 4]), "[壁][]");
    ASSERT_GT(names, 166u);
    EXPECT_EQ(narrow(lines[166].substr(0, 12)), "  0:LINE    ");
    EXPECT_NE(lines[166].find(L" : LT =  2 : LG =  2 : LY =  5 : CL =   3"), std::wstring::npos) << narrow(lines[166]);
    // Gin 1: the ordinary outline, without the header section.
    driver::setText(driver::child(dump, ids::cmbNGin), L"1");
    driver::clickAndWait(driver::child(dump, ids::dumpBtnDump));
    const auto gin1 = memoLines(memo);
    EXPECT_EQ(narrow(gin1[0]), "データ==============================");
    EXPECT_EQ(narrow(gin1[1]), "  0:LINE        X1 =     0.0 ,Y1 =     0.0 ,X2 =     0.0 ,Y2 =     8.0 ,L =     8.0  : n =  1 : LT =  2 : LG =  2 : LY =  5 : CL =   3");
    driver::click(driver::child(dump, ids::dumpBtnCancel));
    EXPECT_TRUE(driver::waitEnabled(main, true)) << "expected the main window back after the dump closes";
    EXPECT_FALSE(IsWindowVisible(dump));
    closeWith(main, ids::btnCancel);
}

TEST_F(HostFolder, GinNumberThatIsNoIntegerIsReported) {
    writeTemp("hq\r\nhp1 0 0\r\nhp2 800 0\r\n");
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    HWND dump = openDump(*proc_, main, L"x");
    ASSERT_NE(dump, nullptr);
    MessageBoxInfo box;
    ASSERT_TRUE(proc_->waitMessageBox(box));
    EXPECT_EQ(narrow(box.text), "'x' は整数ではありません.");
    EXPECT_TRUE(box.hasIcon);
    driver::dismiss(box);
    driver::waitClosed(box.hwnd);
    driver::settle(dump);
    HWND memo = driver::child(dump, ids::Memo1);
    EXPECT_TRUE(driver::isVisible(memo));
    EXPECT_EQ(driver::longText(memo), L"");
    // A number past the store lists the sections and nothing else.
    driver::setText(driver::child(dump, ids::cmbNGin), L"11");
    driver::clickAndWait(driver::child(dump, ids::dumpBtnDump));
    EXPECT_EQ(memoLines(memo).size(), 1u + 257);
    driver::click(driver::child(dump, ids::dumpBtnCancel));
    EXPECT_TRUE(driver::waitEnabled(main, true));
    closeWith(main, ids::btnCancel);
}

TEST_F(HostFolder, BadNumberInTheExportIsReportedAndTheWindowStays) {
    writeTemp("hq\r\nhp1 0 0\r\nhp2 800 0\r\n#\r\n1 2 3 4\r\n1 2 3.5.1 4\r\n");
    proc_ = start();
    MessageBoxInfo box;
    ASSERT_TRUE(proc_->waitMessageBox(box));
    EXPECT_EQ(narrow(box.text), "'3.5.1' は浮動小数点数ではありません.");
    EXPECT_EQ(narrow(box.caption), "Ravo鋼矢板");
    EXPECT_TRUE(box.hasIcon);
    driver::dismiss(box);
    HWND main = proc_->waitWindow(ids::kMainClass);
    ASSERT_NE(main, nullptr) << "expected the window to stay open";
    // OK hands the host no run (none was laid), only why.
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), driver::encode(L"he" + box.text) + "\r\n");
}

}  // namespace
}  // namespace ravo::e2e
