#include "image_control.h"

#include <windowsx.h>

#include <algorithm>

#include "control_ids.h"

namespace ravo {

bool ImageControl::create(HWND parent, int id, const RECT& r) {
    if (!registerClass(ids::kImageClass, 0, nullptr)) return false;
    HWND h = CreateWindowExW(0, ids::kImageClass, L"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), this);
    if (h) canvas_ = std::make_unique<GdiCanvas>(h);
    return h != nullptr;
}

void ImageControl::paintTo(HDC dc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    HDC picture = canvas_ ? canvas_->pictureDC() : nullptr;
    if (!picture) {
        // No picture: the panel shows through.
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    // One blit of the back buffer: nothing flickers.
    const SIZE sz = canvas_->pictureSize();
    BitBlt(dc, 0, 0, sz.cx, sz.cy, picture, 0, 0, SRCCOPY);
    if (sz.cx < rc.right) {
        RECT r{sz.cx, 0, rc.right, rc.bottom};
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (sz.cy < rc.bottom) {
        RECT r{0, sz.cy, std::min<LONG>(sz.cx, rc.right), rc.bottom};
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
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
        events_.imgGinMouseDown(kButtonLeft, x, y);
        return 0;
    case WM_MBUTTONDOWN:
        events_.imgGinMouseDown(kButtonMiddle, x, y);
        return 0;
    case WM_RBUTTONDOWN:
        events_.imgGinMouseDown(kButtonRight, x, y);
        return 0;
    case WM_MOUSEMOVE:
        events_.imgGinMouseMove(x, y);
        return 0;
    case WM_XBUTTONDOWN:
        events_.imgGinMouseDown(kButtonNone, x, y);  // sets the down position, nothing more
        return TRUE;
    case WM_LBUTTONUP:
        events_.imgGinMouseUp(x, y);
        if (GetCapture() == hwnd_) {
            // Our own release: a pan that a rubber band outlived goes on
            // until the next release, so nothing is cancelled here.
            releasingCapture_ = true;
            ReleaseCapture();
            releasingCapture_ = false;
        }
        return 0;
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
        events_.imgGinMouseUp(x, y);
        return 0;
    case WM_XBUTTONUP:
        events_.imgGinMouseUp(x, y);
        return TRUE;
    case WM_CAPTURECHANGED:
        // Taken away by another window or a message box: the gestures end.
        if (!releasingCapture_ && reinterpret_cast<HWND>(lp) != hwnd_) events_.imgGinCaptureLost();
        return 0;
    case WM_DESTROY:
        canvas_.reset();  // the surface goes before the window
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
