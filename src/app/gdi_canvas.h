// The preview's drawing surface: a DIB section in a memory DC, sized to the
// image, with the pens, brush and font the drawing selects into it.
#pragma once
#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "core/canvas.h"
#include "scoped_gdi.h"

namespace ravo {

class GdiCanvas : public Canvas {
public:
    explicit GdiCanvas(HWND image) : image_(image) {}
    ~GdiCanvas() override { destroySurface(); }
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    int imageWidth() const override;
    int imageHeight() const override;
    void clearPicture() override;
    bool hasSurface() const override { return dc_ != nullptr; }
    void newSurface() override;
    void setPen(PenStyle style, uint32_t colour, bool copyMode) override;
    // Read off GDI itself once per style: a line drawn on a scratch bitmap.
    DashPattern dashPattern(PenStyle style) override;
    void line(int x1, int y1, int x2, int y2) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void setFont(int height, int escapement) override;
    void textExtent(const std::u16string& text, int& width, int& height) override;
    void textOut(int x, int y, const std::u16string& text, uint32_t colour, uint32_t back) override;
    void present() override;

    // The picture, for WM_PAINT and WM_PRINTCLIENT; null when there is none.
    HDC pictureDC() const { return dc_; }
    SIZE pictureSize() const { return {width_, height_}; }

private:
    // A memory DC with the DIB section selected into it, and the stock pen,
    // brush and font selected; whatever is selected at the end, the DC's own
    // objects go back in before anything of ours is deleted.
    class Surface {
    public:
        Surface(HWND image, int width, int height);
        ~Surface();
        Surface(const Surface&) = delete;
        Surface& operator=(const Surface&) = delete;
        HDC dc() const { return dc_; }
        explicit operator bool() const { return dc_ != nullptr; }
        bool hasSize(int width, int height) const { return width == width_ && height == height_; }

    private:
        int width_, height_;
        HDC dc_ = nullptr;
        GdiObject<HBITMAP> bitmap_;
        HGDIOBJ oldBitmap_ = nullptr, oldPen_ = nullptr, oldBrush_ = nullptr, oldFont_ = nullptr;
    };

    void destroySurface();
    void flushLines();
    HPEN penFor(PenStyle style, uint32_t colour);

    HWND image_;
    // Kept from one picture to the next while the image keeps its size:
    // making a DIB section per repaint costs more than drawing the run.
    std::unique_ptr<Surface> surface_;
    HDC dc_ = nullptr;  // the surface's DC while there is a picture
    int width_ = 0, height_ = 0;
    std::map<uint64_t, GdiObject<HPEN>> pens_;
    GdiObject<HFONT> font_;
    int fontHeight_ = 0, fontEscapement_ = 0;
    // Lines with one pen, drawn in one PolyPolyline call.
    std::vector<POINT> points_;
    std::vector<DWORD> counts_;
    HPEN currentPen_ = nullptr;
    PenStyle currentStyle_ = PenStyle::Solid;
    uint32_t currentColour_ = 0;
    int rop_ = R2_COPYPEN;
    std::array<std::optional<DashPattern>, 5> patterns_;
};

}  // namespace ravo
