// Walls along the user's own lines: the exe started as the selection and the
// points batch files start it, worked through its window.
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <sstream>
#include <vector>

#include "e2e_support.h"

namespace ravo::e2e {
namespace {

struct Walls : HostFolder {
    HWND startWith(const std::wstring& args) {
        proc_ = start(args);
        HWND main = proc_->waitWindow(ids::kMainClass);
        EXPECT_NE(main, nullptr) << "expected the main window";
        return main;
    }
    // Started on a selection it refuses: the box it shows first (dismissed),
    // then the main window.
    HWND startRefused(driver::MessageBoxInfo& box) {
        proc_ = start(L"/select");
        if (!proc_->waitMessageBox(box, 60000)) {
            ADD_FAILURE() << "expected a message box";
            return nullptr;
        }
        driver::dismiss(box);
        driver::waitClosed(box.hwnd);
        HWND main = proc_->waitWindow(ids::kMainClass);
        EXPECT_NE(main, nullptr) << "expected the main window";
        return main;
    }
    // The 10 × 6 m rectangle found among whatever else the selection holds:
    // laid alone, without a word, and written on OK.
    void expectTheRectangleLaidAlone() {
        HWND main = startWith(L"/select");
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(proc_->noMessageBoxFor(300));
        EXPECT_EQ(count(main), "80枚（コーナー4）  延長 32.800 m");
        closeWith(main, ids::btnOK);
        EXPECT_EQ(resultLines(), 1 + 80 * 20 + 4 * 6);
    }
    std::string count(HWND main) const { return narrow(driver::windowText(driver::child(main, ids::lblCount))); }
    long resultLines() const {
        const std::string r = readFile(L"jwc_temp.txt");
        return std::count(r.begin(), r.end(), '\n');
    }
};

// A selected rectangle (10 m x 6 m) closes into a cofferdam with a corner
// pile at each turn, in place; its start moves round and the count stays.
TEST_F(Walls, SelectedRectangleBecomesACofferdam) {
    writeTemp("hq\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n#\r\n 10000 6000 0 6000\r\n 0 0 10000 0\r\n"
              " 0 6000 0 0\r\n 10000 0 10000 6000\r\n");
    HWND main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(count(main), "80枚（コーナー4）  延長 32.800 m");
    EXPECT_TRUE(IsWindowEnabled(driver::child(main, ids::btnStart)));
    EXPECT_FALSE(IsWindowEnabled(driver::child(main, ids::chkStart))) << "a loop has no ends to turn";
    driver::clickAndWait(driver::child(main, ids::btnStart));
    driver::clickAndWait(driver::child(main, ids::btnDirection));
    EXPECT_EQ(count(main), "80枚（コーナー4）  延長 32.800 m");
    closeWith(main, ids::btnOK);
    // 80 piles of 20 segments and 4 plates of 6.
    EXPECT_EQ(resultLines(), 1 + 80 * 20 + 4 * 6);  // the notice, then the piles
}

// A T-shaped selection: the message names the branch point; nothing is
// laid, and OK hands back nothing.
TEST_F(Walls, BranchedSelectionIsRefusedWithItsPlace) {
    writeTemp("hq\r\n#\r\n 0 0 500 0\r\n 500 0 1000 0\r\n 500 0 500 500\r\n");
    driver::MessageBoxInfo box;
    HWND main = startRefused(box);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(narrow(box.text).rfind("線が分岐しています（500, 0）", 0), 0u) << narrow(box.text);
    EXPECT_FALSE(box.hasIcon);
    EXPECT_EQ(count(main), "0枚");
    closeWith(main, ids::btnOK);
    // The host is told why nothing was drawn, after OK and after Cancel alike.
    const std::string told = driver::encode(L"he" + box.text) + "\r\n";
    EXPECT_EQ(readFile(L"jwc_temp.txt"), told);
    EXPECT_EQ(readFile(L"jwc_temp.txt").rfind(driver::encode(L"he線が分岐しています（500, 0）"), 0), 0u);
    main = startRefused(box);
    ASSERT_NE(main, nullptr);
    closeWith(main, ids::btnCancel);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), told);
}

