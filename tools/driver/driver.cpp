#include "driver.h"

#include <shellapi.h>

#include <cstdio>

namespace ravo::driver {

namespace {

struct FindCtx {
    DWORD pid;
    const wchar_t* cls;
    bool visible;
    HWND found;
};

BOOL CALLBACK findWindowProc(HWND h, LPARAM lp) {
    auto* ctx = reinterpret_cast<FindCtx*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != ctx->pid) return TRUE;
    wchar_t cls[128] = {};
    GetClassNameW(h, cls, 128);
    if (wcscmp(cls, ctx->cls) != 0) return TRUE;
    if (ctx->visible && !IsWindowVisible(h)) return TRUE;
    ctx->found = h;
    return FALSE;
}

HWND findWindow(DWORD pid, const wchar_t* cls, bool visible) {
    FindCtx ctx{pid, cls, visible, nullptr};
    EnumWindows(findWindowProc, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// Deadline polling: returns as soon as the condition holds.
template <class F>
bool pollUntil(DWORD timeoutMs, F&& cond, DWORD pollMs = 20) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (cond()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(pollMs);
    }
}

BOOL CALLBACK collectButtons(HWND h, LPARAM lp) {
    auto* box = reinterpret_cast<MessageBoxInfo*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    if (_wcsicmp(cls, L"Button") == 0) box->buttons.push_back(windowText(h));
    if (_wcsicmp(cls, L"Static") == 0) {
        LONG style = GetWindowLongW(h, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(h)) {
            HICON icon = reinterpret_cast<HICON>(SendMessageW(h, STM_GETICON, 0, 0));
            if (icon) {
                box->hasIcon = true;
                if (icon == LoadIconW(nullptr, IDI_HAND)) box->stopIcon = true;
            }
        } else if (GetDlgCtrlID(h) == 0xFFFF) {
            box->text = windowText(h);
        }
    }
    return TRUE;
}

struct FindChild {
    int id;
    HWND found;
};

BOOL CALLBACK findChildProc(HWND c, LPARAM lp) {
    auto* x = reinterpret_cast<FindChild*>(lp);
    if (GetDlgCtrlID(c) == x->id) {
        x->found = c;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

Process::Process(const std::wstring& exe, const std::wstring& workDir, const std::wstring& args) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &info_))
        info_ = {};
}

Process::~Process() {
    if (!info_.hProcess) return;
    if (running()) kill();
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

HWND Process::waitWindow(const wchar_t* cls, DWORD timeoutMs, bool mustBeVisible, DWORD pollMs) const {
    HWND found = nullptr;
    pollUntil(
        timeoutMs,
        [&] {
            found = findWindow(pid(), cls, mustBeVisible);
            return found != nullptr || !running();
        },
        pollMs);
    return found;
}

bool Process::waitMessageBox(MessageBoxInfo& box, DWORD timeoutMs) const {
    return waitMessageBoxOf(pid(), box, timeoutMs);
}

bool waitMessageBoxOf(DWORD pid, MessageBoxInfo& box, DWORD timeoutMs) {
    HWND h = nullptr;
    pollUntil(timeoutMs, [&] { return (h = findWindow(pid, L"#32770", true)) != nullptr; });
    if (!h) return false;
    box = MessageBoxInfo{};
    box.hwnd = h;
    // The box fills in its controls while it is created; let it finish.
    settle(h);
    box.caption = windowText(h);
    EnumChildWindows(h, collectButtons, reinterpret_cast<LPARAM>(&box));
    return true;
}

bool Process::noMessageBoxFor(DWORD ms) const {
    return !pollUntil(ms, [&] { return findWindow(pid(), L"#32770", true) != nullptr; });
}

bool Process::waitExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (!info_.hProcess) return false;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

bool Process::running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

void Process::kill() {
    if (info_.hProcess) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

std::wstring windowText(HWND h) {
    wchar_t buf[4096] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &got);
    return buf;
}

std::wstring longText(HWND h) {
    DWORD_PTR len = 0;
    SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len);
    std::wstring buf(len + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 5000, &got);
    buf.resize(got);
    return buf;
}

std::string encode(const std::wstring& text, unsigned cp) {
    int n = WideCharToMultiByte(cp, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

HWND child(HWND parent, int id) {
    HWND h = GetDlgItem(parent, id);
    if (h) return h;
    // Controls inside a child container (the image inside its panel).
    FindChild ctx{id, nullptr};
    EnumChildWindows(parent, findChildProc, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

RECT clientRectOf(HWND c) {
    RECT rc{};
    GetWindowRect(c, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(c), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool isVisible(HWND h) { return (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0; }

bool isChecked(HWND h) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    return r == BST_CHECKED;
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool clickAndWait(HWND button, DWORD timeoutMs) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &r) != 0;
}

bool waitUntil(bool (*cond)(void*), void* ctx, DWORD timeoutMs) {
    return pollUntil(timeoutMs, [&] { return cond(ctx); });
}

bool waitEnabled(HWND h, bool enabled, DWORD timeoutMs) {
    return pollUntil(timeoutMs, [&] { return (IsWindowEnabled(h) != FALSE) == enabled; });
}

void command(HWND parent, int id) {
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(parent, id)));
}

void setText(HWND h, const std::wstring& text) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &r);
}

bool chooseItem(HWND combo, int index, DWORD timeoutMs) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(combo, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, timeoutMs, &r)) return false;
    // CB_SETCURSEL notifies nobody; the list's own choice sends this.
    return SendMessageTimeoutW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(combo), SMTO_ABORTIFHUNG, timeoutMs, &r) != 0;
}

