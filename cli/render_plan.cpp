#include "render_plan.h"

#include "movie_frames.h"
#include "view_limits.h"

#include <system_error>

namespace {

// Zooms whose ends a double holds with all its bits keep the frame radii
// they have always had, computed in doubles.
bool double_zoom(const render_options& options)
{
    constexpr double NORMAL_ENOUGH = 1e-300;
    return options.zoom_from.value >= NORMAL_ENOUGH && options.view.radius.value >= NORMAL_ENOUGH;
}

}  // namespace

render_options frame_options(const render_options& options, std::int32_t k)
{
    render_options frame = options;
    const std::int32_t last = options.frames - 1;
    if (k == last)
        return frame;
    if (k == 0)
        frame.view.radius = options.zoom_from;
    else if (double_zoom(options))
        frame.view.radius =
            decimal_of(frame_radius(options.zoom_from.value, options.view.radius.value, options.frames, k));
    else
        frame.view.radius =
            decimal_of(frame_radius(options.zoom_from.extended, options.view.radius.extended, options.frames, k));
    return frame;
}

bool by_perturbation(const render_options& options, double radius)
{
    return options.method == render_method::perturbation ||
           (options.method == render_method::automatic && !exact_method_accepts_radius(radius));
}

render_plan::render_plan(const render_options& options, std::filesystem::path single_path)
    : options_(options), single_path_(std::move(single_path))
{
    for (std::int32_t k = options.first_frame; k <= options.last_frame; ++k) {
        const planned_frame f = frame(k);
        any_perturbation_ = any_perturbation_ || f.perturbation;
        // A resumed movie leaves its finished frames alone: a file under
        // its final name is whole, since every file is renamed into place.
        std::error_code error;
        if (!(options.resume && std::filesystem::is_regular_file(f.path, error)))
            frames_.push_back(k);
    }
}

planned_frame render_plan::frame(std::int32_t k) const
{
    planned_frame f;
    f.index = k;
    f.options = frame_options(options_, k);
    f.perturbation = by_perturbation(options_, f.options.view.radius.value);
    const bool movie = options_.frames > 1;
    f.name = movie && options_.format != output_format::raw ? frame_name(options_.pattern, k) : options_.output;
    f.path = movie ? std::filesystem::path(std::u8string(f.name.begin(), f.name.end())) : single_path_;
    return f;
}

floatexp render_plan::deepest() const
{
    return options_.frames > 1 ? smaller_of(options_.zoom_from.extended, options_.view.radius.extended)
                               : options_.view.radius.extended;
}
