// One static window procedure per class, forwarding to a member handler
// behind the application's exception barrier.
#pragma once
#include <windows.h>

namespace ravo {

// The application's default error handler: shows the escaped exception in
// a stop-icon box captioned with the application title. Returns normally;
// the rest of the event's work has been skipped by the unwinding.
void handleEventException(HWND owner) noexcept;

// Shows a message box with no icon, captioned with the application title.
void showAppMessage(HWND owner, const wchar_t* text);

const wchar_t* applicationTitle();

// Shows `window` over `owner`, which is disabled meanwhile, and runs the
// messages until `running` goes false (or the application quits); then
// hides it and gives the owner back the focus.
inline void runModal(HWND window, HWND owner, bool& running) {
    SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    running = true;
    MSG msg{};
    while (running && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EnableWindow(owner, TRUE);
    ShowWindow(window, SW_HIDE);
    SetForegroundWindow(owner);
    if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
}

template <class T>
class WindowBase {
public:
    HWND hwnd() const { return hwnd_; }

protected:
    static LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        T* self = nullptr;
        if (msg == WM_NCCREATE) {
            auto cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            self = static_cast<T*>(cs->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
        // Nothing may unwind through user32.
        try {
            return self->handleMessage(msg, wp, lp);
        } catch (...) {
            handleEventException(hwnd);
            return 0;
        }
    }

    static bool registerClass(const wchar_t* name, UINT style, HBRUSH background, HCURSOR cursor = nullptr) {
        WNDCLASSEXW wc{};
        if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return true;
        wc.cbSize = sizeof wc;
        wc.style = style;
        wc.lpfnWndProc = staticProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = name;
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        return RegisterClassExW(&wc) != 0;
    }

    HWND hwnd_ = nullptr;
};

}  // namespace ravo
