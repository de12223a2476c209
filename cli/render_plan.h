// What one run renders: a still image, or the frames of a zoom movie that
// its frame range selects, less those a resumed movie finds written; each
// frame with its view, its method and its file.
#pragma once

#include "render_options.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct planned_frame {
    std::int32_t index = 0;
    render_options options;  // the run's, with the frame's radius
    bool perturbation = false;
    std::string name;            // the file's name as messages give it
    std::filesystem::path path;  // where the file goes
};

class render_plan {
public:
    // single_path names a still image's file.
    render_plan(const render_options& options, std::filesystem::path single_path);

    // Frame k (0-based, of the whole movie).
    planned_frame frame(std::int32_t k) const;

    // The frames to render, in order.
    const std::vector<std::int32_t>& frames() const { return frames_; }
    // The frames the range selects, and how many of them were found written.
    std::int32_t selected() const { return options_.last_frame - options_.first_frame + 1; }
    std::int32_t skipped() const { return selected() - static_cast<std::int32_t>(frames_.size()); }

    // The smallest radius of the whole movie, whatever its range: the
    // reference orbit's precision follows it, so that a frame's bytes do not
    // depend on which frames a run renders.
    floatexp deepest() const;
    // Whether a selected frame is rendered by perturbation.
    bool any_perturbation() const { return any_perturbation_; }

private:
    const render_options& options_;
    std::filesystem::path single_path_;
    std::vector<std::int32_t> frames_;
    bool any_perturbation_ = false;
};

// Frame k's options: its radius, exactly the given numbers at a movie's
// ends, geometric between them.
render_options frame_options(const render_options& options, std::int32_t k);

// Whether a view of this radius is rendered by perturbation.
bool by_perturbation(const render_options& options, double radius);
