// The drawing surface of the preview image, as the core sees it. The
// product implements it with GDI on a DIB-section back buffer; the tests
// record the calls.
#pragma once
#include <cstdint>
#include <string>

namespace ravo {

enum class PenStyle : uint8_t { Solid, Dash, Dot, DashDot, DashDotDot };

// A styled pen's pattern along a line: pixel k from the line's start is
// inked when bit (k mod period) of `on` is set. The pattern restarts at the
// start of every line the canvas draws.
struct DashPattern {
    int period = 1;
    uint64_t on = 1;

    bool inked(int64_t k) const { return (on >> (k % period)) & 1u; }
};

// The cosmetic pens' patterns as GDI draws them: dashes of 18 and gaps of 6,
// dots of 3, dash-dot 9 6 3 6, dash-dot-dot 9 3 3 3 3 3.
DashPattern defaultDashPattern(PenStyle style);

class Canvas {
public:
    virtual ~Canvas() = default;
    // Size of the image in pixels.
    virtual int imageWidth() const = 0;
    virtual int imageHeight() const = 0;
    // Discards the picture: the image shows none until the next drawing.
    virtual void clearPicture() = 0;
    virtual bool hasSurface() const = 0;
    // A fresh surface of the image's size, white, with a solid black copy
    // pen, a clear brush and the default font.
    virtual void newSurface() = 0;
    // Pen for the lines and circles that follow (colour 0x00BBGGRR).
    virtual void setPen(PenStyle style, uint32_t colour, bool copyMode) = 0;
    // The pattern a pen of that style draws lines with.
    virtual DashPattern dashPattern(PenStyle style) { return defaultDashPattern(style); }
    // From (x1, y1) to (x2, y2), the end pixel not drawn.
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    // Unfilled ellipse in the box.
    virtual void ellipse(int left, int top, int right, int bottom) = 0;
    // The font for the texts that follow: cell height in pixels, escapement
    // and orientation in tenths of a degree.
    virtual void setFont(int height, int escapement) = 0;
    // Unrotated extent of the text in the present font.
    virtual void textExtent(const std::u16string& text, int& width, int& height) = 0;
    // Text with its top-left at (x, y), cells painted opaque in `back`.
    virtual void textOut(int x, int y, const std::u16string& text, uint32_t colour, uint32_t back) = 0;
    // Puts what was drawn on the screen (once per repaint).
    virtual void present() = 0;
};

}  // namespace ravo
