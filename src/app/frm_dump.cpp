#include "frm_dump.h"

#include <windowsx.h>

#include "app.h"
#include "control_ids.h"
#include "core/dump_listing.h"
#include "core/number_text.h"

namespace ravo {

namespace {

constexpr int kClientWidth = 691, kClientHeight = 417;
// Minimise and maximise are named but without a system menu no button shows.
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr unsigned RB = kAnchorRight | kAnchorBottom;

// In tab order.
const ControlSpec kControls[] = {
    {ids::Memo1, 0, L"EDIT", L"",
     WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, WS_EX_CLIENTEDGE, 8, 8, 677, 375,
     kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom, true},
    {ids::dumpBtnDump, 0, L"BUTTON", L"DUMP", WS_TABSTOP | BS_PUSHBUTTON, 0, 506, 389, 89, 25, RB, true},
    {ids::dumpBtnCancel, 0, L"BUTTON", L"キャンセル", WS_TABSTOP | BS_PUSHBUTTON, 0, 604, 388, 81, 25, RB, true},
    // The height holds the drop-down list; the edit field itself is 21.
    {ids::cmbNGin, 0, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, 0, 448, 391, 50, 240, RB, true},
};

}  // namespace

bool TfrmDump::create() {
    if (!registerClass(ids::kDumpClass, 0, GetSysColorBrush(COLOR_BTNFACE))) return false;
    RECT wr{0, 0, scale_(kClientWidth), scale_(kClientHeight)};
    AdjustWindowRectEx(&wr, kFrameStyle, FALSE, 0);
    if (!CreateWindowExW(WS_EX_CONTROLPARENT, ids::kDumpClass, L"DUMP", kFrameStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                         wr.right - wr.left, wr.bottom - wr.top, nullptr, nullptr, GetModuleHandleW(nullptr), this))
        return false;
    layout_.create(hwnd_, kControls, std::size(kControls), scale_, font_.get(), kClientWidth, kClientHeight);
    HWND memo = GetDlgItem(hwnd_, ids::Memo1);
    SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);  // the listing outgrows the 32K default
    HWND combo = GetDlgItem(hwnd_, ids::cmbNGin);
    for (int i = 0; i < kGinCount; ++i) ComboBox_AddString(combo, std::to_wstring(i).c_str());
    SetWindowTextW(combo, L"0");
    return true;
}

void TfrmDump::setInitDialog() { SetWindowTextW(GetDlgItem(hwnd_, ids::Memo1), L""); }

void TfrmDump::showModal(HWND owner) { runModal(hwnd_, owner, modal_); }

void TfrmDump::btnDumpClick() {
    HWND memo = GetDlgItem(hwnd_, ids::Memo1);
    ShowWindow(memo, SW_HIDE);
    SetWindowTextW(memo, L"");
    // Shown again whatever happens below.
    struct ShowAgain {
        HWND h;
        ~ShowAgain() { ShowWindow(h, SW_SHOW); }
    } showAgain{memo};

    wchar_t buf[256] = {};
    GetWindowTextW(GetDlgItem(hwnd_, ids::cmbNGin), buf, 256);
    const int nGin = strToInt(fromWide(buf));
    Session& s = app_.session();
    std::u16string text;
    for (const std::u16string& line : s.dumpListing(nGin)) {
        text += line;
        text += u"\r\n";
    }
    SetWindowTextW(memo, wide(text));
}

void TfrmDump::btnCancelClick() { modal_ = false; }

LRESULT TfrmDump::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) {
            if (LOWORD(wp) == ids::dumpBtnDump) btnDumpClick();
            if (LOWORD(wp) == ids::dumpBtnCancel) btnCancelClick();
        }
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
