// The diagnostic dump window: lists one gin (and the header state) as text.
#pragma once
#include <windows.h>

#include "controls.h"
#include "window_base.h"

namespace ravo {

class App;

class TfrmDump : public WindowBase<TfrmDump> {
public:
    explicit TfrmDump(App& app) : app_(app) {}
    bool create();
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);

    void setInitDialog();
    // Shows the window modally over `owner`; returns when it is closed.
    void showModal(HWND owner);

private:
    void btnDumpClick();
    void btnCancelClick();

    App& app_;
    DpiScale scale_;
    UiFont font_{scale_};
    AnchorLayout layout_;
    bool modal_ = false;
};

}  // namespace ravo
