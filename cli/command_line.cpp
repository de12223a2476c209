#include "command_line.h"

#include "render_flags.h"
#include "view_limits.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

constexpr const char* PROGRAM = "quellarin-render: ";

// Appends the pieces to out, separated by spaces and wrapped to lines of at
// most 79 columns that continue at column `indent`; out's last line is at
// column `column`. A piece is never broken.
void append_wrapped(std::string& out, const std::vector<std::string>& pieces, std::size_t column, std::size_t indent)
{
    constexpr std::size_t WIDTH = 79;
    bool first = true;
    for (const std::string& piece : pieces) {
        if (!first && column + 1 + piece.size() > WIDTH) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
        } else if (!first) {
            out += ' ';
            ++column;
        }
        out += piece;
        column += piece.size();
        first = false;
    }
}

// The words of a text.
std::vector<std::string> words(std::string_view text)
{
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at)
            out.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

}  // namespace

std::string render_usage()
{
    constexpr std::size_t HELP_COLUMN = 22;
    const auto with_value = [](const render_flag& flag) {
        return std::string(flag.name) + (flag.value_name.empty() ? "" : " ") + std::string(flag.value_name);
    };
    std::vector<std::string> synopsis;
    for (const render_flag& flag : render_flags()) {
        if (flag.kind != flag_kind::output)
            synopsis.push_back(std::string(1, '[').append(with_value(flag)).append(1, ']'));
    }
    synopsis.push_back("--output FILE");
    std::string out = "usage: quellarin-render ";
    append_wrapped(out, synopsis, out.size(), out.size());
    out += "\n\n"
           "Renders a view to FILE (.bmp: 24-bit bottom-up BMP; .png: PNG with the view\n"
           "in a text chunk; .npy: the escape counts; -: raw BGR rows, top first, on\n"
           "standard output) and prints the computation's time as 'NNN ms', one line per\n"
           "render.\n\n";
    for (const render_flag& flag : render_flags()) {
        std::string head = "  " + with_value(flag);
        head.resize(std::max(head.size() + 1, HELP_COLUMN), ' ');
        const std::string accepts = flag_accepts(flag);
        out += head;
        append_wrapped(out, words(std::string(flag.help) + (accepts.empty() ? "" : "; takes " + accepts)), head.size(),
                       HELP_COLUMN);
        out += '\n';
    }
    out += "\n"
           "QUELLARIN_RENDER_PATH=scalar|sse2|avx2|avx512 forces one way of computing the counts;\n"
           "every way gives the same image. Any other value, or a way this processor\n"
           "cannot run, is refused.\n";
    return out;
}

parse_outcome parse_render_options(int argc, const char* const* argv, render_options& options, std::string& message,
                                   const view_loader& load)
{
    bool have_output = false;
    bool have_zoom = false;
    std::string_view not_served;  // a flag given that the server does not take
    for (int a = 1; a < argc; ++a) {
        const std::string_view name = argv[a];
        const render_flag* flag = find_flag(name);
        if (!flag) {
            message = PROGRAM + std::string("unknown option '") + printable(name) + "' (see --help)";
            return parse_outcome::error;
        }
        if (name != "--serve" && name != "--serve-max-size" && name != "--workers" && name != "--memory-limit" &&
            name != "--quiet")
            not_served = name;
        switch (flag->kind) {
        case flag_kind::help:
            return parse_outcome::help;
        case flag_kind::version:
            return parse_outcome::version;
        case flag_kind::toggle:
            flag->toggle(options) = true;
            continue;
        default:
            break;
        }
        if (a + 1 >= argc) {
            message = PROGRAM + std::string(name) + " needs a value: " + flag_accepts(*flag);
            return parse_outcome::error;
        }
        const std::string_view value = argv[++a];
        if (flag->kind == flag_kind::view_file) {
            if (!load) {
                message = PROGRAM + std::string("--from is not available here");
                return parse_outcome::error;
            }
            if (!load(a, options, message))
                return parse_outcome::error;
            continue;
        }
        if (!apply_flag(*flag, value, options)) {
            message = PROGRAM + std::string(name) + " '" + printable(value) + "' is not " + flag_accepts(*flag);
            return parse_outcome::error;
        }
        have_zoom = have_zoom || name == "--zoom-from";
        if (flag->kind == flag_kind::output) {
            options.output_argument = a;
            have_output = true;
        }
    }
    const bool movie = options.frames > 1;
    std::string problem;
    if (options.serve_port >= 0 && !not_served.empty())
        problem = "--serve takes only --workers, --memory-limit, --serve-max-size and --quiet, not " +
                  std::string(not_served) + ": each image's view comes with its request";
    else if (options.serve_port >= 0)
        return parse_outcome::serve;

    else if (!have_output)
        problem = "--output is required: a file name ending in .bmp, .png or .npy, or -";
    else if (have_zoom != movie)
        problem = "--zoom-from and --frames go together";
    else if (options.last_frame >= 0 && !movie)
        problem = "--frame-range needs --zoom-from and --frames";
    else if (options.last_frame >= options.frames)
        problem = "--frame-range must end before --frames";
    else if (movie && options.format != output_format::raw && !parse_frame_pattern(options.output, options.pattern))
        problem = "--output of a movie must hold one %d or %0Nd field (1 <= N <= 20) for the frame "
                  "number, and %% for a percent sign";
    else if (options.method == render_method::exact &&
             !(exact_method_accepts_radius(options.view.radius.value) &&
               (!movie || exact_method_accepts_radius(options.zoom_from.value))))
        problem = "--method exact renders only radii r with " + exact_radius_range() +
                  ", where the double definition holds the view; --method perturbation renders deeper";
    else if (options.resume && !movie)
        problem = "--resume needs a movie (--zoom-from and --frames): it skips the frames already written";
    else if (options.resume && options.format == output_format::raw)
        problem = "--resume needs movie files: --output - writes no files whose frames it could skip";
    else if (options.samples > 1 && options.format == output_format::npy)
        problem = "--samples needs an image: a .npy count map holds one escape count per pixel";
    if (!problem.empty()) {
        message = PROGRAM + problem;
        return parse_outcome::error;
    }
    if (options.last_frame < 0)
        options.last_frame = options.frames - 1;
    return parse_outcome::render;
}
