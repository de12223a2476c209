// One frame of quellarin-render: its colours or its escape counts, by the
// exact definition or by perturbation, sampled once per pixel or
// supersampled in bands of rows.
#pragma once

#include "deep_frames.h"
#include "render_options.h"

#include "image_definition.h"

#include <cstdint>
#include <span>
#include <stop_token>
#include <vector>

struct frame_job {
    const render_options& options;  // the whole render's
    const render_options& frame;    // this frame's, its view set
    floatexp radius;                // the frame's radius in full range
    bool perturbation = false;
    perturbation_frames& deep;
    int workers = 1;
    const orbit_progress& progress;
    std::stop_token stop = {};  // once requested, the frame ends soon, unfinished
};

// What a frame is rendered into: its colours, 3 bytes per pixel; or for a
// .npy file its escape counts, or with --smooth its smooth values.
struct frame_buffers {
    std::vector<std::uint8_t> pixels;
    std::vector<std::int32_t> counts;
    std::vector<double> values;
};

// The frame into the buffers its output format takes.
void render_frame(const frame_job& job, frame_buffers& buffers);

// The escape counts of the frame, counts[x + width * i] (a .npy file), or
// with options.smooth its smooth values in values.
void render_frame_counts(const frame_job& job, std::vector<std::int32_t>& counts, std::vector<double>& values);

// The colours of the frame into pixels (3 bytes each, width x height of
// the options), smooth with options.smooth.
// With --samples N each pixel is the mean in linear light of its N x N block
// of the view rendered N times larger, which is rendered a band of rows at a
// time so that memory stays near the image's own size.
void render_frame_colours(const frame_job& job, std::span<std::uint8_t> pixels);

// The output rows of one band of an image `height` rows tall, supersampled
// N times: its samples take about the image's own memory (fewer, larger
// bands leave the workers fewer times to wait for the slowest), and a band
// is at least one row.
std::int32_t band_rows(std::int32_t height, std::int32_t samples);
