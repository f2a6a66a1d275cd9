#include "controls.h"

#include <string>

#include "scoped_gdi.h"

namespace ravo {

DpiScale::DpiScale() {
    ScopedGetDC dc(nullptr);
    dpi_ = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
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

void AnchorLayout::create(HWND window, const ControlSpec* specs, size_t count, const DpiScale& scale, HFONT font,
                          int designClientWidth, int designClientHeight, ControlMaker* maker) {
    font_ = font;
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    const SIZE design{scale(designClientWidth), scale(designClientHeight)};
    for (size_t i = 0; i < count; ++i) {
        const ControlSpec& s = specs[i];
        HWND parent = s.parent ? control(s.parent) : window;
        if (!parent) continue;
        RECT r{scale(s.left), scale(s.top), scale(s.left + s.width), scale(s.top + s.height)};
        if (s.fit == Fit::ParentLess5) {
            RECT outer{};
            GetWindowRect(parent, &outer);
            r.right = r.left + (outer.right - outer.left) - 5;
            r.bottom = r.top + (outer.bottom - outer.top) - 5;
        }
        HWND h = maker ? maker->makeControl(s, parent, r) : nullptr;
        if (!h) {
            const DWORD style = WS_CHILD | s.style | (s.visible ? WS_VISIBLE : 0);
            h = CreateWindowExW(s.exStyle, s.className, s.text, style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(s.id)), inst,
                                nullptr);
        }
        if (!h) continue;
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        items_.push_back({h, parent, s.id, r, parent == window ? design : clientSize(parent), s.anchors});
        if (s.fit == Fit::Text) fitText(h);
    }
}

HWND AnchorLayout::control(int id) const {
    for (const Item& it : items_)
        if (it.id == id) return it.hwnd;
    return nullptr;
}

void AnchorLayout::rebase(Item& item) {
    item.ref = childRect(item.hwnd);
    item.refSize = clientSize(item.parent);
}

std::wstring windowText(HWND w) {
    std::wstring t(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    t.resize(static_cast<size_t>(GetWindowTextW(w, t.data(), static_cast<int>(t.size()))));
    return t;
}

void AnchorLayout::fitText(HWND label) {
    // The system's fallback font for Japanese may be wider than the design.
    const std::wstring text = windowText(label);
    SIZE ext{};
    {
        ScopedGetDC dc(label);
        ScopedSelectObject font(dc.get(), font_);
        if (!dc || !GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &ext)) return;
    }
    const RECT r = childRect(label);
    if (ext.cx <= r.right - r.left) return;
    SetWindowPos(label, nullptr, 0, 0, ext.cx, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (Item& it : items_)
        if (it.hwnd == label) rebase(it);
}

void AnchorLayout::apply(HWND parent) {
    const SIZE now = clientSize(parent);
    int n = 0;
    for (const Item& it : items_) n += it.parent == parent;
    HDWP dwp = BeginDeferWindowPos(n);
    for (const Item& it : items_) {
        if (it.parent != parent) continue;
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
