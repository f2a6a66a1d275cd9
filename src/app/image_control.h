// The preview image: a child window that shows its own bitmap, and hands
// its mouse events to the main window.
#pragma once
#include <windows.h>

#include <memory>

#include "core/preview.h"
#include "gdi_canvas.h"
#include "window_base.h"

namespace ravo {



class ImageEvents {
public:
    virtual ~ImageEvents() = default;
    virtual void imgGinMouseDown(int button, int x, int y) = 0;
    virtual void imgGinMouseMove(int x, int y) = 0;
    virtual void imgGinMouseUp(int x, int y) = 0;
    // The pointer capture went elsewhere (a message box, another window).
    virtual void imgGinCaptureLost() = 0;
};

class ImageControl : public WindowBase<ImageControl> {
public:
    explicit ImageControl(ImageEvents& events) : events_(events) {}
    bool create(HWND parent, int id, const RECT& r);
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // The image's own back buffer, which it shows.
    GdiCanvas& canvas() { return *canvas_; }
    void paintTo(HDC dc);

private:
    ImageEvents& events_;
    std::unique_ptr<GdiCanvas> canvas_;
    bool releasingCapture_ = false;  // our own ReleaseCapture is under way
};

// The panel holding the image: a plain window with a single 3-D border.
class PanelControl : public WindowBase<PanelControl> {
public:
    bool create(HWND parent, int id, const RECT& r, HFONT font);
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void setOnResize(void (*fn)(void*), void* ctx) {
        onResize_ = fn;
        ctx_ = ctx;
    }

private:
    void (*onResize_)(void*) = nullptr;
    void* ctx_ = nullptr;
};

}  // namespace ravo
