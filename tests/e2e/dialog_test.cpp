// The parameter dialog and the time report, driven by real input.
#include "app.h"

#include "formulas.h"
#include "palettes.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

namespace {

const std::wregex report_pattern(L"[0-9]+ミリ秒");

// Opens the dialog, lets fill_in type and choose, then presses OK and waits
// until the dialog has gone, or a time report holds it up.
template <typename Fill>
void apply_with(const app_process& app, Fill fill_in)
{
    HWND dialog = open_dialog(app);
    ASSERT_NE(dialog, nullptr) << "the right button opened no dialog";
    fill_in(dialog);
    click_window(GetDlgItem(dialog, IDC_OK));
    ASSERT_TRUE(wait_until([&] {
        return !IsWindow(dialog) || find_process_window(app.id(), L"計算に掛かった時間") != nullptr;
    }, 60000)) << "OK did not close the dialog";
}

TEST(Dialog, OpensWithTheCurrentView)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    HWND dialog = open_dialog(app);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(GetWindow(dialog, GW_OWNER), app.window());
    EXPECT_FALSE(IsWindowEnabled(app.window())) << "modal: the main window is disabled";
    POINT dialog_client{0, 0};
    POINT main_client{0, 0};
    ClientToScreen(dialog, &dialog_client);
    ClientToScreen(app.window(), &main_client);
    EXPECT_EQ(dialog_client.x, main_client.x);
    EXPECT_EQ(dialog_client.y, main_client.y);

