// Start-up, painting and shut-down of the main window, in-process.
#include "window_harness.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(Startup, WindowIsCentredShowsTheFirstImageAndRepaintsFromTheBitmap)
{
    test_window window;
    HWND hwnd = window.handle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(FindWindowW(L"win_fractal", L"Quellarin"), hwnd);
    EXPECT_EQ(reinterpret_cast<CFractal*>(GetWindowLongPtrW(hwnd, 0)), &window.fractal);

    // Not resizable, no maximize box; a 640 x 640 client area centred on the desktop.
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    RECT client{}, outer{}, desktop{};
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(std::tuple(client.right, client.bottom, outer.left, outer.top),
              std::tuple(640L, 640L, desktop.right / 2 - (outer.right - outer.left) / 2,
                         desktop.bottom / 2 - (outer.bottom - outer.top) / 2));

    // The first paint already shows the default view (whose pixels
    // renderer_test.cpp works out by hand).
    const image first = render_view({});
    EXPECT_TRUE(bitmap_of(window.fractal) == first);
    EXPECT_TRUE(window_pixels(hwnd) == first);

    // Minimising and restoring repaints the same pixels from the bitmap.
    ShowWindow(hwnd, SW_MINIMIZE);
    ShowWindow(hwnd, SW_RESTORE);
    UpdateWindow(hwnd);
    EXPECT_TRUE(window_pixels(hwnd) == first);
    EXPECT_TRUE(bitmap_of(window.fractal) == first);
}

TEST(Startup, DestroyReleasesTheBitmapAndEndsTheLoopWithZero)
{
    HGDIOBJ dib = nullptr;
    HGDIOBJ dc = nullptr;
    {
        test_window window;
        ASSERT_NE(window.handle(), nullptr);
        dib = static_cast<HGDIOBJ>(window.fractal.dib_section);
        dc = static_cast<HGDIOBJ>(window.fractal.memory_dc);
        // The image lives in a 24-bit bottom-up section whose rows are packed.
        EXPECT_EQ(GetCurrentObject(static_cast<HDC>(dc), OBJ_BITMAP), dib);
        BITMAP bitmap{};
        ASSERT_TRUE(GetObjectW(dib, sizeof bitmap, &bitmap));
        EXPECT_EQ(bitmap.bmBitsPixel, 24);
        EXPECT_EQ(bitmap.bmWidthBytes, 1920);
        EXPECT_EQ(bitmap.bmBits, window.fractal.pixels);

        DestroyWindow(window.handle());
        MSG message{};
        ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(message.wParam, 0u);
    }
    EXPECT_EQ(GetObjectType(dib), 0u) << "bitmap section not deleted";
    EXPECT_EQ(GetObjectType(dc), 0u) << "memory device context not deleted";
}

}  // namespace
