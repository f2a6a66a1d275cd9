// The least a Win32 program does to put a picture on the screen: a window
// with a child that paints a black square. The start benchmark times it next
// to the tool, in the same run, as the floor the platform sets.
#include <windows.h>

namespace {

LRESULT CALLBACK pictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r{10, 10, 60, 60};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK frameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
    WNDCLASSW frame{0, frameProc, 0, 0, inst, nullptr, LoadCursorW(nullptr, IDC_ARROW),
                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, L"RavoBareFrame"};
    WNDCLASSW picture{0, pictureProc, 0, 0, inst, nullptr, nullptr, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                      nullptr, L"RavoBarePicture"};
    RegisterClassW(&frame);
    RegisterClassW(&picture);
    HWND main = CreateWindowExW(0, L"RavoBareFrame", L"bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 330,
                                380, nullptr, nullptr, inst, nullptr);
    // The same id as the tool's image, so the benchmark looks at it alike.
    CreateWindowExW(0, L"RavoBarePicture", L"", WS_CHILD | WS_VISIBLE, 8, 8, 289, 229, main,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(101)), inst, nullptr);
    ShowWindow(main, SW_SHOWNORMAL);
    UpdateWindow(main);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
