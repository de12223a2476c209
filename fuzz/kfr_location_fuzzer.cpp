// Fuzzes the reader of .kfr location files behind --from: a location it
// accepts is in range, its centre is the file's own text, and its view reads
// back whole from the text a PNG of it would store; a refusal is one line
// and changes nothing.
#include "fuzz_check.h"
#include "kfr_location.h"
#include "png_view.h"
#include "render_flags.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    render_options options;
    std::string message;
    if (!parse_kfr_location(text, options, message)) {
        if (message.find_first_of("\r\n") != std::string::npos)
            fail("refusal %s is not one line", quoted(message).c_str());
        if (!(options.view == render_options{}.view))
            fail("a refused location changed the view");
        return 0;
    }
    const render_view& v = options.view;
    if (!renderer_accepts_iterations(v.max_iterations) || !accepts_figure(v.figure_index) ||
        !renderer_accepts_center(v.center_x.value) || !renderer_accepts_center(v.center_y.value) ||
        text.find(v.center_x.text) == std::string::npos || text.find(v.center_y.text) == std::string::npos)
        fail("accepted a location out of range from %s", quoted(text).c_str());
    render_options back;
    if (!parse_view_text(format_view_text(options, true, "x"), back, message) || !(back.view == v))
        fail("the view of %s does not read back: %s", quoted(text).c_str(), message.c_str());
    return 0;
}
