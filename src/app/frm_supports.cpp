#include "frm_supports.h"

#include <cstdint>
#include <optional>

#include <windowsx.h>

#include "app.h"
#include "busy.h"
#include "control_ids.h"
#include "scoped_gdi.h"

namespace ravo {

namespace {

constexpr int kClientWidth = 320, kClientHeight = 288;
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kCheck = WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kEdit = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kList = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr unsigned LT = kAnchorLeft | kAnchorTop;
constexpr unsigned LB = kAnchorLeft | kAnchorBottom;
constexpr unsigned ALL = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom;

// In tab order; the list's height holds its drop-down. The note grows with
// the window when its lines need more room.
const ControlSpec kControls[] = {
    {ids::chkSupports, 0, L"BUTTON", L"支保工を作図", kCheck, 0, 8, 11, 120, 17, LT, true},
    {ids::lblLevels, 0, L"STATIC", L"段", SS_LEFT, 0, 8, 42, 14, 13, LT, true, Fit::Text},
    {ids::edtLevels, 0, L"EDIT", L"", kEdit, 0, 50, 38, 150, 21, LT, true},
    {ids::lblLevelsMetre, 0, L"STATIC", L"m", SS_LEFT, 0, 204, 42, 10, 13, LT, true, Fit::Text},
    {ids::lblMember, 0, L"STATIC", L"部材", SS_LEFT, 0, 8, 71, 26, 13, LT, true, Fit::Text},
    {ids::cmbMember, 0, L"COMBOBOX", L"", kList, 0, 50, 67, 150, 200, LT, true},
    {ids::lblSpacing, 0, L"STATIC", L"間隔", SS_LEFT, 0, 8, 100, 26, 13, LT, true, Fit::Text},
    {ids::edtSpacing, 0, L"EDIT", L"", kEdit, 0, 50, 96, 60, 21, LT, true},
    {ids::lblSpacingMetre, 0, L"STATIC", L"m", SS_LEFT, 0, 114, 100, 10, 13, LT, true, Fit::Text},
    {ids::lblBrace, 0, L"STATIC", L"火打ち", SS_LEFT, 0, 8, 129, 38, 13, LT, true, Fit::Text},
    {ids::edtBrace, 0, L"EDIT", L"", kEdit, 0, 50, 125, 60, 21, LT, true},
    {ids::lblBraceMetre, 0, L"STATIC", L"m", SS_LEFT, 0, 114, 129, 10, 13, LT, true, Fit::Text},
    {ids::lblSupportsNote, 0, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0, 8, 156, 304, 91, ALL, true},
    {ids::supportsBtnClose, 0, L"BUTTON", L"閉じる", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 247, 255, 65, 25, LB, true},
};

// What the boxes hold where nothing is remembered: the guide's first level,
// the wales' bay and the braces' leg.
constexpr const wchar_t* kDefaultLevels = L"1.0";
constexpr const wchar_t* kDefaultSpacing = L"5.0";
constexpr const wchar_t* kDefaultBrace = L"1.5";

}  // namespace

bool TfrmSupports::create() {
    if (!registerClass(ids::kSupportsClass, 0, GetSysColorBrush(COLOR_BTNFACE))) return false;
    RECT wr{0, 0, scale_(kClientWidth), scale_(kClientHeight)};
    AdjustWindowRectEx(&wr, kFrameStyle, FALSE, 0);
    if (!CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, ids::kSupportsClass, L"支保工", kFrameStyle,
                         CW_USEDEFAULT, CW_USEDEFAULT, wr.right - wr.left, wr.bottom - wr.top, nullptr, nullptr,
                         GetModuleHandleW(nullptr), this))
        return false;
    layout_.create(hwnd_, kControls, std::size(kControls), scale_, font_.get(), kClientWidth, kClientHeight);
    HWND members = control(ids::cmbMember);
    for (const HSection& m : app_.session().members()) ComboBox_AddString(members, wide(memberName(m)));
    return true;
}

Settings TfrmSupports::settings() const { return app_.settings(); }

