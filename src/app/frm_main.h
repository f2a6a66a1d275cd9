// The main window: the preview, the run's controls, OK and Cancel.
#pragma once
#include <windows.h>

#include <memory>

#include "controls.h"
#include "image_control.h"
#include "scoped_gdi.h"
#include "settings.h"
#include "window_base.h"

namespace ravo {

class App;

class TfrmMain : public WindowBase<TfrmMain>, public ImageEvents, private ControlMaker {
public:
    explicit TfrmMain(App& app);
    bool create();
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // The show sequence; without a host file it tells the user so and
    // closes the window, which ends the program.
    void FormShow();

    void imgGinMouseDown(int button, int x, int y) override;
    void imgGinMouseMove(int x, int y) override;
    void imgGinMouseUp(int x, int y) override;
    void imgGinCaptureLost() override;

    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    ImageControl& image() { return image_; }

private:
    HWND makeControl(const ControlSpec& row, HWND parent, const RECT& r) override;
    void FormCreate();
    void FormResize();
    void onCommand(int id, int code, HWND ctl);
    void dispatch(int id, int code, HWND ctl);
    void btnOKClick();
    void btnCancelClick();
    void lblURLClick();
    void btnDumpClick();
    void btnSheetClick();
    void btnSupportsClick();
    void chkStartClick();
    void chkEndClick();
    void btnReverseClick();
    void btnStartClick();
    void edtLengthChange();
    void chkLabelClick();
    void chkTableClick();
    void btnDirectionClick();
    // The controls that make sense for what was laid: the wall's start and
    // direction for a path, the end corners for all but a loop.
    void enableRunControls();
    void cmbTypeChange();
    void cmbFaceChange();
    Settings settings() const;
    void showCount();
    void makeRoomFor(HWND label);
    void btnZoomUpClick();
    void btnZoomDownClick();
    void btnHomeClick();
    void WMMousewheel(WPARAM wp);
    LRESULT onCtlColorStatic(HDC dc, HWND ctl);

    App& app_;
    DpiScale scale_;
    UiFont font_{scale_};
    AnchorLayout layout_;
    PanelControl panel_;
    ImageControl image_{*this};
    GdiObject<HBRUSH> urlBrush_;
};

}  // namespace ravo
