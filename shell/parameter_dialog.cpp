#include "parameter_dialog.h"

#include "formulas.h"
#include "mouse.h"
#include "palettes.h"
#include "resource.h"
#include "text_numbers.h"
#include "time_report.h"
#include "view_limits.h"

#include <string_view>

namespace {

// GetWindowTextW's limit, terminator included: at most 98 characters are read.
constexpr int EDIT_READ_LIMIT = 99;

// wchar_t is UTF-16 on Windows; the portable conversions take char16_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
const char16_t* utf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// Bounded formatting into the dialog's 100-character buffer; the length
// written or -1. Formatted by the program itself, not the C runtime, so the
// text does not depend on which C runtime the system has.
template <typename Value>
int format_wide(wchar_t (&buffer)[WIDE_BUFFER_LENGTH], const wchar_t* format, Value value)
{
    return ::format_wide(reinterpret_cast<char16_t*>(buffer), WIDE_BUFFER_LENGTH, utf16(format), value);
}

CFractal& owner_fractal(HWND dialog) { return *fractal_of(GetParent(dialog)); }

void set_number_text(HWND dialog, int id, const wchar_t* format, double value)
{
    wchar_t text[WIDE_BUFFER_LENGTH];
    format_wide(text, format, value);
    SetWindowTextW(GetDlgItem(dialog, id), text);
}

void fill_list(HWND dialog, int id, const char16_t* const* names, int count, int selected)
{
    HWND list = GetDlgItem(dialog, id);
    for (int i = 0; i < count; ++i)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(names[i])));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

std::u16string_view read_text(HWND dialog, int id, wchar_t (&text)[EDIT_READ_LIMIT])
{
    const int length = GetWindowTextW(GetDlgItem(dialog, id), text, EDIT_READ_LIMIT);
    return {utf16(text), static_cast<std::size_t>(length > 0 ? length : 0)};
}

double read_double(HWND dialog, int id)
{
    wchar_t text[EDIT_READ_LIMIT] = {};
    return parse_wide_double(read_text(dialog, id, text));
}

std::int32_t read_int32(HWND dialog, int id)
{
    wchar_t text[EDIT_READ_LIMIT] = {};
    return parse_wide_int32(read_text(dialog, id, text));
}

// A list that reports no selection (LB_ERR) keeps the old value: only an
// index inside the table may reach the view.
void read_selection(HWND dialog, int id, int count, std::int32_t& index)
{
    const LRESULT selected = SendMessageW(GetDlgItem(dialog, id), LB_GETCURSEL, 0, 0);
    if (selected >= 0 && selected < count)
        index = static_cast<std::int32_t>(selected);
}

}  // namespace

void open_parameter_dialog(CFractal& fractal)
{
    drop_wheel_remainder();
    HWND window = window_of(fractal);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PARAMETERS), window, parameter_dialog_proc, 0);
}

bool fill_parameter_dialog(HWND dialog)
{
    const CFractal& fractal = owner_fractal(dialog);
    fill_list(dialog, IDC_FIGURE_LIST, figure_names, FIGURE_COUNT, fractal.figure_index);
    set_number_text(dialog, IDC_CENTER_X, L"%1.14lf", fractal.center_x);
    set_number_text(dialog, IDC_CENTER_Y, L"%1.14lf", fractal.center_y);
    set_number_text(dialog, IDC_RADIUS, L"%1.14lf", fractal.radius);
    wchar_t text[WIDE_BUFFER_LENGTH];
    format_wide(text, L"%d", fractal.max_iterations);
    SetWindowTextW(GetDlgItem(dialog, IDC_ITERATIONS), text);
    fill_list(dialog, IDC_PALETTE_LIST, palette_names, PALETTE_COUNT, fractal.palette_index);
    SendMessageW(GetDlgItem(dialog, IDC_SHOW_TIME), BM_SETCHECK, fractal.show_time ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

bool apply_parameter_dialog(HWND dialog)
{
    CFractal& fractal = owner_fractal(dialog);
    const double x = read_double(dialog, IDC_CENTER_X);
    const double y = read_double(dialog, IDC_CENTER_Y);
    const double r = read_double(dialog, IDC_RADIUS);
    const std::int32_t c = read_int32(dialog, IDC_ITERATIONS);

    const bool valid = dialog_accepts_center(x) && dialog_accepts_center(y) && dialog_accepts_radius(r) &&
                       dialog_accepts_iterations(c);
    if (!valid) {
        EndDialog(dialog, 0);
        return false;
    }

    fractal.center_x = x;
    fractal.center_y = y;
    fractal.radius = r;
    fractal.max_iterations = c;
    fractal.show_time = SendMessageW(GetDlgItem(dialog, IDC_SHOW_TIME), BM_GETCHECK, 0, 0) == BST_CHECKED;
    read_selection(dialog, IDC_PALETTE_LIST, PALETTE_COUNT, fractal.palette_index);
    read_selection(dialog, IDC_FIGURE_LIST, FIGURE_COUNT, fractal.figure_index);

    // Computed while the dialog is still up; a time report shows above it.
    compute_and_report(fractal);
    InvalidateRect(window_of(fractal), nullptr, FALSE);
    EndDialog(dialog, 0);
    return true;
}

INT_PTR CALLBACK parameter_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return fill_parameter_dialog(dialog);
    case WM_COMMAND:
        // The notification code in the high word does not matter.
        switch (LOWORD(wparam)) {
        case IDC_OK:  // also Enter, OK being the default button
            return apply_parameter_dialog(dialog);
        case IDC_CANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:  // IDCANCEL from Escape among them: the dialog stays open
            return FALSE;
        }
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}
