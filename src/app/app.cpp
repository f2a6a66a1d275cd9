#include "app.h"

#include <commctrl.h>

#include "control_ids.h"

namespace ravo {

void MainWindowMessages::showMessage(std::u16string_view text) {
    std::u16string t(text);
    showAppMessage(owner, wide(t));
}

App::App() {
    session_ = std::make_unique<Session>(Services{fs_, codec_, messages_, NumberFormat{regionalDecimalSeparator()}});
    // The batch file names the input: "/select" or "/points", else two points.
    session_->setRunMode(runModeFromCommandLine(fromWide(GetCommandLineW())));
    main_ = std::make_unique<TfrmMain>(*this);
    dump_ = std::make_unique<TfrmDump>(*this);
    sheet_ = std::make_unique<TfrmSheet>(*this);
    supports_ = std::make_unique<TfrmSupports>(*this);
}

Settings App::settings() const { return Settings(std::wstring(wide(fs_.besideProgram(kSettingsFile)))); }

int App::run() {
    // The sheet and support windows first: the main window hands them the
    // remembered choices.
    if (!sheet_->create() || !supports_->create() || !main_->create() || !dump_->create()) {
        MessageBoxW(nullptr, L"ウィンドウを作成できませんでした", applicationTitle(), MB_OK | MB_ICONSTOP);
        return 1;
    }
    messages_.owner = main_->hwnd();
    HWND mainWnd = main_->hwnd();
    // The show sequence runs before the window appears; an error it raises is
    // shown by the default handler and the window opens all the same.
    try {
        main_->FormShow();
    } catch (...) {
        handleEventException(mainWnd);
    }
    if (IsWindow(mainWnd)) {
        ShowWindow(mainWnd, SW_SHOWNORMAL);
        UpdateWindow(mainWnd);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsWindow(mainWnd) && IsDialogMessageW(mainWnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace ravo

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ravo::useExtendedPrecision();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    try {
        ravo::App app;
        return app.run();
    } catch (...) {
        ravo::handleEventException(nullptr);
        return 1;
    }
}
