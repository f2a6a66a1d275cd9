// Test driver: starts the real exe and works it from outside with window
// messages, window texts and files, the way a user's actions arrive.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ravo::driver {

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
    bool hasIcon = false;
    bool stopIcon = false;
    std::vector<std::wstring> buttons;
};

class Process {
public:
    // Starts `exe` with `workDir` as the current directory, and `args` after
    // its quoted name on the command line.
    Process(const std::wstring& exe, const std::wstring& workDir, const std::wstring& args = L"");
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return info_.hProcess != nullptr; }
    DWORD pid() const { return info_.dwProcessId; }
    // Top-level window of this process with the class, visible or not.
    HWND waitWindow(const wchar_t* className, DWORD timeoutMs = 15000, bool mustBeVisible = true,
                    DWORD pollMs = 20) const;
    // A message box of this process.
    bool waitMessageBox(MessageBoxInfo& box, DWORD timeoutMs = 15000) const;
    bool noMessageBoxFor(DWORD ms) const;
    // Waits for the process to end; false on time-out.
    bool waitExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    bool running() const;
    void kill();

private:
    PROCESS_INFORMATION info_{};
};

// A message box of the process `pid`.
bool waitMessageBoxOf(DWORD pid, MessageBoxInfo& box, DWORD timeoutMs);

std::wstring windowText(HWND h);
// The whole text however long (memo contents).
std::wstring longText(HWND h);
// Bytes of `text` in code page `cp` (932 for the host's files).
std::string encode(const std::wstring& text, unsigned cp = 932);
HWND child(HWND parent, int id);
RECT clientRectOf(HWND child);  // in its parent's client coordinates
bool isVisible(HWND h);
bool isChecked(HWND h);
// Posts a click, as the mouse would (returns at once; a modal box may follow).
void click(HWND button);
// Clicks and returns when the window has handled the click.
bool clickAndWait(HWND button, DWORD timeoutMs = 10000);
// Polls `cond` until it holds or the time is up.
bool waitUntil(bool (*cond)(void*), void* ctx, DWORD timeoutMs = 10000);
bool waitEnabled(HWND h, bool enabled, DWORD timeoutMs = 10000);
// Posts the notification a click on a control sends its parent; works on
// hidden controls too.
void command(HWND parent, int id);
void setText(HWND h, const std::wstring& text);
// Chooses item `index` of a drop-down list as the user would, and returns
// when the window has handled the change (a box it raises holds it until
// dismissed or the time is up).
bool chooseItem(HWND combo, int index, DWORD timeoutMs = 10000);
int chosenItem(HWND combo);
void dismiss(const MessageBoxInfo& box);
// The clipboard's Unicode text, as a paste would take it; empty where it
// holds none (or could not be opened).
std::wstring clipboardText();
// Waits until the window is gone.
bool waitClosed(HWND h, DWORD timeoutMs = 10000);
// Processes no messages itself; waits until the window's thread has
// handled everything sent so far.
bool settle(HWND h, DWORD timeoutMs = 5000);
bool resizeClient(HWND top, int width, int height);

// Pixels of a window's client area as the screen shows them, 0x00RRGGBB,
// row-major.
struct Pixels {
    int width = 0, height = 0;
    std::vector<unsigned> data;
    unsigned at(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};
// A top-down 32-bit DIB section of the given size; `bits` gets its pixels.
HBITMAP makeDib(HDC dc, int width, int height, void** bits);

Pixels capture(HWND h);
// One look, without waiting for the picture to settle.
Pixels captureOnce(HWND h);
// What the screen shows of the whole window, frame included.
Pixels captureScreen(HWND h);
bool saveBmp(const Pixels& px, const std::wstring& path);

// Files, UTF-16 paths.
std::string readFileBytes(const std::wstring& path);
bool writeFileBytes(const std::wstring& path, const std::string& bytes);
bool fileExists(const std::wstring& path);
std::wstring joinPath(const std::wstring& dir, const std::wstring& name);
bool copyTree(const std::wstring& from, const std::wstring& to);
bool removeTree(const std::wstring& dir);
std::wstring makeTempFolder(const std::wstring& prefix);

}  // namespace ravo::driver
