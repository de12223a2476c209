#include "window_harness.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <winternl.h>

#include <cstring>
#include <iomanip>
#include <ostream>

namespace {
void watch_unattended(bool on);
int unattended_modals();
LPARAM point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }
}  // namespace

test_window::test_window()
{
    // Start-up shows no report; one that did would be closed and counted.
    watch_unattended(true);
    window_ = start_main_window(GetModuleHandleW(nullptr), fractal, SW_SHOWNORMAL);
}

test_window::~test_window()
{
    EXPECT_EQ(unattended_modals(), 0) << "a dialog or time report opened where no gesture expected one";
    watch_unattended(false);
    if (window_)
        DestroyWindow(window_);
    // WM_DESTROY posts the quit message; leave nothing for the next window.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassW(WINDOW_CLASS, GetModuleHandleW(nullptr));
}

void PrintTo(const view_parameters& v, std::ostream* out)
{
    *out << std::setprecision(17) << v.center_x << ", " << v.center_y << ", r " << v.radius << ", c "
         << v.max_iterations << ", figure " << v.figure_index << ", palette " << v.palette_index;
}

void show_view(test_window& window, const view_parameters& view)
{
    set_view(window.fractal, view);
    compute_image(window.fractal);
    InvalidateRect(window.handle(), nullptr, FALSE);
    UpdateWindow(window.handle());
}

image render_view(const view_parameters& view)
{
    image pixels(static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
    CFractal fractal;
    set_default_view(fractal);
    set_view(fractal, view);
    fractal.pixels = pixels.data();
    compute_image(fractal);
    return pixels;
}

image bitmap_of(const CFractal& fractal)
{
    GdiFlush();
    return {fractal.pixels, fractal.pixels + static_cast<std::size_t>(fractal.width) * fractal.height * 3};
}

image window_pixels(HWND window)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), IMAGE_WIDTH, IMAGE_HEIGHT, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HDC screen = GetDC(window);
    BitBlt(memory, 0, 0, IMAGE_WIDTH, IMAGE_HEIGHT, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
    GdiFlush();
    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    image pixels(bytes, bytes + static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return pixels;
}

std::uint32_t pixel_at(const image& pixels, int x, int y)
{
    const std::uint8_t* p = pixels.data() + 3 * (static_cast<std::size_t>(IMAGE_HEIGHT - 1 - y) * IMAGE_WIDTH + x);
    return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

void press(HWND window, int x, int y) { SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y)); }
void move(HWND window, int x, int y) { SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, point(x, y)); }
void release(HWND window, int x, int y) { SendMessageW(window, WM_LBUTTONUP, 0, point(x, y)); }

void wheel(HWND window, int amount)
{
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(amount)), point(320, 320));
}

namespace {

constexpr UINT TICK_MS = 10;
// A modal window open longer than this is a fault of the program.
constexpr int MAX_TICKS_OPEN = 300;

const wchar_t* const DIALOG_CAPTION = L"パラメータ";
const wchar_t* const REPORT_CAPTION = L"計算に掛かった時間";

// The state of the gesture being run; timers reach it from the modal loops.
struct modal_run {
    const dialog_answer* answer;
    modal_log* log;
    HWND dialog = nullptr;  // the dialog being answered
    bool escape_sent = false;
    int ticks_open = 0;
};
modal_run* current = nullptr;

// Outside a gesture that expects them, modal windows are closed and counted,
// so a fault that opens one fails the test instead of hanging it.
const dialog_answer leave_unattended{.end = dialog_end::cancel_button};
modal_log unattended_log;
modal_run unattended{&leave_unattended, &unattended_log};
UINT_PTR unattended_timer = 0;

std::wstring control_text(HWND dialog, int id)
{
    wchar_t text[128] = {};
    GetDlgItemTextW(dialog, id, text, 128);
    return text;
}

// The visible dialog or message box with the caption, or null.
HWND modal_window(const wchar_t* caption)
{
    HWND window = FindWindowW(L"#32770", caption);
    return window && IsWindowVisible(window) ? window : nullptr;
}

void record_dialog(HWND dialog, shown_dialog& shown)
{
    shown.x = control_text(dialog, IDC_CENTER_X);
    shown.y = control_text(dialog, IDC_CENTER_Y);
    shown.r = control_text(dialog, IDC_RADIUS);
    shown.c = control_text(dialog, IDC_ITERATIONS);
    shown.figure = SendDlgItemMessageW(dialog, IDC_FIGURE_LIST, LB_GETCURSEL, 0, 0);
    shown.palette = SendDlgItemMessageW(dialog, IDC_PALETTE_LIST, LB_GETCURSEL, 0, 0);
    shown.figure_count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_FIGURE_LIST, LB_GETCOUNT, 0, 0));
    shown.palette_count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_PALETTE_LIST, LB_GETCOUNT, 0, 0));
    shown.show_time = SendDlgItemMessageW(dialog, IDC_SHOW_TIME, BM_GETCHECK, 0, 0) == BST_CHECKED;
    shown.owner = GetWindow(dialog, GW_OWNER);
    shown.owner_enabled = IsWindowEnabled(shown.owner) != FALSE;
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    ScreenToClient(shown.owner, &origin);
    shown.client_origin = origin;
}