// Two walls drawn 100 mm apart would drive their piles through each other:
// the selection is refused with the place, and the host is told why.
TEST_F(Walls, WallsTooNearEachOtherAreRefused) {
    writeTemp("hq\r\n#\r\n 0 0 10000 0\r\n 0 100 10000 100\r\n");
    driver::MessageBoxInfo box;
    HWND main = startRefused(box);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(narrow(box.text).rfind("壁どうしが近すぎます（", 0), 0u) << narrow(box.text);
    EXPECT_EQ(count(main), "0枚");
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), driver::encode(L"he" + box.text) + "\r\n");
}

// A whole plan selected by mistake: the rectangle among 300,000 texts is
// laid without a word (texts cost no memory); a hatch of 100,000 lines is
// refused at once with one message, and the host is told why.
TEST_F(Walls, BigSelectionsLayOrRefuseWithOneMessage) {
    std::string texts = "hq\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n";
    for (int i = 0; i < 300000; ++i) texts += "ch 0 0 1 0 \"note\r\n";
    writeTemp(texts);
    expectTheRectangleLaidAlone();

    std::string hatch = "hq\r\n#\r\n";
    for (int i = 0; i < 100000; ++i) hatch += " 0 " + std::to_string(i * 5) + " 10000 " + std::to_string(i * 5) + "\r\n";
    writeTemp(hatch);
    driver::MessageBoxInfo box;
    HWND main = startRefused(box);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(narrow(box.text).rfind("壁どうしが近すぎます（", 0), 0u) << narrow(box.text);
    EXPECT_TRUE(proc_->noMessageBoxFor(300)) << "one message only";
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), driver::encode(L"he" + box.text) + "\r\n");
}

// A circle selected as two half arcs is walked joint by joint: no corner,
// and where it comes back to its lowest point a sliver and a whole pile
// become two closing piles, each half a pile wide or more.
TEST_F(Walls, ArcsAreWalkedWithoutCorners) {
    writeTemp("hq\r\n#\r\nci 0 0 10000 0 180 1 0\r\nci 0 0 10000 180 360 1 0\r\n");
    HWND main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(count(main), "158枚（調整2）  延長 62.828 m");
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 1 + 158 * 20);
}

// The drawn rectangle as the wall's inner face: the joint line 125 outside
// it, so the legs take a pile more each way; the choice is there at the
// next start.
TEST_F(Walls, DrawnLineAsTheInnerFace) {
    const char* temp = "hq\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n";
    writeTemp(temp);
    HWND main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(driver::chooseItem(driver::child(main, ids::cmbFace), 1));
    EXPECT_EQ(count(main), "84枚（コーナー4）  延長 34.400 m");
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 1 + 84 * 20 + 4 * 6);
    writeTemp(temp);
    main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ComboBox_GetCurSel(driver::child(main, ids::cmbFace)), 1);
    EXPECT_EQ(count(main), "84枚（コーナー4）  延長 34.400 m");
    closeWith(main, ids::btnCancel);
}

// Points in order: two of them are the two-point run, byte for byte; an
// open path of three turns one corner.
TEST_F(Walls, PointsInOrder) {
    writeTemp("hq\r\nhp1 100 200\r\nhp2 900 200\r\n");
    HWND main = startToWindow();
    ASSERT_NE(main, nullptr);
    driver::clickAndWait(driver::child(main, ids::chkStart));
    closeWith(main, ids::btnOK);
    const std::string twoPoint = readFile(L"jwc_temp.txt");
    ASSERT_FALSE(twoPoint.empty());
    writeTemp("hq\r\nhp1 100 200\r\nhp2 900 200\r\n");
    main = startWith(L"/points");
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowEnabled(driver::child(main, ids::btnStart)));
    driver::clickAndWait(driver::child(main, ids::chkStart));
    closeWith(main, ids::btnOK);
    EXPECT_EQ(readFile(L"jwc_temp.txt"), twoPoint);

    writeTemp("hq\r\nhp1 0 0\r\nhp2 8000 0\r\nhp3 8000 4000\r\n");
    main = startWith(L"/points");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(count(main), "30枚（コーナー1）  延長 12.200 m");
    EXPECT_TRUE(IsWindowEnabled(driver::child(main, ids::chkEnd)));
    closeWith(main, ids::btnOK);
    EXPECT_EQ(resultLines(), 1 + 30 * 20 + 6);
}

}  // namespace
}  // namespace ravo::e2e