    EXPECT_EQ(control_text(dialog, IDC_CENTER_X), L"0.00000000000000");
    EXPECT_EQ(control_text(dialog, IDC_CENTER_Y), L"0.00000000000000");
    EXPECT_EQ(control_text(dialog, IDC_RADIUS), L"2.00000000000000");
    EXPECT_EQ(control_text(dialog, IDC_ITERATIONS), L"1000");
    EXPECT_EQ(send_to_control(dialog, IDC_SHOW_TIME, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(control_text(dialog, IDC_SHOW_TIME), L"計算に掛かった時間を表示する");
    EXPECT_EQ(control_text(dialog, IDC_CANCEL), L"ｷｬﾝｾﾙ");

    struct list {
        int id;
        const char16_t* const* names;
        int count;
    };
    for (const list l : {list{IDC_FIGURE_LIST, figure_names, FIGURE_COUNT},
                         list{IDC_PALETTE_LIST, palette_names, PALETTE_COUNT}}) {
        ASSERT_EQ(send_to_control(dialog, l.id, LB_GETCOUNT), l.count);
        EXPECT_EQ(send_to_control(dialog, l.id, LB_GETCURSEL), 0);
        for (int i = 0; i < l.count; ++i) {
            wchar_t text[64] = {};
            send_to_control(dialog, l.id, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            EXPECT_EQ(std::wstring(text), std::wstring(reinterpret_cast<const wchar_t*>(l.names[i])))
                << "list " << l.id << " entry " << i;
        }
    }
    // The figure list, first tab stop, has the focus.
    EXPECT_EQ(gui_of(dialog).hwndFocus, GetDlgItem(dialog, IDC_FIGURE_LIST));
}

TEST(Dialog, NewValuesRecomputeTheImage)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    apply_with(app, [](HWND dialog) {
        type_into_edit(dialog, IDC_CENTER_X, L"-0.5");
        type_into_edit(dialog, IDC_CENTER_Y, L"0.25");
        type_into_edit(dialog, IDC_RADIUS, L"0.75");
        type_into_edit(dialog, IDC_ITERATIONS, L"300");
        select_list_entry(dialog, IDC_FIGURE_LIST, 1);
        select_list_entry(dialog, IDC_PALETTE_LIST, 6);
    });
    EXPECT_EQ(wait_for_image(app.window(), render_view({-0.5, 0.25, 0.75, 300, 1, 6})), 0);

    const dialog_values shown = read_dialog_values(app);
    EXPECT_EQ(shown.x, L"-0.50000000000000");
    EXPECT_EQ(shown.y, L"0.25000000000000");
    EXPECT_EQ(shown.r, L"0.75000000000000");
    EXPECT_EQ(shown.c, L"300");
    EXPECT_EQ(shown.figure, 1);
    EXPECT_EQ(shown.palette, 6);
}

// Texts that the conversions read in a user's favour, and what each becomes.
TEST(Dialog, TextsAreReadAsTheConversionsSay)
{
    struct row {
        int id;
        std::wstring typed;
        std::wstring shown_after;  // as the reopened dialog shows the applied value
    };
    const row rows[] = {
        {IDC_ITERATIONS, L"５００", L"500"},
        {IDC_ITERATIONS, L" 500", L"500"},
        {IDC_ITERATIONS, L"500abc", L"500"},
        {IDC_ITERATIONS, L"60000", L"60000"},
        {IDC_CENTER_X, L"abc", L"0.00000000000000"},
        {IDC_CENTER_X, L"1e-3", L"0.00100000000000"},
        {IDC_CENTER_Y, L"\u3000-0.125", L"-0.12500000000000"},
        {IDC_RADIUS, L"0.00000000000003", L"0.00000000000003"},
    };
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    for (const row& r : rows) {
        apply_with(app, [&](HWND dialog) { type_into_edit(dialog, r.id, r.typed); });
        const dialog_values shown = read_dialog_values(app);
        const std::wstring& value = r.id == IDC_ITERATIONS ? shown.c
                                    : r.id == IDC_CENTER_X ? shown.x
                                    : r.id == IDC_CENTER_Y ? shown.y
                                                           : shown.r;
        EXPECT_EQ(value, r.shown_after) << "typed into " << r.id;
    }
}

TEST(Dialog, InvalidValuesCloseAndChangeNothing)
{
    struct row {
        int id;
        std::wstring typed;
    };
    const row rows[] = {
        {IDC_CENTER_X, L"inf"}, {IDC_CENTER_X, L"nan"}, {IDC_CENTER_X, L"2.0000001"},
        {IDC_CENTER_Y, L"-3"},  {IDC_RADIUS, L"abc"},    {IDC_RADIUS, L"0.00000000000001"},
        {IDC_RADIUS, L"4.5"},   {IDC_ITERATIONS, L"0"}, {IDC_ITERATIONS, L"60001"},
    };
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    const std::vector<std::uint8_t> start = render_view({});
    for (const row& r : rows) {
        // Another palette and the report chosen in the same dialog must not stick either.
        apply_with(app, [&](HWND dialog) {
            select_list_entry(dialog, IDC_PALETTE_LIST, 4);
            click_window(GetDlgItem(dialog, IDC_SHOW_TIME));
            type_into_edit(dialog, r.id, r.typed);
        });
        EXPECT_TRUE(no_time_report_for(app, 300)) << "typed into " << r.id;
        const dialog_values shown = read_dialog_values(app);
        EXPECT_EQ(shown.x, L"0.00000000000000");
        EXPECT_EQ(shown.y, L"0.00000000000000");
        EXPECT_EQ(shown.r, L"2.00000000000000");
        EXPECT_EQ(shown.c, L"1000");
        EXPECT_EQ(shown.palette, 0);
        EXPECT_FALSE(shown.show_time);
    }
    EXPECT_EQ(wait_for_image(app.window(), start, 2000), 0);
}

TEST(Dialog, CancelCloseAndEscape)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);

    // Cancel closes without applying.
    HWND dialog = open_dialog(app);
    ASSERT_NE(dialog, nullptr);
    type_into_edit(dialog, IDC_RADIUS, L"1");
    click_window(GetDlgItem(dialog, IDC_CANCEL));
    EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(read_dialog_values(app).r, L"2.00000000000000");

    // Escape does nothing; Alt+F4 (the system menu's close) closes without applying.
    dialog = open_dialog(app);
    ASSERT_NE(dialog, nullptr);
    type_into_edit(dialog, IDC_RADIUS, L"1");
    press_key(VK_ESCAPE);
    Sleep(500);
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "Escape closed the dialog";
    SendMessageTimeoutW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(read_dialog_values(app).r, L"2.00000000000000");
    EXPECT_TRUE(IsWindowEnabled(app.window()));

