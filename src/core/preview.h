// Mouse, wheel and button gestures on the preview image.
#pragma once
#include <cstdint>

#include "view.h"

namespace ravo {

enum MouseButton : int { kButtonNone = 0, kButtonLeft = 1, kButtonRight = 2, kButtonMiddle = 4 };

struct GestureState {
    int32_t nDownX = 0, nDownY = 0;
    bool bPanning = false;
    int32_t nPanX = 0, nPanY = 0;
    bool bRubber = false;
    int32_t nRubStartX = 0, nRubStartY = 0;
    double dRubStartX = 0, dRubStartY = 0;
    int32_t nRubLastX = 0, nRubLastY = 0;
};

class Preview {
public:
    Preview(View& view, GestureState& state, int nGinResult) : view_(view), g_(state), gin_(nGinResult) {}

    void imgGinMouseDown(int button, int32_t x, int32_t y);
    void imgGinMouseMove(int32_t x, int32_t y);
    void imgGinMouseUp(int32_t x, int32_t y);
    // The wheel turned `notches` (positive: in) with the cursor at these
    // fractions of the image measured from the panel's corner.
    void zoomAt(int notches, double fx, double fy);
    void btnZoomUpClick() { view_.zoomIn(gin_); }
    void btnZoomDownClick() { view_.zoomOut(gin_); }

    // Ends a gesture without its effect (a modal box took the mouse).
    void cancelGestures();

private:
    void drawRubber(int32_t x, int32_t y);
    void eraseRubber();

    View& view_;
    GestureState& g_;
    int gin_;
};

}  // namespace ravo
