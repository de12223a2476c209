// The main window's graphics objects, checked from inside the process:
// Wine keeps no per-process GDI count that another process could read.
#include "main_window.h"

#include <gtest/gtest.h>

namespace {

TEST(ShellResources, DestroyReleasesBitmapAndMemoryDc)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(register_main_window_class(instance));
    CFractal fractal;
    HWND window = CreateWindowExW(0, WINDOW_CLASS, L"resource test", MAIN_WINDOW_STYLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(&fractal));
    fractal.window = window;
    fractal.width = IMAGE_WIDTH;
    fractal.height = IMAGE_HEIGHT;
    ASSERT_TRUE(create_off_screen_image(fractal));

    // The whole pointer survives the window's extra data slot.
    EXPECT_EQ(reinterpret_cast<CFractal*>(GetWindowLongPtrW(window, 0)), &fractal);
    const HGDIOBJ dib = static_cast<HGDIOBJ>(fractal.dib_section);
    const HGDIOBJ dc = static_cast<HGDIOBJ>(fractal.memory_dc);
    EXPECT_EQ(GetObjectType(dib), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetCurrentObject(static_cast<HDC>(dc), OBJ_BITMAP), dib);
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectW(dib, sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmWidth, 640);
    EXPECT_EQ(bitmap.bmHeight, 640);
    EXPECT_EQ(bitmap.bmBitsPixel, 24);
    EXPECT_EQ(bitmap.bmWidthBytes, 1920);
    EXPECT_EQ(bitmap.bmBits, fractal.pixels);

    DestroyWindow(window);
    EXPECT_EQ(GetObjectType(dib), 0u) << "bitmap section not deleted";
    EXPECT_EQ(GetObjectType(dc), 0u) << "memory device context not deleted";
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

}  // namespace
