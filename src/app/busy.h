// The wait cursor over work done on the window's thread.
#pragma once
#include <windows.h>

#include <string>

#include "controls.h"

namespace ravo {

// Work longer than this is shown as such: the wait cursor, and once the
// window is up, what is being done in its count line.
inline constexpr DWORD kSlowWorkMs = 500;

// While a handler works no message is handled, so nothing puts the arrow
// back until it ends: the wait cursor is set for all such work (too short
// to see where it is quick). The count line names the work only where the
// last work took longer than kSlowWorkMs (the same selection is as slow
// again), so quick changes do not flicker; the handler's own count text
// replaces it, and where it writes none the text before comes back.
class Busy {
public:
    Busy(HWND countLine, const wchar_t* doing, DWORD& lastMs)
        : line_(countLine), doing_(doing), lastMs_(lastMs), cursor_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))),
          start_(GetTickCount()) {
        if (lastMs_ <= kSlowWorkMs || !line_ || !IsWindowVisible(line_)) return;
        before_ = windowText(line_);
        SetWindowTextW(line_, doing_);
        UpdateWindow(line_);
        named_ = true;
    }
    ~Busy() {
        lastMs_ = GetTickCount() - start_;
        if (named_ && IsWindow(line_)) {
            if (windowText(line_) == doing_) SetWindowTextW(line_, before_.c_str());
        }
        SetCursor(cursor_);
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    HWND line_;
    const wchar_t* doing_;
    DWORD& lastMs_;
    HCURSOR cursor_;
    DWORD start_;
    std::wstring before_;
    bool named_ = false;
};

// What the count line says while the work runs.
inline constexpr const wchar_t* kLayingText = L"割り付けています…";
inline constexpr const wchar_t* kWritingText = L"書き出しています…";
inline constexpr const wchar_t* kDrawingText = L"描いています…";

}  // namespace ravo
