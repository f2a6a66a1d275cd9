// The supports window: wales, struts, corner braces and king posts inside a
// cofferdam, at the levels typed, of the member chosen. Every choice takes
// effect at once and is remembered; the note gives the guide's defaults and
// why the typed text draws none.
#pragma once
#include <windows.h>

#include <string>

#include "controls.h"
#include "settings.h"
#include "window_base.h"

namespace ravo {

class App;

class TfrmSupports : public WindowBase<TfrmSupports> {
public:
    explicit TfrmSupports(App& app) : app_(app) {}
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
    void supportsChange();
    void showNote();

    App& app_;
    DpiScale scale_;
    UiFont font_{scale_};
    AnchorLayout layout_;
    bool modal_ = false;
    bool loading_ = false;
};

}  // namespace ravo
