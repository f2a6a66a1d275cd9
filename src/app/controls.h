// A thin control layer: controls created from a table of 96-dpi positions,
// scaled to the system DPI, kept in place by their anchors.
#pragma once
#include <windows.h>

#include <vector>

namespace ravo {

enum Anchor : unsigned {
    kAnchorLeft = 1,
    kAnchorTop = 2,
    kAnchorRight = 4,
    kAnchorBottom = 8,
};

struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;  // at 96 dpi, in the parent's client area
    unsigned anchors;
    bool visible;
};

// Pixels at the system DPI for a 96-dpi distance.
class DpiScale {
public:
    DpiScale();
    int operator()(int v) const { return MulDiv(v, dpi_, 96); }
    int dpi() const { return dpi_; }

private:
    int dpi_;
};

// Tahoma 8 point, owned.
class UiFont {
public:
    explicit UiFont(const DpiScale& scale);
    ~UiFont();
    UiFont(const UiFont&) = delete;
    UiFont& operator=(const UiFont&) = delete;
    HFONT get() const { return font_; }

private:
    HFONT font_;
};

// The controls of one parent and the distances their anchors keep.
class AnchorLayout {
public:
    // Creates every control of the table in table order (which is the tab
    // order), with the font; returns nothing, controls are found by id.
    void create(HWND parent, const ControlSpec* specs, size_t count, const DpiScale& scale, HFONT font,
                int designClientWidth, int designClientHeight);
    // Adds a control made elsewhere, at its present rectangle, for a parent
    // of `refSize`.
    void adopt(HWND control, unsigned anchors, SIZE refSize);
    // Takes the control's present rectangle as its reference from now on.
    void rebase(HWND control);
    // Places every control for the parent's present client size.
    void apply();
    HWND parent() const { return parent_; }

private:
    struct Item {
        HWND hwnd;
        RECT ref;      // rectangle at the reference parent size
        SIZE refSize;  // parent client size when `ref` was taken
        unsigned anchors;
    };
    HWND parent_ = nullptr;
    std::vector<Item> items_;
};

SIZE clientSize(HWND hwnd);
RECT childRect(HWND child);  // in the parent's client coordinates

}  // namespace ravo
