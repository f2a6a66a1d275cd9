#include "frm_main.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app.h"
#include "control_ids.h"

namespace ravo {

namespace {

constexpr int kClientWidth = 310, kClientHeight = 317;
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;  // no border icons

constexpr unsigned LB = kAnchorLeft | kAnchorBottom;
constexpr unsigned RB = kAnchorRight | kAnchorBottom;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = WS_TABSTOP | BS_AUTOCHECKBOX;

// In tab order; the panel (tab order 3) and the image are made apart.
const ControlSpec kBeforePanel[] = {
    {ids::btnDump, L"BUTTON", L"Dump", kButton, 0, 96, 289, 57, 25, RB, false},
    {ids::btnOK, L"BUTTON", L"OK", kButton, 0, 182, 289, 57, 25, RB, true},
    {ids::btnCancel, L"BUTTON", L"キャンセル", kButton, 0, 245, 289, 57, 25, RB, true},
};
const ControlSpec kAfterPanel[] = {
    {ids::btnZoomUp, L"BUTTON", L"+", kButton, 0, 214, 258, 25, 25, LB, true},
    {ids::btnZoomDown, L"BUTTON", L"-", kButton, 0, 245, 258, 25, 25, LB, true},
    {ids::btnHome, L"BUTTON", L"H", kButton, 0, 276, 258, 25, 25, LB, true},
    {ids::btnReverse, L"BUTTON", L"反転", kButton, 0, 159, 258, 49, 25, LB, true},
    {ids::chkStart, L"BUTTON", L"起点", kCheck, 0, 52, 258, 45, 17, LB, true},
    {ids::chkEnd, L"BUTTON", L"終点", kCheck, 0, 103, 258, 50, 17, LB, true},
    {ids::Label1, L"STATIC", L"コーナー", SS_LEFT, 0, 8, 258, 38, 13, LB, true},
    {ids::lblURL, L"STATIC", kMakerUrlCaption, SS_LEFT | SS_NOTIFY, 0, 8, 296, 41, 13, LB, true},
};
constexpr RECT kPanelDesign{8, 8, 8 + 294, 8 + 234};
constexpr RECT kImageDesign{22, 18, 22 + 165, 18 + 120};

}  // namespace

TfrmMain::TfrmMain(App& app) : app_(app) {}

bool TfrmMain::create() {
    if (!registerClass(ids::kMainClass, CS_HREDRAW | CS_VREDRAW, GetSysColorBrush(COLOR_BTNFACE))) return false;
    RECT wr{0, 0, scale_(kClientWidth), scale_(kClientHeight)};
    AdjustWindowRectEx(&wr, kFrameStyle, FALSE, WS_EX_APPWINDOW);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    // Centred on the screen when first shown.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    if (!CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, ids::kMainClass, applicationTitle(), kFrameStyle, x,
                         y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr), this))
        return false;
    FormCreate();
    return true;
}

void TfrmMain::FormCreate() {
    app_.session().bViewReady = false;
    urlBrush_ = CreateSolidBrush(RGB(255, 255, 255));

    layout_.create(hwnd_, kBeforePanel, std::size(kBeforePanel), scale_, font_.get(), kClientWidth, kClientHeight);
    const RECT pr{scale_(kPanelDesign.left), scale_(kPanelDesign.top), scale_(kPanelDesign.right),
                  scale_(kPanelDesign.bottom)};
    panel_.create(hwnd_, ids::pnlImage, pr, font_.get());
    layout_.adopt(panel_.hwnd(), kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
                  {scale_(kClientWidth), scale_(kClientHeight)});
    const RECT ir{scale_(kImageDesign.left), scale_(kImageDesign.top), scale_(kImageDesign.right),
                  scale_(kImageDesign.bottom)};
    image_.create(panel_.hwnd(), ids::imgGin, ir);
    panelLayout_.adopt(image_.hwnd(), kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
                       clientSize(panel_.hwnd()));
    panel_.setOnResize([](void* self) { static_cast<TfrmMain*>(self)->panelLayout_.apply(); }, this);
    layout_.create(hwnd_, kAfterPanel, std::size(kAfterPanel), scale_, font_.get(), kClientWidth, kClientHeight);

    // Labels take the width of their text, as the system's fallback font for
    // Japanese may be wider than the design.
    for (int id : {ids::Label1, ids::lblURL}) {
        HWND label = control(id);
        wchar_t text[256] = {};
        GetWindowTextW(label, text, 256);
        HDC dc = GetDC(label);
        HGDIOBJ old = SelectObject(dc, font_.get());
        SIZE ext{};
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &ext);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        RECT r = childRect(label);
        if (ext.cx > r.right - r.left) {
            SetWindowPos(label, nullptr, 0, 0, ext.cx, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            layout_.rebase(label);
        }
    }
}

