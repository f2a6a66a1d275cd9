// GDI objects, device contexts and selections that are given back when they go.
#pragma once
#include <windows.h>

namespace ravo {

// A GDI object deleted when it goes.
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H h) : h_(h) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = o.h_;
            o.h_ = nullptr;
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    H get() const { return h_; }
    void reset(H h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }

private:
    H h_ = nullptr;
};

// GetDC / ReleaseDC.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ScopedGetDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// SelectObject, and the previous object selected back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(dc && obj ? SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelectObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace ravo
