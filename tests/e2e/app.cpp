#include "app.h"

#include "renderer.h"
#include "resource.h"

#include <chrono>
#include <thread>

std::wstring app_path;

bool wait_until(const std::function<bool()>& condition, int timeout_ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

namespace {

HWND find_main_window() { return FindWindowW(L"win_fractal", L"Quellarin"); }

}  // namespace

int count_main_windows()
{
    int count = 0;
    EnumWindows(
        [](HWND window, LPARAM counter) -> BOOL {
            wchar_t name[64];
            wchar_t title[64];
            if (GetClassNameW(window, name, 64) && std::wstring(name) == L"win_fractal" &&
                GetWindowTextW(window, title, 64) && std::wstring(title) == L"Quellarin")
                ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

namespace {

HANDLE start_program(DWORD* id)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + app_path + L"\"";
    if (!CreateProcessW(app_path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return nullptr;
    CloseHandle(info.hThread);
    if (id)
        *id = info.dwProcessId;
    return info.hProcess;
}

int exit_code_after(HANDLE process, int timeout_ms)
{
    if (WaitForSingleObject(process, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return static_cast<int>(code);
}

}  // namespace

app_process::app_process()
{
    process_ = start_program(&id_);
    if (!process_)
        return;
    wait_until([this] {
        HWND window = find_main_window();
        DWORD owner = 0;
        if (window)
            GetWindowThreadProcessId(window, &owner);
        if (owner == id_ && IsWindowVisible(window))
            window_ = window;
        return window_ != nullptr;
    });
    if (window_)
        SetForegroundWindow(window_);
}

app_process::~app_process()
{
    if (!process_)
        return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        // Close any box or dialog first, then the window; kill only as a last resort.
        if (close_and_wait(5000) == -1)
            TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

int app_process::close_and_wait(int timeout_ms)
{
    if (window_)
        PostMessageW(window_, WM_CLOSE, 0, 0);
    return wait_for_exit(timeout_ms);
}

int app_process::wait_for_exit(int timeout_ms) { return exit_code_after(process_, timeout_ms); }

int run_second_instance(int timeout_ms)
{
    HANDLE process = start_program(nullptr);
    if (!process)
        return -1;
    const int code = exit_code_after(process, timeout_ms);
    if (code == -1)
        TerminateProcess(process, 99);
    CloseHandle(process);
    return code;
}

namespace {

// The client area as a 640 x 640 bottom-up blue-green-red buffer, read from the screen.
std::vector<std::uint8_t> capture_client(HWND window)
{
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), IMAGE_WIDTH, IMAGE_HEIGHT, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HDC screen = GetDC(nullptr);
    BitBlt(memory, 0, 0, IMAGE_WIDTH, IMAGE_HEIGHT, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    std::vector<std::uint8_t> pixels(bytes, bytes + static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return pixels;
}

}  // namespace

std::vector<std::uint8_t> render_view(const view& v)
{
    std::vector<std::uint8_t> image(static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
    CFractal fractal;
    set_default_view(fractal);
    fractal.pixels = image.data();
    set_view(fractal, v);
    compute_image(fractal);
    return image;
}

namespace {

// How many pixels differ between two images of the same size.
int differing_pixels(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (std::size_t p = 0; p + 2 < a.size(); p += 3)
        count += a[p] != b[p] || a[p + 1] != b[p + 1] || a[p + 2] != b[p + 2];
    return count;
}

}  // namespace

int wait_for_image(HWND window, const std::vector<std::uint8_t>& expected, int timeout_ms)
{
    int differing = -1;
    wait_until([&] { return (differing = differing_pixels(capture_client(window), expected)) == 0; }, timeout_ms);
    return differing;
}

namespace {

void send_mouse(DWORD flags, LONG x = 0, LONG y = 0, DWORD data = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.mouseData = data;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

namespace {

// Absolute input coordinates run 0..65535 across the primary screen.
POINT absolute_input_point(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    return {(point.x * 65535 + width / 2) / (width - 1), (point.y * 65535 + height / 2) / (height - 1)};
}

}  // namespace

void move_mouse_to(HWND window, int x, int y)
{
    const POINT target = absolute_input_point(window, x, y);
    send_mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, target.x, target.y);
    // The cursor follows the input asynchronously; a button pressed before
    // it arrives would act at the old place.
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    wait_until(
        [&] {
            POINT now{};
            GetCursorPos(&now);
            return now.x == screen.x && now.y == screen.y;
        },
        5000);
}

void turn_wheel(int amount) { send_mouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(amount)); }

void type_text(const std::wstring& text)
{
    for (const wchar_t c : text) {
        INPUT input[2]{};
        input[0].type = INPUT_KEYBOARD;
        input[0].ki.wScan = c;
        input[0].ki.dwFlags = KEYEVENTF_UNICODE;
        input[1] = input[0];
        input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof input[0]);
    }
}

void press_key(WORD virtual_key)
{
    INPUT input[2]{};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = virtual_key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

HWND find_process_window(DWORD process_id, const std::wstring& caption)
{
    struct search {
        DWORD process_id;
        const std::wstring* caption;
        HWND found;
    } s{process_id, &caption, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->process_id && IsWindowVisible(window) && window_text(window) == *s->caption) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::wstring window_text(HWND window)
{
    wchar_t text[256] = {};
    // WM_GETTEXT rather than GetWindowTextW, which does not read other processes' controls.
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

void button_at(HWND window, int x, int y, DWORD button)
{
    move_mouse_to(window, x, y);
    // The button carries the position too, so it cannot act anywhere else.
    const POINT target = absolute_input_point(window, x, y);
    send_mouse(button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, target.x, target.y);
}

void click_at(HWND window, int x, int y, DWORD down, DWORD up)
{
    button_at(window, x, y, down);
    Sleep(30);
    button_at(window, x, y, up);
    Sleep(30);
}

void click_window(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    click_at(window, rect.right / 2, rect.bottom / 2, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

HWND wait_for_dialog(const app_process& app, int timeout_ms)
{
    HWND dialog = nullptr;
    wait_until([&] { return (dialog = find_process_window(app.id(), L"パラメータ")) != nullptr; }, timeout_ms);
    return dialog;
}

HWND open_dialog(const app_process& app)
{
    click_at(app.window(), 320, 320, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    HWND dialog = wait_for_dialog(app);
    if (dialog) {
        // The dialog gives the focus to its first tab stop once it is up.
        wait_until([&] { return GetForegroundWindow() == dialog; }, 3000);
        Sleep(100);
    }
    return dialog;
}

LRESULT send_to_control(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}


void type_into_edit(HWND dialog, int id, const std::wstring& text)
{
    HWND edit = GetDlgItem(dialog, id);
    for (int attempt = 0; attempt < 3; ++attempt) {
        click_window(edit);
        Sleep(50);
        // Select everything by keyboard and type over it.
        press_key(VK_END);
        INPUT shift_home[4]{};
        for (INPUT& input : shift_home)
            input.type = INPUT_KEYBOARD;
        shift_home[0].ki.wVk = VK_SHIFT;
        shift_home[1].ki.wVk = VK_HOME;
        shift_home[2].ki.wVk = VK_HOME;
        shift_home[2].ki.dwFlags = KEYEVENTF_KEYUP;
        shift_home[3].ki.wVk = VK_SHIFT;
        shift_home[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, shift_home, sizeof(INPUT));
        press_key(VK_DELETE);
        type_text(text);
        if (wait_until([&] { return window_text(edit) == text; }, 3000))
            return;
    }
}

void select_list_entry(HWND dialog, int id, int index)
{
    HWND list = GetDlgItem(dialog, id);
    click_window(list);
    Sleep(50);
    press_key(VK_HOME);
    for (int i = 0; i < index; ++i)
        press_key(VK_DOWN);
    wait_until([&] { return send_to_control(dialog, id, LB_GETCURSEL) == index; }, 3000);
}

HWND wait_for_time_report(const app_process& app, int timeout_ms)
{
    HWND box = nullptr;
    wait_until([&] { return (box = find_process_window(app.id(), L"計算に掛かった時間")) != nullptr; }, timeout_ms);
    return box;
}

std::wstring report_text(HWND box)
{
    std::wstring found;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM out) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            const std::wstring text = window_text(child);
            if (std::wstring(name) == L"Static" && !text.empty()) {
                *reinterpret_cast<std::wstring*>(out) = text;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

GUITHREADINFO gui_of(HWND window)
{
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui))
        gui.hwndActive = gui.hwndFocus = nullptr;
    return gui;
}

void dismiss(HWND box)
{
    HWND owner = GetWindow(box, GW_OWNER);
    HWND ok = GetDlgItem(box, IDOK);
    if (ok)
        click_window(ok);
    wait_until([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
    // Input that arrives while the program is still activating the window
    // beneath lands unpredictably; wait until one of its windows is active.
    wait_until(
        [&] {
            const HWND active = gui_of(owner).hwndActive;
            return active && active != box && IsWindowEnabled(active);
        },
        5000);
    Sleep(100);
}




