#include <exception>
#include <new>
#include <string>

#include "core/errors.h"
#include "platform/win32/win32_platform.h"
#include "window_base.h"

namespace ravo {

const wchar_t* applicationTitle() {
    // The program file's name without its extension, as the system titles
    // an application by default.
    static std::wstring title = [] {
        wchar_t path[MAX_PATH * 2] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
        std::wstring p(path);
        size_t slash = p.find_last_of(L"\\/");
        if (slash != std::wstring::npos) p.erase(0, slash + 1);
        size_t dot = p.find_last_of(L'.');
        if (dot != std::wstring::npos) p.erase(dot);
        return p;
    }();
    return title.c_str();
}

namespace {

// Pointer capture ends before a modal box, so the box gets the mouse.
void releaseGestures() {
    if (GetCapture()) ReleaseCapture();
}

bool gShowingError = false;

}  // namespace

void handleEventException(HWND owner) noexcept {
    std::u16string text;
    try {
        throw;
    } catch (const RaisedError& e) {
        text = e.message();
    } catch (const std::bad_alloc&) {
        text = kOutOfMemoryText;
    } catch (const std::exception& e) {
        std::string w = e.what();
        text.assign(w.begin(), w.end());
    } catch (...) {
        text = u"予期しないエラーが発生しました";
    }
    if (gShowingError) return;  // an error while the box is up: the box already tells
    gShowingError = true;
    releaseGestures();
    std::u16string shown = withFullStop(text);
    HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    if (top && !IsWindowVisible(top)) top = nullptr;
    MessageBoxW(top, wide(shown), applicationTitle(), MB_OK | MB_ICONSTOP);
    gShowingError = false;
}

void showAppMessage(HWND owner, const wchar_t* text) {
    releaseGestures();
    HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    if (top && !IsWindowVisible(top)) top = nullptr;
    MessageBoxW(top, text, applicationTitle(), MB_OK);
}

}  // namespace ravo
