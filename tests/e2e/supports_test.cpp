// The supports inside a cofferdam, chosen in their own window: what OK
// draws and what the sheet window copies.
#include <windowsx.h>

#include <sstream>
#include <vector>

#include "e2e_support.h"

namespace ravo::e2e {
namespace {

struct Supports : HostFolder {
    HWND startSelected() {
        proc_ = start(L"/select");
        HWND main = proc_->waitWindow(ids::kMainClass);
        EXPECT_NE(main, nullptr) << "expected the main window";
        return main;
    }
    HWND open(HWND main, int button, const wchar_t* cls) {
        driver::command(main, button);
        HWND w = proc_->waitWindow(cls);
        EXPECT_NE(w, nullptr) << "expected the window of button " << button;
        return w;
    }
    void close(HWND main, HWND window, int button) {
        driver::click(driver::child(window, button));
        EXPECT_TRUE(driver::waitEnabled(main, true));
    }
    std::string text(HWND window, int id) const { return narrow(driver::windowText(driver::child(window, id))); }
};

std::vector<std::string> cellsOf(const std::string& row) {
    std::vector<std::string> cells;
    std::istringstream in(row);
    for (std::string cell; std::getline(in, cell, '\t');) cells.push_back(cell);
    return cells;
}

// The demo's 10 × 6 m cofferdam with supports at 1.0 and 4.0 m of H-300,
// bays up to 5.0 m and braces of 1.5 m, L typed and the table ticked: OK's
// notice weighs the supports, the drawing holds their label and their rows,
// the sheet window copies the same table as tab-separated text, and the
// next start shows the same choices.
TEST_F(Supports, CofferdamWithSupportsDrawnAndCopied) {
    const char* temp =
        "hq\r\nhs 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100\r\n"
        "hcw 2 3 4 5 6 7 8 9 10 11\r\nhch 2 3 4 5 6 7 8 9 10 11\r\nhcd 0 0 0 0 0 0 0 0 0 0\r\n"
        "lg0\r\ncn2\r\n#\r\n 0 0 10000 0\r\n 10000 0 10000 6000\r\n 10000 6000 0 6000\r\n 0 6000 0 0\r\n";
    writeTemp(temp);
    HWND main = startSelected();
    ASSERT_NE(main, nullptr);
    driver::setText(driver::child(main, ids::edtLength), L"10");
    driver::clickAndWait(driver::child(main, ids::chkTable));

    HWND supports = open(main, ids::btnSupports, ids::kSupportsClass);
    ASSERT_NE(supports, nullptr);
    EXPECT_FALSE(driver::isChecked(driver::child(supports, ids::chkSupports)));  // off by default
    HWND member = driver::child(supports, ids::cmbMember);
    EXPECT_EQ(narrow(driver::windowText(member)), "H-300×300×10×15");
    EXPECT_EQ(text(supports, ids::edtSpacing), "5.0");
    EXPECT_EQ(text(supports, ids::edtBrace), "1.5");
    driver::clickAndWait(driver::child(supports, ids::chkSupports));
    driver::setText(driver::child(supports, ids::edtLevels), L"1.0 4.0");
    ASSERT_TRUE(driver::chooseItem(member, driver::chosenItem(member)));
    EXPECT_EQ(text(supports, ids::lblSupportsNote).find('\n'), std::string::npos) << "expected no fault in the note";
    close(main, supports, ids::supportsBtnClose);

    HWND sheet = open(main, ids::btnSheet, ids::kSheetClass);
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(driver::clickAndWait(driver::child(sheet, ids::sheetBtnCopy)));
    const std::string copied = narrow(driver::clipboardText());
    close(main, sheet, ids::sheetBtnClose);
    std::vector<std::string> wales;
    std::istringstream rows(copied);
    for (std::string row; std::getline(rows, row);) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.rfind("腹起し\t", 0) == 0) wales = cellsOf(row);
    }
    ASSERT_GE(wales.size(), 7u) << copied;
    EXPECT_EQ(wales[2], "30.600") << copied;
    EXPECT_EQ(wales[3], "2") << copied;
    EXPECT_EQ(wales.back(), "5691.6") << copied;

    closeWith(main, ids::btnOK);
    const std::string r = readFile(L"jwc_temp.txt");
    const std::string notice = r.substr(0, r.find("\r\n"));
    const std::string weighed = driver::encode(L" 支保工 7.949 t");
    ASSERT_GE(notice.size(), weighed.size());
    EXPECT_EQ(notice.substr(notice.size() - weighed.size()), weighed);
    // The wale along the piles' inner face (the joint line 125 mm in) and
    // the strut across its middle, drawn once for both levels.
    EXPECT_NE(r.find("\r\n125 125 10075 125\r\n"), std::string::npos) << "expected the wale";
    EXPECT_NE(r.find("\r\n4950 425 4950 5775\r\n"), std::string::npos) << "expected the strut";
    EXPECT_NE(r.find(driver::encode(L"\"腹起し・切ばり H-300×300×10×15")), std::string::npos) << "expected the label";
    EXPECT_NE(r.find(driver::encode(L"\"腹起し\r\n")), std::string::npos) << "expected the wales' row";

    writeTemp(temp);
    main = startSelected();
    ASSERT_NE(main, nullptr);
    supports = open(main, ids::btnSupports, ids::kSupportsClass);
    ASSERT_NE(supports, nullptr);
    EXPECT_TRUE(driver::isChecked(driver::child(supports, ids::chkSupports)));
    EXPECT_EQ(text(supports, ids::edtLevels), "1.0 4.0");
    close(main, supports, ids::supportsBtnClose);
    closeWith(main, ids::btnCancel);
}

}  // namespace
}  // namespace ravo::e2e
