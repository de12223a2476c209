// Start-up, painting, single instance and shut-down of the real program.
#include "app.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Startup, WindowIsCentredWithA640ClientArea)
{
    app_process app;
    ASSERT_TRUE(app.started());
    ASSERT_NE(app.window(), nullptr) << "no window of class win_fractal titled Quellarin";

    wchar_t name[64] = {};
    GetClassNameW(app.window(), name, 64);
    EXPECT_EQ(std::wstring(name), L"win_fractal");
    EXPECT_EQ(window_text(app.window()), L"Quellarin");

    RECT client{};
    GetClientRect(app.window(), &client);
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 640);

    const LONG style = GetWindowLongW(app.window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    RECT outer{};
    RECT desktop{};
    GetWindowRect(app.window(), &outer);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int w = outer.right - outer.left;
    const int h = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, desktop.right / 2 - w / 2);
    EXPECT_EQ(outer.top, desktop.bottom / 2 - h / 2);
}

TEST(Startup, FirstImageIsTheEnginesStartUpView)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    EXPECT_EQ(wait_for_image(app.window(), render_view({})), 0);
}

TEST(Startup, SecondStartEndsAtOnceAndLeavesOneWindow)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    EXPECT_EQ(run_second_instance(), 0);
    EXPECT_EQ(count_main_windows(), 1);
    EXPECT_EQ(find_main_window(), app.window());
}

TEST(Startup, MinimiseAndRestoreRepaintsTheSamePixels)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    const std::vector<std::uint8_t> expected = render_view({});
    ASSERT_EQ(wait_for_image(app.window(), expected), 0);
    ShowWindow(app.window(), SW_MINIMIZE);
    ASSERT_TRUE(wait_until([&] { return IsIconic(app.window()) != FALSE; }));
    ShowWindow(app.window(), SW_RESTORE);
    ASSERT_TRUE(wait_until([&] { return !IsIconic(app.window()); }));
    EXPECT_EQ(wait_for_image(app.window(), expected), 0);
}

TEST(Startup, ClosingEndsWithExitCodeZeroAndNoWindowLeft)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    EXPECT_EQ(app.close_and_wait(), 0);
    EXPECT_EQ(count_main_windows(), 0);
}

// Reads one string of the version block's Japanese, UTF-16 table.
std::wstring version_string(const std::vector<std::uint8_t>& block, const wchar_t* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
    if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0)
        return L"";
    return static_cast<const wchar_t*>(value);
}

TEST(Resources, VersionBlockAndManifest)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(app_path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(app_path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(8, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(1, 0));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(8, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(1, 0));
    EXPECT_EQ(version_string(block, L"FileVersion"), L"1.8.0.1");
    EXPECT_EQ(version_string(block, L"ProductVersion"), L"1.8.0.1");
    EXPECT_EQ(version_string(block, L"FileDescription"), L"Quellarin");
    EXPECT_EQ(version_string(block, L"ProductName"), L"Quellarin");

    struct translation {
        WORD language;
        WORD code_page;
    }* translations = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                               &length));
    ASSERT_GE(length, sizeof(translation));
    EXPECT_EQ(translations->language, 1041);
    EXPECT_EQ(translations->code_page, 1200);

    HMODULE module = LoadLibraryExW(app_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const std::string manifest(text, SizeofResource(module, found));
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest.find("uiAccess=\"true\""), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)), nullptr) << "no icon resource";
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(5)), nullptr) << "dialog template 101";
    FreeLibrary(module);
}

}  // namespace