namespace ravo::e2e {
namespace {

// The pile length typed full-width, labels and the quantity table ticked:
// the mass shows at once, OK writes the run, then the table's ruling, the
// user's own text type and the texts in code page 932; all three are there
// at the next start.
TEST_F(Walls, QuantitiesGoIntoTheDrawing) {
    const char* temp =
        "hq\r\nhs 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100\r\n"
        "hcw 2 3 4 5 6 7 8 9 10 11\r\nhch 2 3 4 5 6 7 8 9 10 11\r\nhcd 0 0 0 0 0 0 0 0 0 0\r\n"
        "lg0\r\ncn2\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n";
    writeTemp(temp);
    HWND main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    HWND length = driver::child(main, ids::edtLength);
    SendMessageW(length, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"１０．０"));
    driver::settle(main);
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::lblMass))),
              "質量 48,000.0 kg（L=10.0 m、コーナー板を除く）");
    driver::clickAndWait(driver::child(main, ids::chkLabel));
    driver::clickAndWait(driver::child(main, ids::chkTable));
    closeWith(main, ids::btnOK);
    const std::string result = readFile(L"jwc_temp.txt");
    const size_t texts = result.find("\r\ncn2\r\nch ");
    ASSERT_NE(texts, std::string::npos) << "expected the user's text type before the texts";
    // The notice, 1,624 segments of the wall, then the table's 5 rows and 7
    // columns of ruling.
    EXPECT_EQ(std::count(result.begin(), result.begin() + static_cast<std::ptrdiff_t>(texts), '\n'), 1 + 1624 + 5 + 7 - 1);
    EXPECT_NE(result.find(driver::encode(L"\"SP-III\u3000L=10.0m\u300025枚\r\n")), std::string::npos);
    EXPECT_NE(result.find(driver::encode(L"\"48,000.0\r\n")), std::string::npos);
    EXPECT_EQ(result.find(" hd"), std::string::npos);
    EXPECT_EQ(result.find("\r\nlg"), std::string::npos) << "no attribute the user did not choose";

    writeTemp(temp);
    main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(narrow(driver::windowText(driver::child(main, ids::edtLength))), "１０．０");
    EXPECT_EQ(Button_GetCheck(driver::child(main, ids::chkTable)), BST_CHECKED);
    closeWith(main, ids::btnCancel);
}

}  // namespace
}  // namespace ravo::e2e