    // Enter in an edit is OK.
    dialog = open_dialog(app);
    ASSERT_NE(dialog, nullptr);
    type_into_edit(dialog, IDC_RADIUS, L"1");
    press_key(VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }, 15000));
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 1.0})), 0);
}

TEST(Dialog, AnotherPaletteAloneRecomputes)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    apply_with(app, [](HWND dialog) { select_list_entry(dialog, IDC_PALETTE_LIST, 11); });
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 2.0, 1000, 0, 11})), 0);
}

TEST(Dialog, ListWithoutSelectionKeepsItsValue)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    apply_with(app, [](HWND dialog) { select_list_entry(dialog, IDC_PALETTE_LIST, 9); });
    apply_with(app, [](HWND dialog) {
        // A list may report LB_ERR; the view must keep palette 9, not take -1.
        send_to_control(dialog, IDC_PALETTE_LIST, LB_SETCURSEL, static_cast<WPARAM>(-1));
        send_to_control(dialog, IDC_FIGURE_LIST, LB_SETCURSEL, static_cast<WPARAM>(-1));
        type_into_edit(dialog, IDC_ITERATIONS, L"200");
    });
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 2.0, 200, 0, 9})), 0);
}

TEST(Dialog, TimeReportOncePerComputationWhileOn)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    EXPECT_TRUE(no_time_report_for(app, 500)) << "a report at start-up";

    apply_with(app, [](HWND dialog) { click_window(GetDlgItem(dialog, IDC_SHOW_TIME)); });
    // The report comes while the dialog is still up, which closes after it.
    HWND box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr);
    HWND dialog = find_process_window(app.id(), L"パラメータ");
    EXPECT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), app.window());
    EXPECT_TRUE(std::regex_match(report_text(box), report_pattern)) << report_text(box).size();
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "OK button only";
    dismiss(box);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(no_time_report_for(app, 800)) << "a second report for one computation";
    EXPECT_TRUE(read_dialog_values(app).show_time);

    // Off again: no report.
    apply_with(app, [](HWND dialog) { click_window(GetDlgItem(dialog, IDC_SHOW_TIME)); });
    box = wait_for_time_report(app, 3000);
    if (box)
        dismiss(box);  // the computation that switches it off still reports
    EXPECT_FALSE(read_dialog_values(app).show_time);
    apply_with(app, [](HWND) {});
    EXPECT_TRUE(no_time_report_for(app, 1000));
}

// Saves a window as it is on the screen to a 24-bit BMP, for a person to look at.
void save_screenshot(HWND window, const std::string& path)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    dib_image image(rect.right - rect.left, rect.bottom - rect.top);
    image.copy_from_screen(rect.left, rect.top);
    const std::vector<std::uint8_t> rows = image.pixels();
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&image.header(), sizeof(BITMAPINFOHEADER), 1, out);
        std::fwrite(rows.data(), 1, rows.size(), out);
        std::fclose(out);
    }
}

TEST(Dialog, JapaneseTextHasGlyphs)
{
    // With QUELLARIN_SCREENSHOT set, the open dialog is saved there for review.
    if (const char* path = std::getenv("QUELLARIN_SCREENSHOT")) {
        app_process app;
        ASSERT_NE(app.window(), nullptr);
        HWND dialog = open_dialog(app);
        ASSERT_NE(dialog, nullptr);
        Sleep(500);
        save_screenshot(dialog, path);
    }

    // The dialog's font resolves to a face that has every character it shows.
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                             L"ＭＳ Ｐゴシック");
    HGDIOBJ previous = SelectObject(dc, font);
    const std::wstring texts = L"パラメータ図形の選択色の選択計算に掛かった時間を表示するｷｬﾝｾﾙ≦＜ミリ秒"
                               L"マンデルブロ集合指数青白赤黄緑紫水黒";
    std::vector<WORD> glyphs(texts.size());
    ASSERT_NE(GetGlyphIndicesW(dc, texts.c_str(), static_cast<int>(texts.size()), glyphs.data(),
                               GGI_MARK_NONEXISTING_GLYPHS),
              GDI_ERROR);
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph for U+" << std::hex << static_cast<int>(texts[i]);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
}

}  // namespace
