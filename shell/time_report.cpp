#include "time_report.h"

#include "renderer.h"
#include "win32.h"

void compute_and_report(CFractal& fractal)
{
    const std::int32_t elapsed = compute_image(fractal);
    if (!fractal.show_time)
        return;
    wchar_t text[100];
    wsprintfW(text, L"%dミリ秒", static_cast<int>(elapsed));
    MessageBoxW(window_of(fractal), text, L"計算に掛かった時間", MB_OK);
}