namespace ravo::e2e {
namespace {

// A selection as drafters make it: the wall's lines with a dimension figure
// and a block among them. Both are left out; the wall is laid alone.
TEST_F(Walls, DimensionsAndBlocksInTheSelectionAreLeftOut) {
    writeTemp("hq\r\nhs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n"
              "msg\r\n 0 -1000 10000 -1000\r\ncs 4800 -900 400 0 \"10000\r\n"
              "BL 2000 2000 \"mark\r\n 0 0 500 0\r\n 500 0 500 500\r\n#\r\n"
              " 10000 6000 0 6000\r\n 0 6000 0 0\r\n");
    expectTheRectangleLaidAlone();
}

// The L-shaped cofferdam closes with closing piles half a pile wide, one on
// the top leg and three on the left, so that its 90 piles alternate all
// round; each reaches both of its neighbours' interlocks on the axis:
// there, as at every joint of two whole piles, the joint edges of both
// piles end (4 segment ends).
TEST_F(Walls, ClosingPilesCloseTheCofferdam) {
    writeTemp("hq\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 4000\r\n 10000 4000 6000 4000\r\n 6000 4000 6000 8000\r\n"
              " 6000 8000 0 8000\r\n 0 8000 0 0\r\n");
    HWND main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(count(main), "90枚（コーナー6・調整4）  延長 36.400 m");
    closeWith(main, ids::btnOK);
    std::vector<std::array<double, 4>> segs;
    const std::string result = readFile(L"jwc_temp.txt");
    std::istringstream in(result.substr(result.find('\n') + 1));  // after the notice
    for (std::array<double, 4> s; in >> s[0] >> s[1] >> s[2] >> s[3];) segs.push_back(s);
    ASSERT_GT(segs.size(), 1000u);
    auto endsAt = [&](double x, double y) {
        int n = 0;
        for (const auto& s : segs)
            for (int e = 0; e < 2; ++e) n += std::fabs(s[2 * e] - x) < 1e-6 && std::fabs(s[2 * e + 1] - y) < 1e-6;
        return n;
    };
    EXPECT_EQ(endsAt(1000, 8000), 4) << "an ordinary joint";
    // Each closing pile's interlocks: 200 wide, on the top leg and the left one.
    for (auto [x, y] : {std::pair{600.0, 8000.0}, {400.0, 8000.0}, {0.0, 1000.0}, {0.0, 800.0}, {0.0, 600.0}, {0.0, 400.0}})
        EXPECT_EQ(endsAt(x, y), 4) << "the closing pile leaves the wall open at (" << x << ", " << y << ")";
}

// A count line longer than the window was (two circles, each with its
// radius): the window widens so that all of it can be read (the window fits
// its labels to their text in its own font).
TEST_F(Walls, CountLineFitsTheWindow) {
    writeTemp("hq\r\n#\r\nci 0 0 10000\r\nci 30000 0 10000\r\n");
    HWND main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(count(main), "316枚  延長 126.400 m（2 壁）  半径 10.059 m  半径 10.059 m");
    const RECT r = driver::clientRectOf(driver::child(main, ids::lblCount));
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_GT(r.right - r.left, 310) << "the case must need more than the window's first width";
    EXPECT_LE(r.right, client.right) << "expected the whole count line inside the window";
    EXPECT_LE(driver::clientRectOf(driver::child(main, ids::lblMass)).right, client.right);
    closeWith(main, ids::btnCancel);
}

// The labelled, tabled walls of the native golden test (the cofferdam, and
// the half circle drawn as its inner face beside a rectangle): this build
// writes them byte for byte as the native one does.
TEST_F(Walls, LabelledWallsMatchTheNativeBuild) {
    const struct {
        const wchar_t *temp, *golden;
        const char* face;
    } cases[] = {{L"cofferdam_temp.txt", L"golden_cofferdam.txt", "0"}, {L"rounded_temp.txt", L"golden_rounded.txt", "1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.temp));
        writeFile(L"Ravo鋼矢板.ini", std::string("[Settings]\r\nLength=10.0\r\nLabel=1\r\nTable=1\r\nFace=") + c.face + "\r\n");
        writeTemp(driver::readFileBytes(driver::joinPath(Setup::testData, c.temp)));
        HWND main = startWith(L"/select");
        ASSERT_NE(main, nullptr);
        closeWith(main, ids::btnOK);
        const std::string golden = driver::readFileBytes(driver::joinPath(Setup::testData, c.golden));
        ASSERT_FALSE(golden.empty());
        EXPECT_EQ(readFile(L"jwc_temp.txt"), golden);
    }
}

}  // namespace
}  // namespace ravo::e2e

namespace ravo::e2e {
namespace {

// The sheet window: numbers every 5th pile, the elevation from +0.50, the
// annotations on layer 3, each pile one curve: OK writes the notice first,
// the piles wrapped, layer 3 for the texts and the export's layer 5 back
// last; the next start shows the same choices.
TEST_F(Walls, SheetExtrasGoIntoTheDrawing) {
    const char* temp =
        "hq\r\nhs 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100\r\n"
        "hcw 2 3 4 5 6 7 8 9 10 11\r\nhch 2 3 4 5 6 7 8 9 10 11\r\nhcd 0 0 0 0 0 0 0 0 0 0\r\n"
        "lg0\r\nly5\r\ncn2\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n";
    writeFile(L"Ravo鋼矢板.ini", "[Settings]\r\nLength=10.0\r\n");
    writeTemp(temp);
    HWND main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    driver::command(main, ids::btnSheet);
    HWND sheet = proc_->waitWindow(ids::kSheetClass);
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(driver::isChecked(driver::child(sheet, ids::chkNumbers)));  // off by default
    driver::clickAndWait(driver::child(sheet, ids::chkNumbers));
    driver::clickAndWait(driver::child(sheet, ids::chkElevation));
    driver::setText(driver::child(sheet, ids::edtHead), L"+0.50");
    ASSERT_TRUE(driver::chooseItem(driver::child(sheet, ids::cmbLayer), 4));  // "3"
    driver::clickAndWait(driver::child(sheet, ids::chkGroup));
    driver::click(driver::child(sheet, ids::sheetBtnClose));
    ASSERT_TRUE(driver::waitEnabled(main, true));
    closeWith(main, ids::btnOK);
    const std::string r = readFile(L"jwc_temp.txt");
    EXPECT_EQ(r.rfind(driver::encode(L"h#SP-III 80枚（コーナー4） 延長 32.800 m 質量 48.000 t\r\n"), 0), 0u);
    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = r.find(what); at != std::string::npos; at = r.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("\r\npl\r\n"), 80u);
    EXPECT_LT(r.find("\r\nly3\r\n"), r.find("\r\nch "));
    EXPECT_EQ(r.substr(r.size() - 5), "ly5\r\n");
    EXPECT_EQ(count("\"No.5\r\n"), 2u);  // beside its pile and under it in the elevation
    EXPECT_EQ(count(driver::encode(L"\"天端　+0.50\r\n")), 1u);

