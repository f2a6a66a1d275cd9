// Command-line front of the test driver, for scripts:
//   ravo-driver run <exe> <folder> [--screenshot <file.bmp>] [--press ok|cancel|none]
//                   [--tick start|end]... [--slow N]
//   ravo-driver bench-repaint <exe> <folder>
//   ravo-driver bench-start <exe> <folder>
//   ravo-driver attach [--screenshot <file.bmp>] [--press ok|cancel]
// starts the tool in <folder>, waits for its main window (or reports the
// message box it shows), saves a screenshot, presses the button and waits
// for the program to end. Prints what happened, one fact per line.
// --tick ticks a corner check box before the press; --slow N stretches every
// wait N times, for a tool run through user-mode emulation.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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
    std::vector<int> ticks;
    DWORD slow = 1;
    for (int i = 4; i + 1 < argc; i += 2) {
        std::wstring k = argv[i], v = argv[i + 1];
        if (k == L"--screenshot") shot = v;
        if (k == L"--press") press = v;
        if (k == L"--tick") ticks.push_back(v == L"end" ? ravo::ids::chkEnd : ravo::ids::chkStart);
        if (k == L"--slow") slow = static_cast<DWORD>(std::clamp(_wtoi(v.c_str()), 1, 1000));
    }
    Process p(exe, folder);
    if (!p.started()) {
        say(L"error: could not start " + exe);
        return 1;
    }
    // The main window, or a box shown instead of it (the start message, an
    // error), whichever comes first.
    HWND main = nullptr;
    MessageBoxInfo box;
    for (DWORD waited = 0; waited < 20000 * slow && !main && p.running(); waited += 200) {
        main = p.waitWindow(ravo::ids::kMainClass, 100, true);
        if (!main && p.waitMessageBox(box, 100)) break;
    }
    // Boxes shown before or over the window.
    while (!main || p.noMessageBoxFor(300 * slow) == false) {
        if (!p.waitMessageBox(box, (main ? 300 : 20000) * slow)) break;
        say(L"message: [" + box.caption + L"] " + box.text);
        if (!shot.empty() && !main) saveBmp(captureScreen(box.hwnd), shot);
        dismiss(box);
        Sleep(200);
        if (!main) main = p.waitWindow(ravo::ids::kMainClass, 3000 * slow, true);
        if (!p.running()) break;
    }
    if (main) {
        settle(main, 5000 * slow);
        Sleep(300);  // let the first picture reach the screen
        say(L"window: " + windowText(main));
        if (!shot.empty()) {
            SetForegroundWindow(main);
            Sleep(200);
            saveBmp(captureScreen(main), shot);
            say(L"screenshot: " + shot);
        }
        for (int id : ticks) {
            HWND check = child(main, id);
            // Sent, not posted: the run is laid again before the press.
            if (!isChecked(check)) clickAndWait(check, 10000 * slow);
            say(std::wstring(L"ticked: ") + (id == ravo::ids::chkEnd ? L"end" : L"start") +
                (isChecked(check) ? L"" : L" (still unticked)"));
        }
        if (press == L"ok") click(child(main, ravo::ids::btnOK));
        if (press == L"cancel") click(child(main, ravo::ids::btnCancel));
        if (press == L"none") return 0;
        // An error on OK leaves the window open with a box; a good OK ends
        // the program, so stop looking as soon as it has gone.
        bool boxed = false;
        for (DWORD waited = 0; waited < 1500 * slow && !boxed && p.running(); waited += 100)
            boxed = p.waitMessageBox(box, 100);
        if (boxed && p.running()) {
            say(L"message: [" + box.caption + L"] " + box.text);
            dismiss(box);
            waitClosed(box.hwnd, 10000 * slow);
            if (IsWindow(main)) click(child(main, ravo::ids::btnCancel));
        }
    }
    DWORD code = 0;
    if (!p.waitExit(20000 * slow, &code)) {
        say(L"error: the program did not end");
        p.kill();
        return 1;
    }
    say(L"exit code: " + std::to_wstring(code));
    return 0;
}

