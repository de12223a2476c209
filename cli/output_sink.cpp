#include "output_sink.h"

#include "count_map.h"
#include "png_view.h"
#include "version.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

std::vector<std::uint8_t> encode_frame(const planned_frame& frame, const frame_buffers& buffers)
{
    const render_options& o = frame.options;
    switch (o.format) {
    case output_format::npy:
        return o.smooth ? encode_npy_values(buffers.values.data(), o.width, o.height)
                        : encode_npy_counts(buffers.counts.data(), o.width, o.height);
    case output_format::png:
        return with_view_text(encode_png(buffers.pixels.data(), o.width, o.height),
                              format_view_text(o, frame.perturbation, QUELLARIN_VERSION_TEXT));
    default:
        return encode_bmp(buffers.pixels.data(), o.width, o.height);
    }
}

output_sink::output_sink(const render_options& options) : options_(options)
{
#ifdef _WIN32
    if (options.format == output_format::raw)
        _setmode(_fileno(stdout), _O_BINARY);
#endif
}

bool output_sink::refuse(const planned_frame& frame)
{
    std::fprintf(stderr,
                 "quellarin-render: --output '%s' cannot be written: a writable file name ending in .bmp, .png or "
                 ".npy\n",
                 printable(frame.name).c_str());
    return false;
}

bool output_sink::claim(const planned_frame& frame)
{
    file_.reset();
    if (options_.format == output_format::raw)
        return true;
    file_.emplace(frame.path);
    return file_->open() || refuse(frame);
}

bool output_sink::commit(const planned_frame& frame, const frame_buffers& buffers)
{
    if (options_.format == output_format::raw) {
        if (write_raw(stdout, buffers.pixels.data(), options_.width, options_.height))
            return true;
        std::fputs("quellarin-render: standard output cannot be written\n", stderr);
        return false;
    }
    const bool written = file_->commit(encode_frame(frame, buffers));
    file_.reset();
    return written || refuse(frame);
}
