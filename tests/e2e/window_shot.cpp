// quellarin_shot rect | close: for taking a screenshot of the viewer from
// outside. "rect" waits until its window is visible and painted, then prints
// the whole window's screen rectangle as WxH+X+Y; "close" closes the window.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 2 || (std::strcmp(argv[1], "rect") != 0 && std::strcmp(argv[1], "close") != 0)) {
        std::fprintf(stderr, "usage: quellarin_shot rect|close\n");
        return 2;
    }
    HWND window = nullptr;
    for (int tries = 0; tries < 600 && !(window && IsWindowVisible(window)); ++tries) {
        Sleep(50);
        window = FindWindowW(L"win_fractal", L"Quellarin");
    }
    if (!window) {
        std::fprintf(stderr, "quellarin_shot: no Quellarin window appeared\n");
        return 1;
    }
    if (std::strcmp(argv[1], "close") == 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    SetForegroundWindow(window);
    // A round trip through the window's queue: it has painted once this returns.
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
    Sleep(500);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
    return 0;
}
