// Fuzzes the reader behind --from with whole files: a view it accepts is in
// range, and reads back bit for bit from the text this program would store;
// a refusal is one line and changes nothing.
#include "fuzz_check.h"
#include "png_view.h"
#include "render_options.h"
#include "view_limits.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text;
    std::string message;
    render_options options;
    if (!read_view_text(data, size, text, message) || !parse_view_text(text, options, message)) {
        if (message.find_first_of("\r\n") != std::string::npos)
            fail("refusal %s is not one line", quoted(message).c_str());
        return 0;
    }
    const render_view& v = options.view;
    if (!renderer_accepts_center(v.center_x.value) || !renderer_accepts_center(v.center_y.value) ||
        !(v.radius.value >= 0.0 && v.radius.value <= MAX_RADIUS) || !renderer_accepts_iterations(v.max_iterations) ||
        !accepts_figure(v.figure_index) || !accepts_palette(v.palette_index) || options.width < 16 ||
        options.width > 16384 || options.height < 16 || options.height > 16384)
        fail("accepted a view out of range from %s", quoted(text).c_str());
    render_options back;
    if (!parse_view_text(format_view_text(options, true, "x"), back, message) ||
        std::memcmp(&back.view.center_x.value, &v.center_x.value, sizeof(double)) != 0 ||
        std::memcmp(&back.view.center_y.value, &v.center_y.value, sizeof(double)) != 0 || !(back.view == v) ||
        back.width != options.width || back.height != options.height)
        fail("the view of %s does not read back", quoted(text).c_str());
    return 0;
}
