// The sheet window: what OK adds to the drawing besides the wall, its labels
// and table: pile numbers, the developed elevation, the annotations' layer,
// a pile as one object. Every choice takes effect at once and is
// remembered. The quantity table goes to the clipboard from here too.
#pragma once
#include <windows.h>

#include "controls.h"
#include "settings.h"
#include "window_base.h"

namespace ravo {

class App;

class TfrmSheet : public WindowBase<TfrmSheet> {
public:
    explicit TfrmSheet(App& app) : app_(app) {}
    bool create();
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // The remembered choices into the window and the session (before the
    // first show).
    void loadSettings();
    // Shows the window modally over `owner`; returns when it is closed.
    void showModal(HWND owner);

private:
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    Settings settings() const;
    void onCommand(int id, int code);
    void numbersChange();
    void elevationChange();
    void cmbLayerChange();
    void chkGroupClick();
    void btnCopyClick();
    void showNote();

    App& app_;
    DpiScale scale_;
    UiFont font_{scale_};
    AnchorLayout layout_;
    bool modal_ = false;
    bool loading_ = false;
};

}  // namespace ravo
