// quellarin-render: renders one view with the viewer's own engine into a
// BMP or PNG file, for checking images and timing the renderer.
#include "image_file.h"
#include "render_options.h"

#include "fast_render.h"
#include "fractal.h"
#include "renderer.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    render_options options;
    std::string message;
    switch (parse_render_options(argc, argv, options, message)) {
    case parse_outcome::help:
        std::fputs(RENDER_USAGE, stdout);
        return 0;
    case parse_outcome::error:
        std::fprintf(stderr, "%s\n", message.c_str());
        return 2;
    case parse_outcome::render:
        break;
    }

    // For comparing the renderer's paths: QUELLARIN_RENDER_PATH=scalar|sse2|avx2.
    force_render_path(render_path_from_name(std::getenv("QUELLARIN_RENDER_PATH"), best_render_path()));

    // Claim the output before rendering, so a bad path fails at once.
    staged_file output(options.output);
    if (!output.open()) {
        std::fprintf(stderr, "quellarin-render: --output '%s' cannot be written: a writable file name ending in .bmp or .png\n",
                     options.output.c_str());
        return 2;
    }

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(IMAGE_WIDTH) * IMAGE_HEIGHT * 3);
    CFractal fractal;
    set_default_view(fractal);
    fractal.pixels = pixels.data();
    set_view(fractal, {options.center_x, options.center_y, options.radius, options.iterations, options.figure,
                       options.palette});

    for (int r = 0; r < options.repeat; ++r) {
        const std::int32_t elapsed = compute_image(fractal);
        std::printf("%d ms\n", static_cast<int>(elapsed));
        std::fflush(stdout);
    }

    const std::vector<std::uint8_t> bytes = options.png
                                                ? encode_png(fractal.pixels, fractal.width, fractal.height)
                                                : encode_bmp(fractal.pixels, fractal.width, fractal.height);
    if (!output.commit(bytes)) {
        std::fprintf(stderr, "quellarin-render: --output '%s' cannot be written: a writable file name ending in .bmp or .png\n",
                     options.output.c_str());
        return 2;
    }
    return 0;
}