void TfrmMain::FormShow() {
    Session& s = app_.session();
    if (!s.bViewReady) {
        // The image fills the panel's outer size less 5 pixels.
        RECT pr;
        GetWindowRect(panel_.hwnd(), &pr);
        SetWindowPos(image_.hwnd(), nullptr, 0, 0, (pr.right - pr.left) - 5, (pr.bottom - pr.top) - 5,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        panelLayout_.rebase(image_.hwnd());
        s.view.initView(image_.canvas());
        s.bViewReady = true;
    }
    SetWindowTextW(hwnd_, wide(kCaption));
    if (!s.runShowSteps(App::exeDir())) {
        MessageBoxW(nullptr, wide(startFromHostMessage()), wide(kAppTitle), MB_OK);
        DestroyWindow(hwnd_);
    }
}

void TfrmMain::btnOKClick() {
    app_.session().writeRunResult();  // raises: the window stays for another try
    DestroyWindow(hwnd_);
}

void TfrmMain::btnCancelClick() { DestroyWindow(hwnd_); }

void TfrmMain::lblURLClick() { ShellExecuteW(nullptr, L"open", kMakerUrl, nullptr, nullptr, SW_SHOWNORMAL); }

void TfrmMain::btnDumpClick() {
    app_.dump().setInitDialog();
    app_.dump().showModal(hwnd_);
}

void TfrmMain::chkStartClick() {
    app_.session().chkStartClick(Button_GetCheck(control(ids::chkStart)) == BST_CHECKED);
}

void TfrmMain::chkEndClick() {
    app_.session().chkEndClick(Button_GetCheck(control(ids::chkEnd)) == BST_CHECKED);
}

void TfrmMain::btnReverseClick() { app_.session().btnReverseClick(); }

void TfrmMain::btnZoomUpClick() { app_.session().preview.btnZoomUpClick(); }
void TfrmMain::btnZoomDownClick() { app_.session().preview.btnZoomDownClick(); }
void TfrmMain::btnHomeClick() { app_.session().preview.btnHomeClick(); }

void TfrmMain::FormResize() {
    if (app_.session().bViewReady) app_.session().view.FormResize();
}

void TfrmMain::WMMousewheel(WPARAM wp) {
    const ViewState& v = app_.session().viewState;
    // An image shrunk to nothing has no fraction to zoom about.
    if (v.nDevWidth == 0 || v.nDevHeight == 0 || !app_.session().bViewReady) return;
    // The message's own point is in screen coordinates; the cursor is taken
    // afresh and measured from the panel's outer corner.
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(hwnd_, &pt);
    const RECT panel = childRect(panel_.hwnd());
    const double fx = static_cast<double>(pt.x - panel.left) / v.nDevWidth;
    const double fy = static_cast<double>(pt.y - panel.top) / v.nDevHeight;
    app_.session().preview.mouseWheel(static_cast<int32_t>(wp), fx, fy);
}

void TfrmMain::imgGinMouseDown(int button, int x, int y) { app_.session().preview.imgGinMouseDown(button, x, y); }
void TfrmMain::imgGinMouseMove(int x, int y) { app_.session().preview.imgGinMouseMove(x, y); }
void TfrmMain::imgGinMouseUp(int x, int y) { app_.session().preview.imgGinMouseUp(x, y); }
void TfrmMain::imgGinCaptureLost() { app_.session().preview.cancelGestures(); }

LRESULT TfrmMain::onCtlColorStatic(HDC dc, HWND ctl) {
    if (ctl == control(ids::lblURL)) {
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(urlBrush_);
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void TfrmMain::onCommand(int id, int code, HWND) {
    if (code != BN_CLICKED && code != STN_CLICKED) return;
    switch (id) {
    case ids::btnOK: btnOKClick(); break;
    case ids::btnCancel: btnCancelClick(); break;
    case ids::btnDump: btnDumpClick(); break;
    case ids::lblURL: lblURLClick(); break;
    case ids::chkStart: chkStartClick(); break;
    case ids::chkEnd: chkEndClick(); break;
    case ids::btnReverse: btnReverseClick(); break;
    case ids::btnZoomUp: btnZoomUpClick(); break;
    case ids::btnZoomDown: btnZoomDownClick(); break;
    case ids::btnHome: btnHomeClick(); break;
    default: break;  // Enter and Esc from the dialog manager do nothing
    }
}

LRESULT TfrmMain::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        onCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return onCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_SIZE:
        layout_.apply();
        FormResize();
        return 0;
    case WM_MOUSEWHEEL:
        WMMousewheel(wp);
        return 0;
    case WM_SETCURSOR:
        // The address label is a link: the hand over it alone (the class
        // cursor is every static control's).
        if (reinterpret_cast<HWND>(wp) == control(ids::lblURL)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        if (urlBrush_) DeleteObject(urlBrush_);
        urlBrush_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

}  // namespace ravo
