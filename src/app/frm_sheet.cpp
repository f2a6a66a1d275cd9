#include "frm_sheet.h"

#include <cstring>
#include <optional>

#include <windowsx.h>

#include "app.h"
#include "busy.h"
#include "control_ids.h"
#include "core/sheet.h"

namespace ravo {

namespace {

constexpr int kClientWidth = 250, kClientHeight = 170;
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kCheck = WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kList = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr unsigned LT = kAnchorLeft | kAnchorTop;

// In tab order; the lists' heights hold their drop-downs.
const ControlSpec kControls[] = {
    {ids::chkNumbers, 0, L"BUTTON", L"番号", kCheck, 0, 8, 11, 50, 17, LT, true},
    {ids::cmbStep, 0, L"COMBOBOX", L"", kList, 0, 64, 9, 60, 120, LT, true},
    {ids::chkElevation, 0, L"BUTTON", L"展開図", kCheck, 0, 8, 40, 62, 17, LT, true},
    {ids::lblHead, 0, L"STATIC", L"天端", SS_LEFT, 0, 76, 42, 26, 13, LT, true, Fit::Text},
    {ids::edtHead, 0, L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 106, 38, 60, 21, LT, true},
    {ids::lblHeadMetre, 0, L"STATIC", L"m", SS_LEFT, 0, 170, 42, 10, 13, LT, true, Fit::Text},
    {ids::lblLayer, 0, L"STATIC", L"注記レイヤ", SS_LEFT, 0, 8, 71, 60, 13, LT, true, Fit::Text},
    {ids::cmbLayer, 0, L"COMBOBOX", L"", kList, 0, 76, 67, 90, 240, LT, true},
    {ids::chkGroup, 0, L"BUTTON", L"矢板ごとにまとめる", kCheck, 0, 8, 98, 150, 17, LT, true},
    {ids::lblSheetNote, 0, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0, 8, 122, 234, 13, LT, true},
    // The quantity table as text, for a spreadsheet or a report.
    {ids::sheetBtnCopy, 0, L"BUTTON", L"数量表をコピー", WS_TABSTOP | BS_PUSHBUTTON, 0, 8, 140, 100, 25, LT, true},
    {ids::sheetBtnClose, 0, L"BUTTON", L"閉じる", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 177, 140, 65, 25, LT, true},
};

// The layer list: the write layer, then 0 to F.
constexpr const wchar_t* kWriteLayerItem = L"書込レイヤ";
constexpr const wchar_t kHexDigits[] = L"0123456789ABCDEF";
constexpr int kLayers = kLayerCount;
static_assert(std::size(kHexDigits) - 1 == kLayers);

// `text` on the clipboard as Unicode text; false where the clipboard would
// not take it. Another program may hold the clipboard for a moment (a
// clipboard viewer reading it), so opening it is tried a few times.
bool putOnClipboard(HWND owner, const std::u16string& text) {
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) return false;
    void* at = GlobalLock(mem);
    if (!at) {
        GlobalFree(mem);
        return false;
    }
    std::memcpy(at, text.c_str(), bytes);
    GlobalUnlock(mem);
    bool open = false;
    for (int tries = 0; tries < 10 && !(open = OpenClipboard(owner) != FALSE); ++tries) Sleep(20);
    if (!open) {
        GlobalFree(mem);
        return false;
    }
    const bool put = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
    if (!put) GlobalFree(mem);  // the clipboard owns the memory only once it took it
    return put;
}

constexpr const wchar_t* kNotCopiedText =
    L"数量表をクリップボードにコピーできませんでした。\r\n"
    L"ほかのプログラムがクリップボードを使っているときは、少し待ってからもう一度押してください。";

}  // namespace

bool TfrmSheet::create() {
    if (!registerClass(ids::kSheetClass, 0, GetSysColorBrush(COLOR_BTNFACE))) return false;
    RECT wr{0, 0, scale_(kClientWidth), scale_(kClientHeight)};
    AdjustWindowRectEx(&wr, kFrameStyle, FALSE, 0);
    if (!CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, ids::kSheetClass, L"作図", kFrameStyle,
                         CW_USEDEFAULT, CW_USEDEFAULT, wr.right - wr.left, wr.bottom - wr.top, nullptr, nullptr,
                         GetModuleHandleW(nullptr), this))
        return false;
    layout_.create(hwnd_, kControls, std::size(kControls), scale_, font_.get(), kClientWidth, kClientHeight);
    for (int32_t step : kNumberSteps) ComboBox_AddString(control(ids::cmbStep), std::to_wstring(step).c_str());
    ComboBox_AddString(control(ids::cmbLayer), kWriteLayerItem);
    for (int i = 0; i < kLayers; ++i) ComboBox_AddString(control(ids::cmbLayer), std::wstring(1, kHexDigits[i]).c_str());
    return true;
}

Settings TfrmSheet::settings() const { return app_.settings(); }

