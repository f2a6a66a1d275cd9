#include "gdi_canvas.h"

namespace ravo {

namespace {

int penStyleFor(PenStyle s) {
    switch (s) {
    case PenStyle::Solid: return PS_SOLID;
    case PenStyle::Dash: return PS_DASH;
    case PenStyle::Dot: return PS_DOT;
    case PenStyle::DashDot: return PS_DASHDOT;
    case PenStyle::DashDotDot: return PS_DASHDOTDOT;
    }
    return PS_SOLID;
}

constexpr size_t kMaxPens = 64;
constexpr size_t kBatchPoints = 8192;

// The pattern of a pen of `style`, as GDI draws a line from x = 0 along a
// 1-pixel-high bitmap: the shortest period the pixels repeat with. The
// default where GDI gives no bitmap or no period of at most 64.
DashPattern measureDashPattern(PenStyle style) {
    constexpr int kLength = 256;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, kLength, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    GdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    GdiObject<HPEN> pen(CreatePen(penStyleFor(style), 1, RGB(0, 0, 0)));
    HDC dc = CreateCompatibleDC(nullptr);
    if (!bitmap.get() || !bits || !pen.get() || !dc) {
        if (dc) DeleteDC(dc);
        return defaultDashPattern(style);
    }
    bool inked[kLength];
    {
        ScopedSelectObject selectBitmap(dc, bitmap.get());
        ScopedSelectObject selectPen(dc, pen.get());
        PatBlt(dc, 0, 0, kLength, 1, WHITENESS);
        SetBkMode(dc, TRANSPARENT);
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, kLength + 1, 0);  // the end pixel, left out, past the bitmap
        GdiFlush();
        const uint32_t* px = static_cast<const uint32_t*>(bits);
        for (int i = 0; i < kLength; ++i) inked[i] = (px[i] & 0xFFFFFF) != 0xFFFFFF;
    }
    DeleteDC(dc);
    for (int period = 1; period <= 64; ++period) {
        bool repeats = true;
        for (int i = period; i < kLength && repeats; ++i) repeats = inked[i] == inked[i - period];
        if (!repeats) continue;
        DashPattern p{period, 0};
        for (int i = 0; i < period; ++i)
            if (inked[i]) p.on |= uint64_t{1} << i;
        if (p.on == 0) break;  // nothing drawn at all: no pattern to go by
        return p;
    }
    return defaultDashPattern(style);
}

}  // namespace

int GdiCanvas::imageWidth() const {
    RECT rc{};
    GetClientRect(image_, &rc);
    return rc.right;
}

int GdiCanvas::imageHeight() const {
    RECT rc{};
    GetClientRect(image_, &rc);
    return rc.bottom;
}

GdiCanvas::Surface::Surface(HWND image, int width, int height) : width_(width), height_(height) {
    ScopedGetDC screen(image);
    if (!screen) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_.get()) return;
    dc_ = CreateCompatibleDC(screen.get());
    if (!dc_) return;
    oldBitmap_ = SelectObject(dc_, bitmap_.get());
    oldPen_ = SelectObject(dc_, GetStockObject(BLACK_PEN));
    oldBrush_ = SelectObject(dc_, GetStockObject(NULL_BRUSH));
    oldFont_ = SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
}

GdiCanvas::Surface::~Surface() {
    if (!dc_) return;
    SelectObject(dc_, oldBitmap_);
    SelectObject(dc_, oldPen_);
    SelectObject(dc_, oldBrush_);
    SelectObject(dc_, oldFont_);
    DeleteDC(dc_);
}

void GdiCanvas::destroySurface() {
    points_.clear();
    counts_.clear();
    // The DC goes first: its own objects go back in, then ours are free.
    surface_.reset();
    dc_ = nullptr;
    pens_.clear();
    font_.reset();
    currentPen_ = nullptr;
    fontHeight_ = fontEscapement_ = 0;
    width_ = height_ = 0;
}

void GdiCanvas::clearPicture() {
    points_.clear();
    counts_.clear();
    dc_ = nullptr;
    width_ = height_ = 0;
}

void GdiCanvas::newSurface() {
    clearPicture();
    const int width = imageWidth(), height = imageHeight();
    if (width <= 0 || height <= 0) {
        destroySurface();
        return;
    }
    if (surface_ && surface_->hasSize(width, height)) {
        // As if new: the stock pen, brush and font back in, our font gone.
        HDC dc = surface_->dc();
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        font_.reset();
        fontHeight_ = fontEscapement_ = 0;
        currentPen_ = nullptr;
    } else {
        destroySurface();
        auto surface = std::make_unique<Surface>(image_, width, height);
        if (!*surface) return;
        surface_ = std::move(surface);
    }
    dc_ = surface_->dc();
    width_ = width;
    height_ = height;
    PatBlt(dc_, 0, 0, width_, height_, WHITENESS);
    SetROP2(dc_, R2_COPYPEN);
    rop_ = R2_COPYPEN;
    SetBkMode(dc_, TRANSPARENT);
}