void select_entry(HWND dialog, int id, int index)
{
    if (index == -1)
        return;
    SendDlgItemMessageW(dialog, id, LB_SETCURSEL, index == NO_SELECTION ? static_cast<WPARAM>(-1) : index, 0);
}

// Fills in the answer and ends the dialog the chosen way, through the same
// messages the platform produces for a click or a key.
void answer_dialog(HWND dialog, const dialog_answer& answer)
{
    const std::pair<int, const std::optional<std::wstring>*> edits[] = {
        {IDC_CENTER_X, &answer.x}, {IDC_CENTER_Y, &answer.y}, {IDC_RADIUS, &answer.r}, {IDC_ITERATIONS, &answer.c}};
    for (const auto& [id, text] : edits) {
        if (*text)
            SetDlgItemTextW(dialog, id, (*text)->c_str());
    }
    select_entry(dialog, IDC_FIGURE_LIST, answer.figure);
    select_entry(dialog, IDC_PALETTE_LIST, answer.palette);
    if (answer.show_time != -1)
        SendDlgItemMessageW(dialog, IDC_SHOW_TIME, BM_SETCHECK, static_cast<WPARAM>(answer.show_time), 0);
    const auto click = [&](int id) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    };
    // Keys go to the focused control, as typed; the modal loop's dialog
    // handling turns them into commands.
    const auto key = [&](WPARAM virtual_key) {
        HWND focus = GetFocus() ? GetFocus() : GetDlgItem(dialog, IDC_FIGURE_LIST);
        PostMessageW(focus, WM_KEYDOWN, virtual_key, 1);
        PostMessageW(focus, WM_KEYUP, virtual_key, 0xC0000001);
    };
    switch (answer.end) {
    case dialog_end::ok_button: click(IDC_OK); break;
    case dialog_end::enter_key: key(VK_RETURN); break;
    case dialog_end::cancel_button: click(IDC_CANCEL); break;
    case dialog_end::close_box: PostMessageW(dialog, WM_CLOSE, 0, 0); break;
    case dialog_end::escape_key: key(VK_ESCAPE); break;
    }
}

void CALLBACK on_tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (!current)
        return;
    modal_run& run = *current;
    // The report opens above the dialog: it comes first.
    if (HWND box = modal_window(REPORT_CAPTION)) {
        wchar_t text[64] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 64);  // the message's static control
        run.log->reports.push_back(text);
        run.log->report_owner = GetWindow(box, GW_OWNER);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
    }
    HWND dialog = modal_window(DIALOG_CAPTION);
    if (!dialog)
        return;
    if (dialog != run.dialog) {
        run.dialog = dialog;
        run.escape_sent = false;
        run.ticks_open = 0;
        ++run.log->dialogs;
        record_dialog(dialog, run.log->shown);
        answer_dialog(dialog, *run.answer);
        run.escape_sent = run.answer->end == dialog_end::escape_key;
        return;
    }
    // Still open one tick after the Escape key: the key was handled and ignored.
    if (run.escape_sent) {
        run.escape_sent = false;
        run.log->stayed_open_after_escape = true;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED), 0);
        return;
    }
    if (++run.ticks_open > MAX_TICKS_OPEN) {
        run.log->timed_out = true;
        EndDialog(dialog, 0);
    }
}

void watch_unattended(bool on)
{
    KillTimer(nullptr, unattended_timer);
    unattended_log = {};
    unattended = {&leave_unattended, &unattended_log};
    current = on ? &unattended : nullptr;
    unattended_timer = on ? SetTimer(nullptr, 0, TICK_MS, on_tick) : 0;
}

int unattended_modals() { return unattended_log.dialogs + static_cast<int>(unattended_log.reports.size()); }

}  // namespace

modal_log run_gesture(const std::function<void()>& gesture, const dialog_answer& answer)
{
    modal_log log;
    modal_run run{&answer, &log};
    // The window's timer answers for this gesture while it runs.
    modal_run* outside = current;
    current = &run;
    gesture();
    current = outside;
    return log;
}

modal_log use_dialog(HWND window, const dialog_answer& answer)
{
    return run_gesture([&] { SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(320, 320)); }, answer);
}

unsigned gdi_objects()
{
    if (const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return counted;
    // The handle table the PEB points to: 65536 entries of 24 bytes, the
    // object type at byte 14, the owning process id at byte 8.
    constexpr std::size_t peb_gdi_table = 0xF8, entry_size = 24, entries = 0x10000;
    const auto* peb = reinterpret_cast<const std::uint8_t*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const std::uint8_t* table = nullptr;
    std::memcpy(&table, peb + peb_gdi_table, sizeof table);
    if (!table)
        return 0;
    const unsigned id = GetCurrentProcessId() & 0xFFFF;
    unsigned all = 0, owned = 0;
    for (const std::uint8_t* cell = table; cell < table + entries * entry_size; cell += entry_size) {
        all += cell[14] != 0;
        owned += cell[14] != 0 && static_cast<unsigned>(cell[8] | cell[9] << 8) == id;
    }
    // A table shared by every process marks owners; a private one need not.
    return owned ? owned : all;
}
