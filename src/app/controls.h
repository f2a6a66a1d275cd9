// A thin control layer: controls created from a table of 96-dpi positions,
// scaled to the system DPI, kept in place by their anchors.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ravo {

enum Anchor : unsigned {
    kAnchorLeft = 1,
    kAnchorTop = 2,
    kAnchorRight = 4,
    kAnchorBottom = 8,
};

// How a control's size follows from more than its row.
enum class Fit {
    Design,       // the row's size
    Text,         // a label: at least as wide as its text in the window's font
    ParentLess5,  // the parent's outer size less 5 pixels each way (width and height unused)
};

struct ControlSpec {
    int id;
    int parent;  // 0: the window itself; otherwise the id of an earlier row
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;  // at 96 dpi, in the parent's client area
    unsigned anchors;
    bool visible;
    Fit fit = Fit::Design;
};

// Makes the rows of the window's own classes; returns nullptr for the rows
// it leaves to CreateWindowEx.
class ControlMaker {
public:
    virtual HWND makeControl(const ControlSpec& row, HWND parent, const RECT& r) = 0;

protected:
    ~ControlMaker() = default;
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

// A window's controls, made from one table, and the distances their anchors
// keep to their parents.
class AnchorLayout {
public:
    // Creates every row of the table in table order (which is the tab
    // order), with the font; controls are found by id.
    void create(HWND window, const ControlSpec* specs, size_t count, const DpiScale& scale, HFONT font,
                int designClientWidth, int designClientHeight, ControlMaker* maker = nullptr);
    // Places the controls inside `parent` for its present client size.
    void apply(HWND parent);
    // Widens a Fit::Text label to its present text.
    void fitText(HWND control);
    HWND control(int id) const;

private:
    struct Item {
        HWND hwnd;
        HWND parent;
        int id;
        RECT ref;      // rectangle at the reference parent size
        SIZE refSize;  // parent client size when `ref` was taken
        unsigned anchors;
    };
    void rebase(Item& item);

    HFONT font_ = nullptr;
    std::vector<Item> items_;
};

SIZE clientSize(HWND hwnd);
RECT childRect(HWND child);  // in the parent's client coordinates
std::wstring windowText(HWND w);  // whole, however long

}  // namespace ravo
