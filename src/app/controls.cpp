#include "controls.h"

namespace ravo {

DpiScale::DpiScale() {
    HDC dc = GetDC(nullptr);
    dpi_ = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    if (dpi_ <= 0) dpi_ = 96;
}

UiFont::UiFont(const DpiScale& scale) {
    // 8 point: -11 at 96 dpi.
    font_ = CreateFontW(-MulDiv(8, scale.dpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

UiFont::~UiFont() {
    if (font_) DeleteObject(font_);
}

SIZE clientSize(HWND hwnd) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

RECT childRect(HWND child) {
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void AnchorLayout::create(HWND parent, const ControlSpec* specs, size_t count, const DpiScale& scale, HFONT font,
                          int designClientWidth, int designClientHeight) {
    parent_ = parent;
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    const SIZE design{scale(designClientWidth), scale(designClientHeight)};
    for (size_t i = 0; i < count; ++i) {
        const ControlSpec& s = specs[i];
        RECT r{scale(s.left), scale(s.top), scale(s.left + s.width), scale(s.top + s.height)};
        DWORD style = WS_CHILD | s.style | (s.visible ? WS_VISIBLE : 0);
        HWND h = CreateWindowExW(s.exStyle, s.className, s.text, style, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(s.id)), inst,
                                 nullptr);
        if (!h) continue;
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        items_.push_back({h, r, design, s.anchors});
    }
}

void AnchorLayout::adopt(HWND control, unsigned anchors, SIZE refSize) {
    if (!parent_) parent_ = GetParent(control);
    items_.push_back({control, childRect(control), refSize, anchors});
}

void AnchorLayout::rebase(HWND control) {
    for (Item& it : items_)
        if (it.hwnd == control) {
            it.ref = childRect(control);
            it.refSize = clientSize(parent_);
        }
}

void AnchorLayout::apply() {
    const SIZE now = clientSize(parent_);
    HDWP dwp = BeginDeferWindowPos(static_cast<int>(items_.size()));
    for (const Item& it : items_) {
        const int rightGap = it.refSize.cx - it.ref.right;
        const int bottomGap = it.refSize.cy - it.ref.bottom;
        const int w = it.ref.right - it.ref.left, h = it.ref.bottom - it.ref.top;
        int left = it.ref.left, top = it.ref.top, width = w, height = h;
        if (it.anchors & kAnchorRight) {
            if (it.anchors & kAnchorLeft) width = now.cx - rightGap - left;
            else left = now.cx - rightGap - w;
        }
        if (it.anchors & kAnchorBottom) {
            if (it.anchors & kAnchorTop) height = now.cy - bottomGap - top;
            else top = now.cy - bottomGap - h;
        }
        if (width < 0) width = 0;
        if (height < 0) height = 0;
        if (dwp)
            dwp = DeferWindowPos(dwp, it.hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        else
            SetWindowPos(it.hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp) EndDeferWindowPos(dwp);
}

}  // namespace ravo