// ravo-driver attach [--screenshot <file.bmp>] [--press ok|cancel]: works the
// tool's window whoever started it (the host simulator starts it through the
// batch file), then waits until the window is gone.
BOOL CALLBACK findMainProc(HWND h, LPARAM lp) {
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    if (wcscmp(cls, ravo::ids::kMainClass) == 0 && IsWindowVisible(h)) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

// A message box the tool shows before its window (a refused selection, an
// error reading the transfer file): the system's dialog class, with the
// tool's title.
BOOL CALLBACK findToolBoxProc(HWND h, LPARAM lp) {
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(h) && windowText(h) == L"Ravo鋼矢板") {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

int attach(int argc, wchar_t** argv) {
    std::wstring shot, press = L"ok";
    for (int i = 2; i + 1 < argc; i += 2) {
        std::wstring k = argv[i];
        if (k == L"--screenshot") shot = argv[i + 1];
        if (k == L"--press") press = argv[i + 1];
    }
    HWND main = nullptr;
    for (int i = 0; i < 600 && !main; ++i) {
        EnumWindows(findMainProc, reinterpret_cast<LPARAM>(&main));
        HWND boxed = nullptr;
        if (!main) EnumWindows(findToolBoxProc, reinterpret_cast<LPARAM>(&boxed));
        DWORD pid = 0;
        MessageBoxInfo info;
        if (boxed && GetWindowThreadProcessId(boxed, &pid) && waitMessageBoxOf(pid, info, 1000)) {
            say(L"message: [" + info.caption + L"] " + info.text);
            dismiss(info);
            waitClosed(info.hwnd);
        }
        if (!main) Sleep(50);
    }
    if (!main) {
        say(L"error: the tool's window did not appear");
        return 1;
    }
    settle(main);
    Sleep(300);
    say(L"window: " + windowText(main));
    if (!shot.empty()) {
        saveBmp(captureScreen(main), shot);
        say(L"screenshot: " + shot);
    }
    if (press == L"none") return 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    click(child(main, press == L"cancel" ? ravo::ids::btnCancel : ravo::ids::btnOK));
    // A failed OK leaves the window with a box: report it, then cancel.
    MessageBoxInfo info;
    if (waitMessageBoxOf(pid, info, 1500) && IsWindow(main)) {
        say(L"message: [" + info.caption + L"] " + info.text);
        dismiss(info);
        waitClosed(info.hwnd);
        if (IsWindow(main)) click(child(main, ravo::ids::btnCancel));
    }
    for (int i = 0; i < 600 && IsWindow(main); ++i) Sleep(50);
    return IsWindow(main) ? 1 : 0;
}

// ---- repaint benchmark ----

double nowMs() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void sendSync(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, 30000, &r);
}

struct Seg {
    double x1, y1, x2, y2;
};

std::vector<Seg> readSegments(const std::wstring& path) {
    // Line by line: the notice, the layer switch and other records among
    // the segments are passed over.
    std::vector<Seg> segs;
    const std::string data = readFileBytes(path);
    for (size_t at = 0; at < data.size();) {
        size_t end = data.find('\n', at);
        if (end == std::string::npos) end = data.size();
        const std::string line = data.substr(at, end - at);
        at = end + 1;
        Seg s;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf", &s.x1, &s.y1, &s.x2, &s.y2) == 4) segs.push_back(s);
    }
    return segs;
}

// One PolyPolyline of the segments mapped for the fitted window, into a
// memory bitmap of the image's size: the least a repaint can cost.
double polyPolylineMs(const std::vector<Seg>& segs, int w, int h, int reps) {
    double minX = 1e308, minY = 1e308, maxX = -1e308, maxY = -1e308;
    for (const Seg& s : segs) {
        minX = std::min({minX, s.x1, s.x2});
        maxX = std::max({maxX, s.x1, s.x2});
        minY = std::min({minY, s.y1, s.y2});
        maxY = std::max({maxY, s.y1, s.y2});
    }
    const double bw = (maxX - minX) * 1.1, bh = (maxY - minY) * 1.1;
    const double scale = std::max(bw / w, bh / h);
    const double ox = (minX + maxX) / 2 - w * scale / 2, oy = (minY + maxY) / 2 - h * scale / 2;
    std::vector<POINT> pts;
    std::vector<DWORD> counts;
    for (const Seg& s : segs) {
        pts.push_back({static_cast<LONG>(std::lround((s.x1 - ox) / scale)), static_cast<LONG>(std::lround(h - (s.y1 - oy) / scale))});
        pts.push_back({static_cast<LONG>(std::lround((s.x2 - ox) / scale)), static_cast<LONG>(std::lround(h - (s.y2 - oy) / scale))});
        counts.push_back(2);
    }
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = makeDib(screen, w, h, &bits);
    HGDIOBJ old = SelectObject(mem, bmp);
    HGDIOBJ oldPen = SelectObject(mem, GetStockObject(BLACK_PEN));
    double best = 1e9;
    for (int r = 0; r < reps; ++r) {
        const double t0 = nowMs();
        PatBlt(mem, 0, 0, w, h, WHITENESS);
        PolyPolyline(mem, pts.data(), counts.data(), static_cast<DWORD>(counts.size()));
        GdiFlush();
        best = std::min(best, nowMs() - t0);
    }
    SelectObject(mem, oldPen);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return best;
}

// ravo-driver bench-repaint <exe> <folder>: a 5,000-pile run, its repaint
// timed through the real window against one PolyPolyline of its segments.
// One repaint measurement: the tool started on `temp` with `args`, "H"
// clicked to repaint everything, zoomed in, one message round trip; then OK
// and the result drawn by one PolyPolyline for comparison.
int benchRepaintOf(const std::wstring& exe, const std::wstring& folder, const std::wstring& args, const char* temp,
                   const wchar_t* what) {
    const int reps = 15;
    writeFileBytes(joinPath(folder, L"temp.txt"), temp);
    Process p(exe, folder, args);
    HWND main = p.waitWindow(ravo::ids::kMainClass, 30000, true);
    if (!main) {
        say(L"error: no window");
        return 1;
    }
    HWND img = child(main, ravo::ids::imgGin);
    HWND home = child(main, ravo::ids::btnHome);
    RECT rc;
    GetClientRect(img, &rc);
    settle(main);
    // Full repaints: "H" fits the same window again and draws everything.
    double full = 1e9;
    for (int r = 0; r < reps; ++r) {
        const double t0 = nowMs();
        sendSync(home, BM_CLICK, 0, 0);
        full = std::min(full, nowMs() - t0);
    }
    // Zoomed in about the centre until a sliver of the run is on the image;
    // a click on the centre re-centres and repaints.
    const int zooms = 50;
    for (int i = 0; i < zooms; ++i) sendSync(child(main, ravo::ids::btnZoomUp), BM_CLICK, 0, 0);
    const LPARAM centre = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    double zoomed = 1e9;
    for (int r = 0; r < reps; ++r) {
        const double t0 = nowMs();
        sendSync(img, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        sendSync(img, WM_LBUTTONUP, 0, centre);
        zoomed = std::min(zoomed, nowMs() - t0);
    }
    // The floor under both: one message to the tool and back, no drawing.
    double roundTrip = 1e9;
    for (int r = 0; r < reps; ++r) {
        const double t0 = nowMs();
        sendSync(img, WM_NULL, 0, 0);
        roundTrip = std::min(roundTrip, nowMs() - t0);
    }
    sendSync(home, BM_CLICK, 0, 0);
    click(child(main, ravo::ids::btnOK));
    DWORD code = 1;
    if (!p.waitExit(30000, &code) || code != 0) {
        say(L"error: the tool did not end well after OK");
        return 1;
    }
    const std::vector<Seg> segs = readSegments(joinPath(folder, L"jwc_temp.txt"));
    if (segs.empty()) {
        say(L"error: no result to compare with");
        return 1;
    }
    const double peer = polyPolylineMs(segs, rc.right, rc.bottom, reps);
    const double visible = 100.0 / std::pow(1.1, zooms);
    wchar_t line[400];
    swprintf(line, 400,
             L"repaint %ls (%zu segments), image %dx%d: full %.2f ms, one PolyPolyline %.2f ms, ratio %.2f; "
             L"zoomed in %d steps (about %.2f %% of the run's length on the image): %.2f ms; "
             L"one message to the tool and back %.3f ms",
             what, segs.size(), static_cast<int>(rc.right), static_cast<int>(rc.bottom), full, peer, full / peer, zooms,
             visible, zoomed, roundTrip);
    say(line);
    return 0;
}

// ravo-driver bench-repaint <exe> <folder>: a straight run of 5,000 piles,
// a selected loop of 24,988 pieces (a rectangle 2,999 m by 1,999 m), and a
// selected circle of 1 km radius (15,708 piles).
int benchRepaint(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::wstring exe = argv[2], folder = argv[3];
    const int piles = 5000;
    char temp[200];
    std::snprintf(temp, sizeof temp, "hq\r\nhp1 0 0\r\nhp2 %.6f %.6f\r\n", piles * 400.0 * 0.8660254037844386 - 1,
                  piles * 400.0 * 0.5 - 1);
    if (benchRepaintOf(exe, folder, L"", temp, L"5000 piles") != 0) return 1;
    if (benchRepaintOf(exe, folder, L"/select",
                       "hq\r\n#\r\n 0 0 2999000 0\r\n 2999000 0 2999000 1999000\r\n"
                       " 2999000 1999000 0 1999000\r\n 0 1999000 0 0\r\n",
                       L"a loop of 24988 pieces") != 0)
        return 1;
    return benchRepaintOf(exe, folder, L"/select", "hq\r\n#\r\nci 0 0 1000000\r\n", L"a circle of 15708 piles");
}

// From CreateProcess to the first black pixel on the screen in the child 101
// (the tool's image) of the program's window of class `cls`, polled each
// millisecond; the process is left running.
double startToPicture(std::unique_ptr<Process>& p, const std::wstring& exe, const std::wstring& folder,
                      const wchar_t* cls, HWND& main) {
    const double t0 = nowMs();
    p = std::make_unique<Process>(exe, folder);
    main = p->waitWindow(cls, 30000, true, 1);
    if (!main) return -1;
    HWND img = child(main, ravo::ids::imgGin);
    for (int i = 0; i < 10000; ++i) {
        Pixels px = captureOnce(img);
        if (std::any_of(px.data.begin(), px.data.end(), [](unsigned v) { return v == 0; })) return nowMs() - t0;
        Sleep(1);
    }
    return -1;  // no picture ever appeared: no time to report
}

// ravo-driver bench-start <exe> <folder> [<bare exe>]: start to first
// picture of a 5,000-pile run and of the typical two-pile run, and of a bare
// Win32 window as the platform's floor; from OK to the end of the process
// with the 5,000-pile result written.
int benchStart(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::wstring exe = argv[2], folder = argv[3], bare = argc >= 5 ? argv[4] : L"";
    const int reps = 5;
    double bestBare = 1e9, bestTwo = 1e9, bestStart = 1e9, bestOk = 1e9, bestClosed = 1e9;
    size_t bytes = 0;
    std::unique_ptr<Process> p;
    HWND main = nullptr;
    for (int rep = 0; rep < reps && !bare.empty(); ++rep) {
        const double t = startToPicture(p, bare, folder, L"RavoBareFrame", main);
        if (t < 0) return 1;
        bestBare = std::min(bestBare, t);
        PostMessageW(main, WM_CLOSE, 0, 0);
        p->waitExit(30000);
    }
    writeFileBytes(joinPath(folder, L"temp.txt"), "hq\r\nhp1 100 200\r\nhp2 900 200\r\n");
    for (int rep = 0; rep < reps; ++rep) {
        const double t = startToPicture(p, exe, folder, ravo::ids::kMainClass, main);
        if (t < 0) return 1;
        bestTwo = std::min(bestTwo, t);
        click(child(main, ravo::ids::btnCancel));
        p->waitExit(30000);
    }
    for (int rep = 0; rep < reps; ++rep) {
        writeFileBytes(joinPath(folder, L"temp.txt"), "hq\r\nhp1 0 0\r\nhp2 1732050.8 999999\r\n");
        const double t = startToPicture(p, exe, folder, ravo::ids::kMainClass, main);
        if (t < 0) return 1;
        bestStart = std::min(bestStart, t);
        const double t1 = nowMs();
        click(child(main, ravo::ids::btnOK));
        waitClosed(main, 30000);
        bestClosed = std::min(bestClosed, nowMs() - t1);
        DWORD code = 1;
        if (!p->waitExit(30000, &code) || code != 0) return 1;
        bestOk = std::min(bestOk, nowMs() - t1);
        bytes = readFileBytes(joinPath(folder, L"jwc_temp.txt")).size();
        if (bytes == 0) return 1;  // OK wrote nothing: the time is no result's
    }
    wchar_t line[400];
    swprintf(line, 400,
             L"start to first picture %.0f ms; two piles %.0f ms; a bare Win32 window %.0f ms; "
             L"OK to window closed %.0f ms, to process exit %.0f ms (result %zu bytes)",
             bestStart, bestTwo, bare.empty() ? -1.0 : bestBare, bestClosed, bestOk, bytes);
    say(line);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wstring(argv[1]) == L"run") return run(argc, argv);
    if (argc >= 2 && std::wstring(argv[1]) == L"bench-repaint") return benchRepaint(argc, argv);
    if (argc >= 2 && std::wstring(argv[1]) == L"attach") return attach(argc, argv);
    if (argc >= 2 && std::wstring(argv[1]) == L"bench-start") return benchStart(argc, argv);
    std::fputs("usage: ravo-driver run <exe> <folder> [--screenshot file.bmp] [--press ok|cancel|none]\n"
               "       ravo-driver attach [--screenshot file.bmp] [--press ok|cancel]\n"
               "       ravo-driver bench-repaint <exe> <folder>\n"
               "       ravo-driver bench-start <exe> <folder> [<bare exe>]\n", stderr);
    return 2;
}