HPEN GdiCanvas::penFor(PenStyle style, uint32_t colour) {
    const uint64_t key = (static_cast<uint64_t>(style) << 32) | colour;
    auto it = pens_.find(key);
    if (it != pens_.end()) return it->second.get();
    if (pens_.size() >= kMaxPens) {
        // Many colours: start the cache again, the pen in the DC first.
        flushLines();
        SelectObject(dc_, GetStockObject(BLACK_PEN));
        currentPen_ = nullptr;
        pens_.clear();
    }
    HPEN pen = CreatePen(penStyleFor(style), 1, static_cast<COLORREF>(colour));
    // Out of GDI objects: nothing is cached, the next line asks again.
    if (pen) pens_.emplace(key, GdiObject<HPEN>(pen));
    return pen;
}

void GdiCanvas::setPen(PenStyle style, uint32_t colour, bool copyMode) {
    if (!dc_) return;
    const int rop = copyMode ? R2_COPYPEN : R2_XORPEN;
    // Nearly every line of a run has the pen of the one before.
    if (currentPen_ && style == currentStyle_ && colour == currentColour_ && rop == rop_) return;
    HPEN pen = penFor(style, colour);
    if (!pen) {
        // No pen of our own to be had: the DC's pen in the colour, solid, so
        // the line still shows where it runs.
        flushLines();
        SelectObject(dc_, GetStockObject(DC_PEN));
        SetDCPenColor(dc_, static_cast<COLORREF>(colour));
        currentPen_ = nullptr;
        if (rop != rop_) {
            SetROP2(dc_, rop);
            rop_ = rop;
        }
        return;
    }
    currentStyle_ = style;
    currentColour_ = colour;
    if (pen == currentPen_ && rop == rop_) return;
    flushLines();
    SelectObject(dc_, pen);
    currentPen_ = pen;
    if (rop != rop_) {
        SetROP2(dc_, rop);
        rop_ = rop;
    }
}

DashPattern GdiCanvas::dashPattern(PenStyle style) {
    auto& known = patterns_[static_cast<size_t>(style) % patterns_.size()];
    if (!known) known = measureDashPattern(style);
    return *known;
}

void GdiCanvas::line(int x1, int y1, int x2, int y2) {
    if (!dc_) return;
    points_.push_back({x1, y1});
    points_.push_back({x2, y2});
    counts_.push_back(2);
    if (points_.size() >= kBatchPoints) flushLines();
}

void GdiCanvas::flushLines() {
    if (!dc_ || counts_.empty()) return;
    PolyPolyline(dc_, points_.data(), counts_.data(), static_cast<DWORD>(counts_.size()));
    points_.clear();
    counts_.clear();
}

void GdiCanvas::ellipse(int left, int top, int right, int bottom) {
    if (!dc_) return;
    flushLines();
    ScopedSelectObject hollow(dc_, GetStockObject(NULL_BRUSH));
    Ellipse(dc_, left, top, right, bottom);
}

void GdiCanvas::setFont(int height, int escapement) {
    if (!dc_) return;
    if (font_.get() && height == fontHeight_ && escapement == fontEscapement_) return;
    flushLines();
    // The face as the host names it; without it the font mapper takes a
    // Japanese Gothic face for the Shift-JIS character set.
    HFONT f = CreateFontW(height, 0, escapement, escapement, 400, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS ゴシック");
    if (!f) return;
    SelectObject(dc_, f);  // the previous font of ours is out before it goes
    font_.reset(f);
    fontHeight_ = height;
    fontEscapement_ = escapement;
}

void GdiCanvas::textExtent(const std::u16string& text, int& width, int& height) {
    width = height = 0;
    if (!dc_) return;
    SIZE sz{};
    GetTextExtentPoint32W(dc_, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()), &sz);
    width = sz.cx;
    height = sz.cy;
}

void GdiCanvas::textOut(int x, int y, const std::u16string& text, uint32_t colour, uint32_t back) {
    if (!dc_) return;
    flushLines();
    SetTextAlign(dc_, TA_LEFT | TA_TOP);
    SetTextColor(dc_, static_cast<COLORREF>(colour));
    SetBkColor(dc_, static_cast<COLORREF>(back));
    SetBkMode(dc_, OPAQUE);
    TextOutW(dc_, x, y, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()));
    SetBkMode(dc_, TRANSPARENT);
}

void GdiCanvas::present() {
    flushLines();
    if (dc_) GdiFlush();
    // On the screen: painted at once through the image's own painting, not
    // by way of a WM_PAINT (the whole client area, so nothing of it is left
    // invalid). Not yet shown: painted when it is.
    if (!IsWindowVisible(image_)) {
        InvalidateRect(image_, nullptr, FALSE);
        return;
    }
    ScopedGetDC screen(image_);
    if (!screen) {
        InvalidateRect(image_, nullptr, FALSE);
        UpdateWindow(image_);
        return;
    }
    SendMessageW(image_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(screen.get()), PRF_CLIENT);
    ValidateRect(image_, nullptr);
}

}  // namespace ravo
