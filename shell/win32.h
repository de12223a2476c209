// The Windows headers as the shell uses them, and the conversions between
// the engine's opaque handles and the platform's types.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "fractal.h"

inline HWND window_of(const CFractal& fractal) { return static_cast<HWND>(fractal.window); }
inline HDC memory_dc_of(const CFractal& fractal) { return static_cast<HDC>(fractal.memory_dc); }

// The CFractal that a main window carries in its extra data slot; null
// before start-up has stored it.
inline CFractal* fractal_of(HWND window) { return reinterpret_cast<CFractal*>(GetWindowLongPtrW(window, 0)); }
