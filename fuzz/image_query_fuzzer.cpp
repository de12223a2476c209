// Fuzzes the query reader of the explorer's GET /image: an accepted query is
// an image within the server's largest size and the flags' ranges, whose
// view's query reads back as the same view; a refusal is one line without
// the program's name.
#include "fuzz_check.h"
#include "image_query.h"
#include "render_flags.h"

#include <tuple>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view query(reinterpret_cast<const char*>(data), size);
    render_options base;
    std::tie(base.serve_max_width, base.serve_max_height, base.serve_port) = std::tuple(300, 200, 0);
    query_pairs pairs;
    render_options options;
    std::string message;
    if (!split_query(query, pairs, message) || !read_image_query(pairs, base, options, message)) {
        if (message.empty() || message.find_first_of("\r\n") != std::string::npos ||
            message.rfind("quellarin-render", 0) == 0)
            fail("refusal %s is not one line of its own", quoted(message).c_str());
        return 0;
    }
    for (const auto& [key, value] : pairs) {
        if (!is_image_key(key))
            fail("accepted the key %s", quoted(key).c_str());
    }
    const render_view& v = options.view;
    if (options.width > 300 || options.height > 200 || options.serve_port != -1 ||
        !renderer_accepts_iterations(v.max_iterations) || !accepts_figure(v.figure_index) ||
        !accepts_palette(v.palette_index) || options.frames != 1 || options.output.rfind("image.", 0) != 0)
        fail("accepted an image out of range from %s", quoted(std::string(query)).c_str());
    query_pairs back;
    render_options again;
    const std::string view_and_size =
        view_query(v) + "&size=" + std::to_string(options.width) + "x" + std::to_string(options.height);
    if (!split_query(view_and_size, back, message) || !read_image_query(back, base, again, message) ||
        !(again.view == v))
        fail("the view of %s does not read back from %s: %s", quoted(std::string(query)).c_str(),
             quoted(view_and_size).c_str(), message.c_str());
    return 0;
}
