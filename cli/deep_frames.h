// The frames of a view or movie that are rendered by perturbation, all
// against one reference orbit of the centre: computed when the first such
// frame is rendered, at the precision of the deepest frame of the whole
// movie and the view's iteration limit, then kept with its table's
// coefficients for every later frame.
#pragma once

#include "render_options.h"

#include "deep_render.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

class perturbation_frames;

// A reference orbit and its table's coefficients, with the request they
// answer. It is immutable once made, so frames of the same request, of one
// movie or one after another, may share it.
struct deep_reference {
    std::string center_re;
    std::string center_im;
    int exponent = 2;
    std::int32_t limit = 0;
    std::int64_t precision = 0;
    reference_orbit orbit;
    std::optional<bla_coefficients> coefficients;  // when made for a table
};

// Whether the approximation table is used: QUELLARIN_BLA=off turns it off
// for tests and benchmarks.
bool table_enabled();

// The memory a deep view may take: options.memory_limit, else half the machine's.
std::uint64_t memory_budget(const render_options& options);

// Empty when the frames' orbit, tables and counts fit the budget; else the
// one-line refusal that says what they need.
std::string memory_problem(const perturbation_frames& deep, const render_options& options, std::uint64_t budget);

class perturbation_frames {
public:
    // deepest: the smallest radius of the frames to come; width x height:
    // the frames' sampled size (the image's, times --samples).
    perturbation_frames(const render_options& options, floatexp deepest, bool use_table, std::int32_t width,
                        std::int32_t height);

    // The bytes the orbit, its table and a frame's counts may take at most.
    std::uint64_t bytes_needed() const;

    // The escape counts of the frame of the given radius, counts[x + width * i],
    // memory row i from the bottom; the orbit's progress goes to progress.
    // With points, also each escaped pixel's first point past the radius.
    // Once stop is requested the render ends soon, its counts unfinished, and
    // an orbit it had not finished is not kept.
    void render(floatexp radius, int workers, std::int32_t* counts, const orbit_progress& progress,
                complex_pair<double>* points = nullptr, std::stop_token stop = {});

    // The same for a band of the frame's rows only (band_of the frame's
    // equal-scales grid), counts[x + width * (i - first_row)]: the whole
    // frame's counts.
    void render_band(floatexp radius, const image_grid& band, int workers, std::int32_t* counts,
                     const orbit_progress& progress, complex_pair<double>* points = nullptr, std::stop_token stop = {});

    // The reference the frames rendered against so far; null before the first.
    std::shared_ptr<const deep_reference> reference() const { return reference_; }

    // Takes another frames' reference, before the first frame, when it
    // answers the same request (centre, exponent, limit and precision, and
    // a table's coefficients if these frames take a table): the orbit is
    // then the one these frames would compute, so their images are too.
    bool adopt(const std::shared_ptr<const deep_reference>& reference);

private:
    const render_options& options_;
    std::int32_t width_;
    std::int32_t height_;
    std::string center_re_;
    std::string center_im_;
    orbit_request request_;
    bool use_table_;
    std::shared_ptr<const deep_reference> reference_;
    // The last frame's table, kept for its other bands.
    std::optional<bla_table> table_;
    floatexp table_radius_;
};