int chosenItem(HWND combo) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r)) return -1;
    return static_cast<int>(static_cast<LRESULT>(r));
}

void dismiss(const MessageBoxInfo& box) { PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0); }

std::wstring clipboardText() {
    // The tool may still hold the clipboard a moment after its click.
    if (!pollUntil(2000, [] { return OpenClipboard(nullptr) != FALSE; })) return {};
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* at = static_cast<const wchar_t*>(GlobalLock(data))) {
            text.assign(at, wcsnlen(at, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool waitClosed(HWND h, DWORD timeoutMs) {
    return pollUntil(timeoutMs, [&] { return !IsWindow(h); });
}

bool settle(HWND h, DWORD timeoutMs) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &r) != 0;
}

bool resizeClient(HWND top, int width, int height) {
    RECT wr{0, 0, width, height};
    AdjustWindowRectEx(&wr, static_cast<DWORD>(GetWindowLongW(top, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(top, GWL_EXSTYLE)));
    // Asynchronous: a box the resize raises must not hold us up.
    BOOL ok = SetWindowPos(top, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_ASYNCWINDOWPOS);
    settle(top);
    return ok != FALSE;
}

HBITMAP makeDib(HDC dc, int width, int height, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

namespace {

// The pixels of a rectangle of the screen.
Pixels grabScreen(int left, int top, int width, int height) {
    Pixels px;
    px.width = width;
    px.height = height;
    if (width <= 0 || height <= 0) return px;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = makeDib(screen, width, height, &bits);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    px.data.assign(static_cast<const unsigned*>(bits), static_cast<const unsigned*>(bits) + static_cast<size_t>(width) * height);
    for (auto& v : px.data) v &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return px;
}

}  // namespace

Pixels captureOnce(HWND h) {
    // What the window shows on the screen (an HDC of ours cannot be drawn on
    // by another process, so WM_PRINTCLIENT is no way; and under Wine a
    // window's own DC reads back black).
    RECT rc{};
    GetClientRect(h, &rc);
    settle(h);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    return grabScreen(origin.x, origin.y, rc.right, rc.bottom);
}

Pixels capture(HWND h) {
    // Wine puts a painted window on the screen a little later: wait until
    // two looks some frames apart agree.
    Pixels last = captureOnce(h);
    for (int i = 0; i < 40; ++i) {
        Sleep(60);
        Pixels now = captureOnce(h);
        if (now.data == last.data) return now;
        last = std::move(now);
    }
    return last;
}

Pixels captureScreen(HWND h) {
    RECT rc{};
    GetWindowRect(h, &rc);
    return grabScreen(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

bool saveBmp(const Pixels& px, const std::wstring& path) {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = px.width;
    ih.biHeight = -px.height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    const DWORD dataSize = static_cast<DWORD>(px.data.size() * 4);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + dataSize;
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
    bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    bytes.append(reinterpret_cast<const char*>(px.data.data()), dataSize);
    return writeFileBytes(path, bytes);
}

std::string readFileBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string data;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    CloseHandle(f);
    return data;
}

bool writeFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(f);
    return ok && put == bytes.size();
}

bool fileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring joinPath(const std::wstring& dir, const std::wstring& name) {
    if (dir.empty() || dir.back() == L'\\') return dir + name;
    return dir + L"\\" + name;
}

bool copyTree(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(joinPath(from, L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = copyTree(joinPath(from, name), joinPath(to, name)) && ok;
        else
            ok = CopyFileW(joinPath(from, name).c_str(), joinPath(to, name).c_str(), FALSE) && ok;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return ok;
}

bool removeTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(joinPath(dir, L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring p = joinPath(dir, name);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(p);
            } else {
                SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(p.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryW(dir.c_str()) != FALSE;
}

std::wstring makeTempFolder(const std::wstring& prefix) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    for (unsigned n = GetTickCount();; ++n) {
        std::wstring p = joinPath(base, prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(n));
        if (CreateDirectoryW(p.c_str(), nullptr)) return p;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
}

}  // namespace ravo::driver
