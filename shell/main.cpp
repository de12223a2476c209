// The program's entry: one instance, one window, one CFractal.
#include "main_window.h"

#include <memory>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command)
{
    // A running instance is left alone; this one just ends.
    if (FindWindowW(WINDOW_CLASS, WINDOW_TITLE))
        return 0;

    // Owned here and outlives the window: every handler reaches it through
    // the window's extra data slot.
    auto fractal = std::make_unique<CFractal>();
    if (!start_main_window(instance, *fractal, show_command))
        return 0;

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
