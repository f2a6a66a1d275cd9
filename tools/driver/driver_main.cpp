// Command-line front of the test driver, for scripts:
//   ravo-driver run <exe> <folder> [--screenshot <file.bmp>] [--press ok|cancel|none]
// starts the tool in <folder>, waits for its main window (or reports the
// message box it shows), saves a screenshot, presses the button and waits
// for the program to end. Prints what happened, one fact per line.
#include <cstdio>
#include <string>

#include "../../src/app/control_ids.h"
#include "driver.h"

using namespace ravo::driver;

namespace {

void say(const std::wstring& s) {
    // UTF-8 out, so a Linux terminal shows the Japanese texts.
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string u(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), u.data(), n, nullptr, nullptr);
    std::fwrite(u.data(), 1, u.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int run(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::wstring exe = argv[2], folder = argv[3];
    std::wstring shot, press = L"ok";
    for (int i = 4; i + 1 < argc; i += 2) {
        std::wstring k = argv[i];
        if (k == L"--screenshot") shot = argv[i + 1];
        if (k == L"--press") press = argv[i + 1];
    }
    Process p(exe, folder);
    if (!p.started()) {
        say(L"error: could not start " + exe);
        return 1;
    }
    HWND main = p.waitWindow(ravo::ids::kMainClass, 20000, true);
    // Boxes shown before or over the window (errors, the start message).
    MessageBoxInfo box;
    while (!main || p.noMessageBoxFor(300) == false) {
        if (!p.waitMessageBox(box, main ? 300 : 20000)) break;
        say(L"message: [" + box.caption + L"] " + box.text);
        if (!shot.empty() && !main) saveBmp(captureScreen(box.hwnd), shot);
        dismiss(box);
        Sleep(200);
        if (!main) main = p.waitWindow(ravo::ids::kMainClass, 3000, true);
        if (!p.running()) break;
    }
    if (main) {
        settle(main);
        Sleep(300);  // let the first picture reach the screen
        say(L"window: " + windowText(main));
        if (!shot.empty()) {
            SetForegroundWindow(main);
            Sleep(200);
            saveBmp(captureScreen(main), shot);
            say(L"screenshot: " + shot);
        }
        if (press == L"ok") click(child(main, ravo::ids::btnOK));
        if (press == L"cancel") click(child(main, ravo::ids::btnCancel));
        if (press == L"none") return 0;
        // An error on OK leaves the window open with a box.
        if (p.waitMessageBox(box, 1500) && p.running()) {
            say(L"message: [" + box.caption + L"] " + box.text);
            dismiss(box);
        }
    }
    DWORD code = 0;
    if (!p.waitExit(20000, &code)) {
        say(L"error: the program did not end");
        p.kill();
        return 1;
    }
    say(L"exit code: " + std::to_wstring(code));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wstring(argv[1]) == L"run") return run(argc, argv);
    std::fputs("usage: ravo-driver run <exe> <folder> [--screenshot file.bmp] [--press ok|cancel|none]\n", stderr);
    return 2;
}