void TfrmSheet::loadSettings() {
    loading_ = true;
    const Settings kept = settings();
    Button_SetCheck(control(ids::chkNumbers), kept.numbers() ? BST_CHECKED : BST_UNCHECKED);
    int step = 1;  // the list's index: 5 unless another step is remembered
    for (size_t i = 0; i < std::size(kNumberSteps); ++i)
        if (kept.numberStep() == std::to_wstring(kNumberSteps[i])) step = static_cast<int>(i);
    ComboBox_SetCurSel(control(ids::cmbStep), step);
    Button_SetCheck(control(ids::chkElevation), kept.elevation() ? BST_CHECKED : BST_UNCHECKED);
    SetWindowTextW(control(ids::edtHead), kept.headLevel().empty() ? L"+0.00" : kept.headLevel().c_str());
    const std::wstring layer = kept.annotationLayer();
    int chosen = 0;
    for (int i = 0; i < kLayers; ++i)
        if (layer.size() == 1 && (layer[0] == kHexDigits[i] || layer[0] == towlower(kHexDigits[i]))) chosen = i + 1;
    ComboBox_SetCurSel(control(ids::cmbLayer), chosen);
    Button_SetCheck(control(ids::chkGroup), kept.groupPieces() ? BST_CHECKED : BST_UNCHECKED);
    loading_ = false;
    numbersChange();
    elevationChange();
    cmbLayerChange();
    chkGroupClick();
}

void TfrmSheet::showModal(HWND owner) {
    // Over the main window's corner, where the user's eye is.
    RECT o{};
    GetWindowRect(owner, &o);
    SetWindowPos(hwnd_, nullptr, o.left + scale_(40), o.top + scale_(120), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    showNote();
    runModal(hwnd_, owner, modal_);
}

void TfrmSheet::numbersChange() {
    const bool on = Button_GetCheck(control(ids::chkNumbers)) == BST_CHECKED;
    const int index = ComboBox_GetCurSel(control(ids::cmbStep));
    const int32_t step = index >= 0 && static_cast<size_t>(index) < std::size(kNumberSteps) ? kNumberSteps[index]
                                                                                           : kDefaultNumberStep;
    EnableWindow(control(ids::cmbStep), on);
    app_.session().setNumbers(on, step);
    if (loading_) return;
    settings().setNumbers(on);
    settings().setNumberStep(std::to_wstring(step));
}

void TfrmSheet::elevationChange() {
    const bool on = Button_GetCheck(control(ids::chkElevation)) == BST_CHECKED;
    wchar_t typed[64] = {};
    GetWindowTextW(control(ids::edtHead), typed, static_cast<int>(std::size(typed)));
    EnableWindow(control(ids::edtHead), on);
    app_.session().setElevation(on, fromWide(typed));
    showNote();
    if (loading_) return;
    settings().setElevation(on);
    settings().setHeadLevel(typed);
}

void TfrmSheet::cmbLayerChange() {
    const int chosen = ComboBox_GetCurSel(control(ids::cmbLayer));
    app_.session().setAnnotationLayer(chosen - 1);
    if (loading_) return;
    settings().setAnnotationLayer(chosen >= 1 && chosen <= kLayers ? std::wstring(1, kHexDigits[chosen - 1]) : L"");
}

void TfrmSheet::chkGroupClick() {
    const bool on = Button_GetCheck(control(ids::chkGroup)) == BST_CHECKED;
    app_.session().setGroupPieces(on);
    if (!loading_) settings().setGroupPieces(on);
}

void TfrmSheet::btnCopyClick() {
    if (!putOnClipboard(hwnd_, app_.session().tableText())) showAppMessage(hwnd_, kNotCopiedText);
}

void TfrmSheet::showNote() {
    SetWindowTextW(control(ids::lblSheetNote), wide(app_.session().elevationText()));
}

void TfrmSheet::onCommand(int id, int code) {
    // Each choice here lays the sheet again, the preview included.
    const bool choice = id != ids::sheetBtnClose && id != ids::sheetBtnCopy && id != IDOK && id != IDCANCEL;
    std::optional<Busy> busy;
    if (choice) busy.emplace(app_.main().control(ids::lblCount), kLayingText, app_.lastWorkMs());
    switch (id) {
    case ids::chkNumbers:
        if (code == BN_CLICKED) numbersChange();
        break;
    case ids::cmbStep:
        if (code == CBN_SELCHANGE) numbersChange();
        break;
    case ids::chkElevation:
        if (code == BN_CLICKED) elevationChange();
        break;
    case ids::edtHead:
        if (code == EN_CHANGE && !loading_) elevationChange();
        break;
    case ids::cmbLayer:
        if (code == CBN_SELCHANGE) cmbLayerChange();
        break;
    case ids::chkGroup:
        if (code == BN_CLICKED) chkGroupClick();
        break;
    case ids::sheetBtnCopy:
        if (code == BN_CLICKED) btnCopyClick();
        break;
    case ids::sheetBtnClose:
    case IDOK:      // Enter: the default button
    case IDCANCEL:  // Esc
        if (code == BN_CLICKED) modal_ = false;
        break;
    default: break;
    }
}

LRESULT TfrmSheet::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        onCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_CLOSE:
        modal_ = false;
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

}  // namespace ravo
