#include "preview.h"

#include <cstdlib>

namespace ravo {

void Preview::imgGinMouseDown(int button, int32_t x, int32_t y) {
    g_.nDownX = x;
    g_.nDownY = y;
    if (button == kButtonMiddle) {
        g_.bRubber = true;
        g_.nRubStartX = x;
        g_.nRubStartY = y;
        g_.nRubLastX = x;
        g_.nRubLastY = y;
        view_.DTOL(x, y, g_.dRubStartX, g_.dRubStartY);
    } else if (button == kButtonLeft) {
        g_.bPanning = true;
        g_.nPanX = x;
        g_.nPanY = y;
    }
}

void Preview::imgGinMouseMove(int32_t x, int32_t y) {
    if (g_.bPanning) {
        view_.pan(g_.nPanX, g_.nPanY, x, y);
        g_.nPanX = x;
        g_.nPanY = y;
        const ViewState& v = view_.state();
        if (!(v.dOrgX == 0 && v.dOrgY == 0)) view_.redrawGin(gin_);
    } else if (g_.bRubber) {
        eraseRubber();
        drawRubber(x, y);
    }
}

void Preview::imgGinMouseUp(int32_t x, int32_t y) {
    if (g_.bRubber) {
        g_.bRubber = false;
        double wx, wy;
        view_.DTOL(x, y, wx, wy);
        if (std::abs(int64_t{g_.nRubStartX} - x) > 5 && std::abs(int64_t{g_.nRubStartY} - y) > 5)
            view_.zoomWindow(g_.dRubStartX, g_.dRubStartY, wx, wy);
        else
            view_.centerView(gin_, wx, wy);
    } else if (g_.bPanning) {
        if (std::abs(int64_t{g_.nDownX} - x) < 5 && std::abs(int64_t{g_.nDownY} - y) < 5) {
            double wx, wy;
            view_.DTOL(x, y, wx, wy);
            view_.centerView(gin_, wx, wy);
        } else {
            view_.redrawGin(gin_);
        }
        g_.bPanning = false;
    }
}

void Preview::zoomAt(int notches, double fx, double fy) {
    if (notches > 0) view_.zoomInAt(gin_, fx, fy);
    else if (notches < 0) view_.zoomOutAt(gin_, fx, fy);
}

void Preview::cancelGestures() {
    g_.bPanning = false;
    g_.bRubber = false;
}

void Preview::eraseRubber() {
    if (g_.nRubLastX < 0 || g_.nRubLastY < 0) return;
    view_.drawRect(g_.nRubStartX, g_.nRubStartY, g_.nRubLastX, g_.nRubLastY, view_.state().nRubberColor, false);
    g_.nRubLastX = -1;
    g_.nRubLastY = -1;
}

void Preview::drawRubber(int32_t x, int32_t y) {
    view_.drawRect(g_.nRubStartX, g_.nRubStartY, x, y, view_.state().nRubberColor, false);
    g_.nRubLastX = x;
    g_.nRubLastY = y;
    if (view_.target()) view_.target()->present();
}

}  // namespace ravo
