// What quellarin-render is asked to render, as its command line gives it.
#pragma once

#include "decimal_number.h"
#include "movie_frames.h"
#include "view.h"

#include <cstdint>
#include <string>
#include <string_view>

// The pixel memory a render may take.
inline constexpr std::uint64_t MAX_PIXEL_BYTES = std::uint64_t{1} << 30;

// The longest number text the command line and stored views take: the centre
// of a view at 1e-10000 needs about 10000 digits.
inline constexpr std::size_t MAX_NUMBER_TEXT = 100000;

// How the escape counts are computed: by the double definition where it
// holds the view (the default, automatic, down to 1e-14), or by
// perturbation against a reference orbit at any depth.
enum class render_method { automatic, exact, perturbation };

// What --output writes, by its file's suffix: a 24-bit BMP, a PNG with the
// view in a text chunk, the escape counts (or smooth values) as a NumPy
// array, or for "-" raw BGR frames on standard output.
enum class output_format { bmp, png, npy, raw };

// A view as the command line holds it: its numbers as they were read,
// every digit kept, each with its double (decimal_number.h).
struct render_view {
    decimal center_x = decimal_of(DEFAULT_CENTER_X);
    decimal center_y = decimal_of(DEFAULT_CENTER_Y);
    decimal radius = decimal_of(DEFAULT_RADIUS);
    std::int32_t max_iterations = DEFAULT_MAX_ITERATIONS;
    std::int32_t figure_index = 0;
    std::int32_t palette_index = 0;

    // The view of the double definition.
    view_parameters exact() const
    {
        return {center_x.value, center_y.value, radius.value, max_iterations, figure_index, palette_index};
    }

    bool operator==(const render_view&) const = default;
};

struct render_options {
    render_view view;  // a movie's radius is its last frame's
    std::int32_t width = IMAGE_WIDTH;
    std::int32_t height = IMAGE_HEIGHT;
    std::int32_t repeat = 1;
    std::string output;       // as given, for messages and the suffix
    int output_argument = 0;  // argv index of --output's value, which names a still image's file
    output_format format = output_format::bmp;
    std::int32_t workers = 0;  // 0: as many as the machine has hardware threads, at least 8
    bool quiet = false;
    decimal zoom_from;  // the first frame's radius; 0 for a still image
    render_method method = render_method::automatic;
    std::uint64_t memory_limit = 0;  // for the reference orbit and its tables; 0: half the machine's
    std::int32_t frames = 1;
    std::int32_t first_frame = 0;  // the frames to render, inclusive; last_frame -1: to the end
    std::int32_t last_frame = -1;
    frame_pattern pattern;     // a movie's file names
    std::int32_t samples = 1;  // each pixel the mean of samples x samples, in linear light
    bool resume = false;       // a movie's frames whose files exist are not rendered again
    bool smooth = false;       // colours, and .npy values, from the continuous escape value
    // --serve: the address the explorer listens on (port -1: no server), and
    // the largest image it renders.
    std::string serve_host = "127.0.0.1";
    std::int32_t serve_port = -1;
    std::int32_t serve_max_width = 4096;
    std::int32_t serve_max_height = 4096;
};

// A text as it may be quoted in a one-line message: control characters,
// line breaks among them, are shown as '?'.
std::string printable(std::string_view text);