    writeTemp(temp);
    main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    driver::command(main, ids::btnSheet);
    sheet = proc_->waitWindow(ids::kSheetClass);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(driver::isChecked(driver::child(sheet, ids::chkNumbers)));
    EXPECT_EQ(driver::chosenItem(driver::child(sheet, ids::cmbLayer)), 4);
    EXPECT_EQ(narrow(driver::windowText(driver::child(sheet, ids::edtHead))), "+0.50");
    driver::click(driver::child(sheet, ids::sheetBtnClose));
    ASSERT_TRUE(driver::waitEnabled(main, true));
    closeWith(main, ids::btnCancel);
}

// A number by every pile: each of the 80 stands once beside the wall and
// once under the elevation, none left out, no two beside the wall nearer
// than a pile's pitch.
TEST_F(Walls, NumbersAtEveryPileStandApart) {
    writeFile(L"Ravo鋼矢板.ini", "[Settings]\r\nLength=10.0\r\n");
    writeTemp("hq\r\nhs 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100\r\n"
              "hcw 2 3 4 5 6 7 8 9 10 11\r\nhch 2 3 4 5 6 7 8 9 10 11\r\nhcd 0 0 0 0 0 0 0 0 0 0\r\n"
              "lg0\r\ncn2\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n");
    HWND main = startWith(L"/select");
    ASSERT_NE(main, nullptr);
    driver::command(main, ids::btnSheet);
    HWND sheet = proc_->waitWindow(ids::kSheetClass);
    ASSERT_NE(sheet, nullptr);
    driver::clickAndWait(driver::child(sheet, ids::chkNumbers));
    ASSERT_TRUE(driver::chooseItem(driver::child(sheet, ids::cmbStep), 0));  // every pile
    driver::clickAndWait(driver::child(sheet, ids::chkElevation));
    driver::click(driver::child(sheet, ids::sheetBtnClose));
    ASSERT_TRUE(driver::waitEnabled(main, true));
    EXPECT_EQ(count(main), "80枚（コーナー4）  延長 32.800 m");
    closeWith(main, ids::btnOK);
    std::istringstream in(readFile(L"jwc_temp.txt"));
    std::map<int, int> seen;
    std::vector<std::pair<double, double>> beside;
    for (std::string rec; std::getline(in, rec);) {
        const size_t q = rec.find("\"No.");
        if (rec.rfind("ch ", 0) != 0 || q == std::string::npos) continue;
        const int n = std::atoi(rec.c_str() + q + 4);
        std::istringstream at(rec.substr(3));
        double x = 0, y = 0;
        at >> x >> y;
        if (++seen[n] == 1) beside.push_back({x, y});
    }
    ASSERT_EQ(seen.size(), 80u);
    for (const auto& [n, times] : seen) EXPECT_EQ(times, 2) << "No." << n;
    for (size_t i = 0; i < beside.size(); ++i)
        for (size_t j = i + 1; j < beside.size(); ++j)
            EXPECT_GE(std::hypot(beside[i].first - beside[j].first, beside[i].second - beside[j].second), 399.0)
                << "No." << i + 1 << " and No." << j + 1;
}

}  // namespace
}  // namespace ravo::e2e
