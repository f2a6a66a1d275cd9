// Sections chosen in the window, and the settings file that remembers them.
#include <sstream>

#include "e2e_support.h"

namespace ravo::e2e {
namespace {

constexpr int kIII = 1, kIIw = 5, k10H = 8, k25H = 9;
const std::wstring kIni = L"Ravo鋼矢板.ini";

std::vector<std::string> resultLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

struct Sections : HostFolder {
    // hp1 (100, 200) to hp2 (1900, 200): 1800 long.
    void writeRun() const { writeTemp("hq\r\nhp1 100 200\r\nhp2 1900 200\r\n"); }
    bool noBoxWithin(DWORD ms) const {
        driver::MessageBoxInfo box;
        return !driver::waitMessageBoxOf(proc_->pid(), box, ms);
    }
};

// A hat section: two piles facing the same way, one pitch (900) apart; the
// choice is written to a new settings file and is there at the next start.
TEST_F(Sections, HatSectionIsLaidAndRemembered) {
    writeRun();
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    HWND types = driver::child(main, ids::cmbType);
    EXPECT_EQ(driver::chosenItem(types), kIII);
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblCount))), "5枚  延長 2.000 m（指示 1.800 m）");
    ASSERT_TRUE(driver::chooseItem(types, k25H));
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblCount))), "2枚  延長 1.800 m");
    closeWith(main, ids::btnOK);

    const std::string outline = driver::readFileBytes(path(L"data\\25H\\pile_n.dat"));
    const auto perPile = resultLines(outline).size();
    const auto got = resultLines(readFile(L"jwc_temp.txt"));
    ASSERT_EQ(got.size(), 2 * perPile + 1);  // and the last pile's end edge
    // 0 0 0 13.2 at hp1; the second pile the same, 900 on.
    EXPECT_EQ(firstLine(outline), "0 0 0 13.2");
    EXPECT_EQ(got[0], "100 200 100 213.2\r");
    EXPECT_EQ(got[perPile], "1000 200 1000 213.2\r");

    const std::string ini = readFile(kIni);
    ASSERT_GE(ini.size(), 2u);
    EXPECT_EQ(ini.substr(0, 2), "\xFF\xFE");  // UTF-16
    writeRun();
    main = startToWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(driver::chosenItem(driver::child(main, ids::cmbType)), k25H);
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblCount))), "2枚  延長 1.800 m");
    closeWith(main, ids::btnCancel);
}

// Garbage in the settings file: the default section, no message.
TEST_F(Sections, GarbageSettingsGiveTheDefault) {
    std::string junk = "\xFF\xFE[Settings]\r\nType=\x01\x02\xFE\xFF";
    for (int i = 0; i < 500; ++i) junk += static_cast<char>((i * 37) & 0xFF);
    writeFile(kIni, junk);
    writeRun();
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(noBoxWithin(500));
    EXPECT_EQ(driver::chosenItem(driver::child(main, ids::cmbType)), kIII);
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(readFile(L"jwc_temp.txt")).size(), 5u * 20u);
}

// A read-only settings file: its section is chosen; choosing another works
// and shows nothing, and the file stays as it was.
TEST_F(Sections, ReadOnlySettingsAreReadAndLeftAlone) {
    const std::string ini = "[Settings]\r\nType=IIw\r\n";
    writeFile(kIni, ini);
    SetFileAttributesW(path(kIni).c_str(), FILE_ATTRIBUTE_READONLY);
    writeRun();
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    HWND types = driver::child(main, ids::cmbType);
    EXPECT_EQ(driver::chosenItem(types), kIIw);
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblCount))), "3枚  延長 1.800 m");
    ASSERT_TRUE(driver::chooseItem(types, k10H));
    EXPECT_TRUE(noBoxWithin(500));
    closeWith(main, ids::btnOK);
    SetFileAttributesW(path(kIni).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFile(kIni), ini);
    const auto perPile = resultLines(driver::readFileBytes(path(L"data\\10H\\pile_n.dat"))).size();
    EXPECT_EQ(resultLines(readFile(L"jwc_temp.txt")).size(), 2 * perPile + 1);
}

}  // namespace
}  // namespace ravo::e2e
