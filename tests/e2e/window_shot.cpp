// quellarin_shot rect | client | close | dialog | report: lets scripts that
// drive the viewer through X see it from inside Wine.
//   rect    waits until the viewer is visible and painted, prints the whole
//           window's screen rectangle as WxH+X+Y
//   client  prints the client area's screen origin as "X Y"
//   close   closes the viewer
//   dialog  waits for the parameter dialog; exit 1 if none shows
//   report  waits for the time report and prints its text (UTF-8)
//   count   prints how many viewer windows there are
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// The visible top-level window, waiting up to 15 seconds; null if none shows.
HWND wait_for(const wchar_t* window_class, const wchar_t* title)
{
    for (int tries = 0; tries < 300; ++tries) {
        HWND window = FindWindowW(window_class, title);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(50);
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* mode = argc == 2 ? argv[1] : "";
    if (std::strcmp(mode, "dialog") == 0)
        return wait_for(L"#32770", L"パラメータ") ? 0 : 1;
    if (std::strcmp(mode, "report") == 0) {
        HWND box = wait_for(L"#32770", L"計算に掛かった時間");
        wchar_t text[64] = {};
        char utf8[256] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 64);  // the message's static control
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        std::printf("%s\n", utf8);
        return box ? 0 : 1;
    }
    if (std::strcmp(mode, "count") == 0) {
        int count = 0;
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"win_fractal", L"Quellarin"));)
            ++count;
        std::printf("%d\n", count);
        return 0;
    }
    HWND window = wait_for(L"win_fractal", L"Quellarin");
    if (!window) {
        std::fprintf(stderr, "quellarin_shot: no Quellarin window appeared\n");
        return 1;
    }
    if (std::strcmp(mode, "close") == 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (std::strcmp(mode, "client") == 0) {
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        std::printf("%ld %ld\n", origin.x, origin.y);
        return 0;
    }
    if (std::strcmp(mode, "rect") != 0) {
        std::fprintf(stderr, "usage: quellarin_shot rect|client|close|dialog|report|count\n");
        return 2;
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