void TfrmSupports::loadSettings() {
    // Nothing is written back here: the file keeps what the user chose, or
    // stays unwritten until a choice is made.
    loading_ = true;
    const Settings kept = settings();
    Button_SetCheck(control(ids::chkSupports), kept.supports() ? BST_CHECKED : BST_UNCHECKED);
    auto fill = [&](int id, const std::wstring& text, const wchar_t* fallback) {
        SetWindowTextW(control(id), text.empty() ? fallback : text.c_str());
    };
    fill(ids::edtLevels, kept.supportLevels(), kDefaultLevels);
    fill(ids::edtSpacing, kept.supportSpacing(), kDefaultSpacing);
    fill(ids::edtBrace, kept.supportBrace(), kDefaultBrace);
    const std::vector<HSection>& members = app_.session().members();
    // The member by its name: another sections' file keeps the choice where
    // it still lists the section, and falls back to the default where not.
    size_t chosen = defaultMember(members);
    const std::u16string name = fromWide(kept.supportMember());
    for (size_t i = 0; i < members.size(); ++i)
        if (memberName(members[i]) == name) chosen = i;
    ComboBox_SetCurSel(control(ids::cmbMember), members.empty() ? -1 : static_cast<int>(chosen));
    supportsChange();
    loading_ = false;
}

void TfrmSupports::showModal(HWND owner) {
    // Over the main window's preview, beside the cofferdam it lays in.
    RECT o{};
    GetWindowRect(owner, &o);
    SetWindowPos(hwnd_, nullptr, o.left + scale_(40), o.top + scale_(40), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    showNote();
    runModal(hwnd_, owner, modal_);
}

void TfrmSupports::supportsChange() {
    SupportTyped choice;
    choice.on = Button_GetCheck(control(ids::chkSupports)) == BST_CHECKED;
    const std::wstring levels = windowText(control(ids::edtLevels)), spacing = windowText(control(ids::edtSpacing)),
                       brace = windowText(control(ids::edtBrace));
    choice.levels = fromWide(levels);
    choice.spacing = fromWide(spacing);
    choice.brace = fromWide(brace);
    const int index = ComboBox_GetCurSel(control(ids::cmbMember));
    const std::vector<HSection>& members = app_.session().members();
    const bool listed = index >= 0 && static_cast<size_t>(index) < members.size();
    choice.member = listed ? static_cast<size_t>(index) : SIZE_MAX;
    for (int id : {ids::edtLevels, ids::edtSpacing, ids::edtBrace}) EnableWindow(control(id), choice.on);
    EnableWindow(control(ids::cmbMember), choice.on && !members.empty());
    app_.session().setSupports(choice);
    showNote();
    if (loading_) return;
    const Settings kept = settings();
    kept.setSupports(choice.on);
    kept.setSupportLevels(levels);
    kept.setSupportMember(listed ? std::wstring(wide(memberName(members[static_cast<size_t>(index)]))) : L"");
    kept.setSupportSpacing(spacing);
    kept.setSupportBrace(brace);
}

void TfrmSupports::showNote() {
    HWND note = control(ids::lblSupportsNote);
    const std::u16string text = app_.session().supportsNote();
    SetWindowTextW(note, wide(text));
    // A fault's words wrap onto more lines than the note has room for: the
    // window grows so that all of them can be read.
    const RECT now = childRect(note);
    RECT need{0, 0, now.right - now.left, 0};
    {
        ScopedGetDC dc(note);
        ScopedSelectObject font(dc.get(), font_.get());
        if (!dc || !DrawTextW(dc.get(), wide(text), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX)) return;
    }
    const int more = need.bottom - (now.bottom - now.top);
    if (more <= 0) return;
    RECT wr{};
    GetWindowRect(hwnd_, &wr);
    SetWindowPos(hwnd_, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top + more,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmSupports::onCommand(int id, int code) {
    // Each choice here lays the supports again, the preview included.
    const bool choice = id != ids::supportsBtnClose && id != IDOK && id != IDCANCEL;
    std::optional<Busy> busy;
    if (choice) busy.emplace(app_.main().control(ids::lblCount), kLayingText, app_.lastWorkMs());
    switch (id) {
    case ids::chkSupports:
        if (code == BN_CLICKED) supportsChange();
        break;
    case ids::cmbMember:
        if (code == CBN_SELCHANGE) supportsChange();
        break;
    case ids::edtLevels:
    case ids::edtSpacing:
    case ids::edtBrace:
        if (code == EN_CHANGE && !loading_) supportsChange();
        break;
    case ids::supportsBtnClose:
    case IDOK:      // Enter: the default button
    case IDCANCEL:  // Esc
        if (code == BN_CLICKED) modal_ = false;
        break;
    default: break;
    }
}

LRESULT TfrmSupports::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        onCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_SIZE:
        layout_.apply(hwnd_);
        return 0;
    case WM_CLOSE:
        modal_ = false;
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

}  // namespace ravo
