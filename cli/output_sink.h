// Where a run's frames go: each frame's file claimed under a staging name
// before it is rendered, so that a bad path fails at once, and committed
// whole once it is; or raw frames on standard output.
#pragma once

#include "frame_render.h"
#include "image_file.h"
#include "render_plan.h"

#include <cstdint>
#include <optional>
#include <vector>

// The bytes of the frame's file, in the run's output format (not raw).
std::vector<std::uint8_t> encode_frame(const planned_frame& frame, const frame_buffers& buffers);

class output_sink {
public:
    explicit output_sink(const render_options& options);

    // Claims the frame's file; false, with the message printed, when it
    // cannot be written.
    bool claim(const planned_frame& frame);

    // Writes the rendered frame to its file, or to standard output; false,
    // with the message printed, when it cannot be written.
    bool commit(const planned_frame& frame, const frame_buffers& buffers);

private:
    bool refuse(const planned_frame& frame);

    const render_options& options_;
    std::optional<staged_file> file_;
};
