#include "app.h"

#include "renderer.h"

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

HWND find_main_window() { return FindWindowW(L"win_fractal", L"Quellarin"); }

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

std::vector<std::uint8_t> capture_client(HWND window)
{
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = IMAGE_WIDTH;
    info.bmiHeader.biHeight = IMAGE_HEIGHT;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, IMAGE_WIDTH, IMAGE_HEIGHT, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    std::vector<std::uint8_t> image(bytes, bytes + static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

std::vector<std::uint8_t> render_view(const view& v)
{
    std::vector<std::uint8_t> image(static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
    CFractal fractal;
    set_default_view(fractal);
    fractal.pixels = image.data();
    fractal.center_x = v.center_x;
    fractal.center_y = v.center_y;
    fractal.radius = v.radius;
    fractal.max_iterations = v.max_iterations;
    fractal.figure_index = v.figure_index;
    fractal.palette_index = v.palette_index;
    compute_image(fractal);
    return image;
}

int differing_pixels(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (std::size_t p = 0; p + 2 < a.size(); p += 3)
        count += a[p] != b[p] || a[p + 1] != b[p + 1] || a[p + 2] != b[p + 2];
    return count;
}

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

void move_mouse_to(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    // Absolute coordinates run 0..65535 across the primary screen.
    send_mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (point.x * 65535 + width / 2) / (width - 1),
               (point.y * 65535 + height / 2) / (height - 1));
}

void mouse_button(DWORD flags) { send_mouse(flags); }

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
