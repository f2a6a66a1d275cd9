#include "frm_main.h"

#include <windowsx.h>

#include "app.h"
#include "busy.h"
#include "control_ids.h"
#include "settings.h"

namespace ravo {

namespace {

constexpr int kClientWidth = 310, kClientHeight = 437;
constexpr int kLabelMargin = 8;  // the count lines' left margin, kept on their right too
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;  // no border icons

constexpr unsigned LB = kAnchorLeft | kAnchorBottom;
constexpr unsigned RB = kAnchorRight | kAnchorBottom;
constexpr unsigned ALL = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kLabel = SS_LEFT;
constexpr int kForm = 0;

// The face list's items, in the order of WallFace.
constexpr const char16_t* kFaceItems[] = {u"継手線", u"内面", u"外面"};
static_assert(std::size(kFaceItems) == static_cast<size_t>(WallFace::Outer) + 1);

// The whole window, in tab order. The panel and the image are the window's
// own classes; the image sits in the panel's corner at the panel's outer size
// less 5 pixels, so its right and bottom edges run under the panel's border.
const ControlSpec kControls[] = {
    {ids::btnDump, kForm, L"BUTTON", L"Dump", kButton, 0, 96, 409, 57, 25, RB, false},
    {ids::btnOK, kForm, L"BUTTON", L"OK", kButton, 0, 182, 409, 57, 25, RB, true},
    {ids::btnCancel, kForm, L"BUTTON", L"キャンセル", kButton, 0, 245, 409, 57, 25, RB, true},
    {ids::pnlImage, kForm, ids::kPanelClass, L"", 0, WS_EX_STATICEDGE, 8, 8, 294, 234, ALL, true},
    {ids::imgGin, ids::pnlImage, ids::kImageClass, L"", 0, 0, 0, 0, 0, 0, ALL, true, Fit::ParentLess5},
    {ids::lblType, kForm, L"STATIC", L"型式", kLabel, 0, 8, 261, 26, 13, LB, true, Fit::Text},
    // The height holds the drop-down list.
    {ids::cmbType, kForm, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 40, 258, 150, 240, LB,
     true},
    // The count line has a row of its own: the laid and the indicated length
    // together run wider than the room beside the list.
    // The pile length, for the masses: "L=" [ ] "m".
    {ids::lblLength, kForm, L"STATIC", L"L=", kLabel, 0, 196, 261, 14, 13, LB, true, Fit::Text},
    {ids::edtLength, kForm, L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 212, 258, 54, 21, LB, true},
    {ids::lblMetre, kForm, L"STATIC", L"m", kLabel, 0, 270, 261, 10, 13, LB, true, Fit::Text},
    {ids::lblCount, kForm, L"STATIC", L"", kLabel | SS_NOPREFIX, 0, 8, 283, 294, 13, LB, true, Fit::Text},
    {ids::lblMass, kForm, L"STATIC", L"", kLabel | SS_NOPREFIX, 0, 8, 299, 294, 13, LB, true, Fit::Text},
    {ids::btnZoomUp, kForm, L"BUTTON", L"+", kButton, 0, 214, 318, 25, 25, LB, true},
    {ids::btnZoomDown, kForm, L"BUTTON", L"-", kButton, 0, 245, 318, 25, 25, LB, true},
    {ids::btnHome, kForm, L"BUTTON", L"H", kButton, 0, 276, 318, 25, 25, LB, true},
    {ids::btnReverse, kForm, L"BUTTON", L"反転", kButton, 0, 159, 318, 49, 25, LB, true},
    {ids::chkStart, kForm, L"BUTTON", L"起点", kCheck, 0, 52, 318, 45, 17, LB, true},
    {ids::chkEnd, kForm, L"BUTTON", L"終点", kCheck, 0, 103, 318, 50, 17, LB, true},
    // A wall along a path: its start and its direction (disabled for the
    // two-point run).
    {ids::btnStart, kForm, L"BUTTON", L"始点移動", kButton, 0, 8, 347, 56, 25, LB, true},
    {ids::btnDirection, kForm, L"BUTTON", L"逆方向", kButton, 0, 66, 347, 50, 25, LB, true},
    // What a wall's drawn line is (the height holds the drop-down list).
    {ids::cmbFace, kForm, L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST, 0, 120, 349, 62, 80, LB, true},
    // What OK adds to the drawing beside the run.
    {ids::chkLabel, kForm, L"BUTTON", L"ラベル", kCheck, 0, 186, 351, 54, 17, LB, true},
    {ids::chkTable, kForm, L"BUTTON", L"数量表", kCheck, 0, 242, 351, 60, 17, LB, true},
    {ids::Label1, kForm, L"STATIC", L"コーナー", kLabel, 0, 8, 318, 38, 13, LB, true, Fit::Text},
    {ids::lblURL, kForm, L"STATIC", kMakerUrlCaption, kLabel | SS_NOTIFY, 0, 8, 416, 41, 13, LB, true, Fit::Text},
    // The windows of what else OK draws, on a row of their own above OK (the
    // link and OK leave no room for two buttons beside them): the sheet's
    // extras (numbers, the elevation, the layer, a pile as one object) and
    // the supports inside a cofferdam.
    {ids::btnSheet, kForm, L"BUTTON", L"作図", kButton, 0, 8, 378, 60, 25, LB, true},
    {ids::btnSupports, kForm, L"BUTTON", L"支保工", kButton, 0, 74, 378, 60, 25, LB, true},
};

}  // namespace

TfrmMain::TfrmMain(App& app) : app_(app) {}

Settings TfrmMain::settings() const { return app_.settings(); }

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

HWND TfrmMain::makeControl(const ControlSpec& row, HWND parent, const RECT& r) {
    if (row.id == ids::pnlImage) {
        if (!panel_.create(parent, row.id, r, font_.get())) return nullptr;
        panel_.setOnResize([](void* self) {
            auto* form = static_cast<TfrmMain*>(self);
            form->layout_.apply(form->panel_.hwnd());
        }, this);
        return panel_.hwnd();
    }
    if (row.id == ids::imgGin) return image_.create(parent, row.id, r) ? image_.hwnd() : nullptr;
    return nullptr;
}

void TfrmMain::FormCreate() {
    Session& s = app_.session();
    urlBrush_.reset(CreateSolidBrush(RGB(255, 255, 255)));
    layout_.create(hwnd_, kControls, std::size(kControls), scale_, font_.get(), kClientWidth, kClientHeight, this);

    // The section chosen last time, if the settings still name one.
    s.setSection(findSection(fromWide(settings().pileSection())));
    HWND types = control(ids::cmbType);
    for (const PileSection& p : pileSections()) ComboBox_AddString(types, wide(std::u16string(p.caption)));
    ComboBox_SetCurSel(types, static_cast<int>(s.section()));

    // The pile length and the drawing's extras as last time.
    const Settings kept = settings();
    SetWindowTextW(control(ids::edtLength), kept.pileLength().c_str());
    s.setPileLength(fromWide(kept.pileLength()));
    Button_SetCheck(control(ids::chkLabel), kept.labels() ? BST_CHECKED : BST_UNCHECKED);
    Button_SetCheck(control(ids::chkTable), kept.table() ? BST_CHECKED : BST_UNCHECKED);
    s.setLabels(kept.labels());
    s.setTable(kept.table());
    HWND faces = control(ids::cmbFace);
    for (const char16_t* item : kFaceItems) ComboBox_AddString(faces, wide(std::u16string(item)));
    const std::wstring face = kept.face();
    const int chosen = face == L"1" ? 1 : face == L"2" ? 2 : 0;
    ComboBox_SetCurSel(faces, chosen);
    s.setFace(static_cast<WallFace>(chosen));
    app_.sheet().loadSettings();
    app_.supports().loadSettings();
}

void TfrmMain::FormShow() {
    Session& s = app_.session();
    s.attachImage(image_.canvas());
    SetWindowTextW(hwnd_, wide(kCaption));
    bool fromHost = false;
    try {
        Busy busy(nullptr, kLayingText, app_.lastWorkMs());  // the window is not up yet: the cursor alone
        fromHost = s.runShowSteps();
    } catch (...) {
        showCount();  // "0枚" when the outlines did not load: nothing is laid
        enableRunControls();
        throw;
    }
    showCount();
    enableRunControls();
    if (!fromHost) {
        MessageBoxW(nullptr, wide(startFromHostMessage()), wide(kAppTitle), MB_OK);
        DestroyWindow(hwnd_);
    }
}

void TfrmMain::btnOKClick() {
    app_.session().ok();  // raises: the window stays for another try
    DestroyWindow(hwnd_);
}

void TfrmMain::btnCancelClick() {
    // Nothing laid: the host still learns why. Raises: the window stays.
    app_.session().cancel();
    DestroyWindow(hwnd_);
}

void TfrmMain::lblURLClick() {
    // The shell is loaded when the link is used, not at every start: under
    // Wine it is the largest part of starting up.
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (!shell) return;
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    if (auto run = reinterpret_cast<ShellExecuteFn>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteW"))))
        run(nullptr, L"open", kMakerUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmMain::btnSheetClick() {
    app_.sheet().showModal(hwnd_);
    showCount();
}

void TfrmMain::btnSupportsClick() {
    app_.supports().showModal(hwnd_);
    showCount();
}

void TfrmMain::btnDumpClick() {
    app_.dump().setInitDialog();
    app_.dump().showModal(hwnd_);
}

void TfrmMain::chkStartClick() {
    app_.session().setStartCorner(Button_GetCheck(control(ids::chkStart)) == BST_CHECKED);
    showCount();
}

void TfrmMain::chkEndClick() {
    app_.session().setEndCorner(Button_GetCheck(control(ids::chkEnd)) == BST_CHECKED);
    showCount();
}

void TfrmMain::btnReverseClick() {
    app_.session().turnPilesOver();
    showCount();
}

void TfrmMain::btnStartClick() {
    app_.session().moveStart();
    showCount();
}

void TfrmMain::btnDirectionClick() {
    app_.session().turnDirection();
    showCount();
}

void TfrmMain::enableRunControls() {
    const Session& s = app_.session();
    EnableWindow(control(ids::btnStart), s.wallMode());
    EnableWindow(control(ids::btnDirection), s.wallMode());
    EnableWindow(control(ids::cmbFace), s.wallMode());
    EnableWindow(control(ids::chkStart), !s.closedLoop());
    EnableWindow(control(ids::chkEnd), !s.closedLoop());
}

void TfrmMain::cmbTypeChange() {
    Session& s = app_.session();
    HWND types = control(ids::cmbType);
    const int chosen = ComboBox_GetCurSel(types);
    if (chosen < 0 || static_cast<size_t>(chosen) == s.section()) return;
    try {
        s.setSection(static_cast<size_t>(chosen));
    } catch (...) {
        // The previous section is back; so is the list's choice.
        ComboBox_SetCurSel(types, static_cast<int>(s.section()));
        showCount();
        throw;
    }
    showCount();
    settings().setPileSection(wide(std::u16string(pileSections()[s.section()].name)));
}

void TfrmMain::cmbFaceChange() {
    const int chosen = ComboBox_GetCurSel(control(ids::cmbFace));
    if (chosen < 0) return;
    app_.session().setFace(static_cast<WallFace>(chosen));
    showCount();
    settings().setFace(std::to_wstring(chosen));
}

void TfrmMain::showCount() {
    HWND label = control(ids::lblCount);
    SetWindowTextW(label, wide(app_.session().countText()));
    layout_.fitText(label);
    HWND mass = control(ids::lblMass);
    SetWindowTextW(mass, wide(app_.session().massText()));
    layout_.fitText(mass);
    makeRoomFor(label);
    makeRoomFor(mass);
}

void TfrmMain::makeRoomFor(HWND label) {
    // A line wider than the window (a warning after the counts, a long L)
    // widens it: every figure stays where the user can read it.
    const int margin = scale_(kLabelMargin);
    const int need = childRect(label).right + margin - clientSize(hwnd_).cx;
    if (need <= 0) return;
    RECT wr{};
    GetWindowRect(hwnd_, &wr);
    SetWindowPos(hwnd_, nullptr, 0, 0, wr.right - wr.left + need, wr.bottom - wr.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::edtLengthChange() {
    wchar_t typed[64] = {};
    GetWindowTextW(control(ids::edtLength), typed, static_cast<int>(std::size(typed)));
    app_.session().setPileLength(fromWide(typed));
    showCount();
    settings().setPileLength(typed);
}

void TfrmMain::chkLabelClick() {
    const bool on = Button_GetCheck(control(ids::chkLabel)) == BST_CHECKED;
    app_.session().setLabels(on);
    settings().setLabels(on);
    showCount();  // labels with no room are left out, and the count line says so
}

void TfrmMain::chkTableClick() {
    const bool on = Button_GetCheck(control(ids::chkTable)) == BST_CHECKED;
    app_.session().setTable(on);
    settings().setTable(on);
    showCount();
}

void TfrmMain::btnZoomUpClick() { app_.session().zoomIn(); }
void TfrmMain::btnZoomDownClick() { app_.session().zoomOut(); }
void TfrmMain::btnHomeClick() { app_.session().showWholeRun(); }

void TfrmMain::FormResize() { app_.session().resizeImage(); }

void TfrmMain::WMMousewheel(WPARAM wp) {
    // The message's own point is in screen coordinates; the cursor is taken
    // afresh and measured from the panel's outer corner.
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(hwnd_, &pt);
    const RECT panel = childRect(panel_.hwnd());
    // One step per message, the way the wheel turned (a fine wheel's part
    // notch too).
    const int delta = GET_WHEEL_DELTA_WPARAM(wp);
    const int notches = delta / WHEEL_DELTA != 0 ? delta / WHEEL_DELTA : (delta > 0) - (delta < 0);
    app_.session().zoomAt(notches, pt.x - panel.left, pt.y - panel.top);
}

void TfrmMain::imgGinMouseDown(int button, int x, int y) { app_.session().press(button, x, y); }
void TfrmMain::imgGinMouseMove(int x, int y) { app_.session().drag(x, y); }
void TfrmMain::imgGinMouseUp(int x, int y) { app_.session().release(x, y); }
void TfrmMain::imgGinCaptureLost() { app_.session().loseMouse(); }

LRESULT TfrmMain::onCtlColorStatic(HDC dc, HWND ctl) {
    if (ctl == control(ids::lblURL)) {
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(urlBrush_.get());
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

namespace {

// What a command's work is called in the count line while it runs long;
// none for a command that opens a window or only follows a link.
const wchar_t* workOf(int id) {
    switch (id) {
    case ids::btnOK: return kWritingText;
    case ids::btnZoomUp:
    case ids::btnZoomDown:
    case ids::btnHome: return kDrawingText;
    case ids::btnCancel:
    case ids::btnDump:
    case ids::btnSheet:
    case ids::btnSupports:
    case ids::lblURL: return nullptr;
    default: return kLayingText;
    }
}

}  // namespace

void TfrmMain::onCommand(int id, int code, HWND ctl) {
    const wchar_t* doing = workOf(id);
    if (!doing) return dispatch(id, code, ctl);
    Busy busy(control(ids::lblCount), doing, app_.lastWorkMs());
    dispatch(id, code, ctl);
}

void TfrmMain::dispatch(int id, int code, HWND) {
    if (id == ids::cmbType) {
        if (code == CBN_SELCHANGE) cmbTypeChange();
        return;
    }
    if (id == ids::cmbFace) {
        if (code == CBN_SELCHANGE) cmbFaceChange();
        return;
    }
    if (id == ids::edtLength) {
        // Typing, not the text put there at creation (the session has it).
        if (code == EN_CHANGE && IsWindowVisible(hwnd_)) edtLengthChange();
        return;
    }
    if (code != BN_CLICKED && code != STN_CLICKED) return;
    switch (id) {
    case ids::btnOK: btnOKClick(); break;
    case ids::btnCancel: btnCancelClick(); break;
    case ids::btnDump: btnDumpClick(); break;
    case ids::btnSheet: btnSheetClick(); break;
    case ids::btnSupports: btnSupportsClick(); break;
    case ids::lblURL: lblURLClick(); break;
    case ids::chkStart: chkStartClick(); break;
    case ids::chkEnd: chkEndClick(); break;
    case ids::btnReverse: btnReverseClick(); break;
    case ids::btnStart: btnStartClick(); break;
    case ids::btnDirection: btnDirectionClick(); break;
    case ids::chkLabel: chkLabelClick(); break;
    case ids::chkTable: chkTableClick(); break;
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
        layout_.apply(hwnd_);
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
        btnCancelClick();
        return 0;
    case WM_DESTROY:
        urlBrush_.reset();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

}  // namespace ravo
