#include "image_control.h"

#include <windowsx.h>

#include "control_ids.h"

namespace ravo {

bool ImageControl::create(HWND parent, int id, const RECT& r) {
    if (!registerClass(ids::kImageClass, 0, nullptr)) return false;
    return CreateWindowExW(0, ids::kImageClass, L"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), this) != nullptr;
}

void ImageControl::paintTo(HDC dc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    if (source_) {
        BitBlt(dc, 0, 0, rc.right, rc.bottom, source_, 0, 0, SRCCOPY);
    } else {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    }
}

LRESULT ImageControl::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    // Signed crackers: a captured pointer reports negative positions.
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        paintTo(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        paintTo(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(hwnd_);  // the pan sees every move and the release
        events_.imgGinMouseDown(kMouseLeft, x, y);
        return 0;
    case WM_MBUTTONDOWN:
        events_.imgGinMouseDown(kMouseMiddle, x, y);
        return 0;
    case WM_RBUTTONDOWN:
        events_.imgGinMouseDown(kMouseRight, x, y);
        return 0;
    case WM_MOUSEMOVE:
        events_.imgGinMouseMove(x, y);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd_) ReleaseCapture();
        events_.imgGinMouseUp(x, y);
        return 0;
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
        events_.imgGinMouseUp(x, y);
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

bool PanelControl::create(HWND parent, int id, const RECT& r, HFONT font) {
    if (!registerClass(ids::kPanelClass, 0, GetSysColorBrush(COLOR_BTNFACE))) return false;
    HWND h = CreateWindowExW(WS_EX_STATICEDGE, ids::kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                             r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
    if (h) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h != nullptr;
}

LRESULT PanelControl::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE && onResize_) onResize_(ctx_);
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace ravo
