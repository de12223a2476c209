#include "deep_frames.h"

#include "bla_table.h"
#include "system_memory.h"

#include <cstdlib>
#include <string_view>

perturbation_frames::perturbation_frames(const render_options& options, floatexp deepest, bool use_table,
                                         std::int32_t width, std::int32_t height)
    : options_(options), width_(width), height_(height), center_re_(options.view.center_x.text),
      center_im_(options.view.center_y.text), use_table_(use_table)
{
    request_.center_re = center_re_;
    request_.center_im = center_im_;
    request_.exponent = options.view.figure_index + 2;
    request_.limit = options.view.max_iterations;
    request_.precision = view_precision(deepest, width, height);
}

std::uint64_t perturbation_frames::bytes_needed() const
{
    // An orbit of limit L has at most L + 2 elements.
    const std::int64_t elements = static_cast<std::int64_t>(request_.limit) + 2;
    const std::int64_t orbit = use_table_ ? orbit_bytes(elements) + bla_table_bytes(elements) : orbit_bytes(elements);
    return static_cast<std::uint64_t>(orbit) +
           static_cast<std::uint64_t>(options_.width) * static_cast<std::uint64_t>(options_.height) * 4;
}

void perturbation_frames::render(floatexp radius, int workers, std::int32_t* counts, const orbit_progress& progress,
                                 complex_pair<double>* points, std::stop_token stop)
{
    render_band(radius, equal_scales_grid(width_, height_), workers, counts, progress, points, std::move(stop));
}

void perturbation_frames::render_band(floatexp radius, const image_grid& band, int workers, std::int32_t* counts,
                                      const orbit_progress& progress, complex_pair<double>* points,
                                      std::stop_token stop)
{
    if (!reference_) {
        orbit_request request = request_;
        request.stop = stop;
        std::optional<reference_orbit> orbit = compute_reference_orbit(request, progress);
        if (!orbit)
            return;  // stopped
        auto made = std::make_shared<deep_reference>();
        made->center_re = center_re_;
        made->center_im = center_im_;
        made->exponent = request_.exponent;
        made->limit = request_.limit;
        made->precision = request_.precision;
        made->orbit = std::move(*orbit);
        if (use_table_)
            made->coefficients = build_bla_coefficients(made->orbit.elements());
        reference_ = std::move(made);
    }
    const reference_orbit& orbit = reference_->orbit;
    const deep_frame frame{band, radius, options_.view.max_iterations, std::move(stop)};
    const delta_type type = frame_delta_type(radius);
    if (!use_table_) {
        render_deep(orbit, frame, nullptr, type, workers, counts, points);
        return;
    }
    if (!table_ || !(table_radius_ == radius)) {
        table_.reset();
        table_.emplace(orbit.elements(), *reference_->coefficients, frame_max_dc(frame), type);
        // The returns are the whole frame's, so that every band takes the same
        // skips; a table whose probes were stopped is not kept.
        if (returns_enabled())
            add_frame_returns(*table_, orbit, {equal_scales_grid(width_, height_), radius, frame.limit, frame.stop});
        if (frame.stop.stop_requested()) {
            table_.reset();
            return;
        }
        table_radius_ = radius;
    }
    render_deep(orbit, frame, &*table_, type, workers, counts, points);
}

bool perturbation_frames::adopt(const std::shared_ptr<const deep_reference>& reference)
{
    if (reference_ || !reference || reference->center_re != center_re_ || reference->center_im != center_im_ ||
        reference->exponent != request_.exponent || reference->limit != request_.limit ||
        reference->precision != request_.precision || (use_table_ && !reference->coefficients))
        return false;
    reference_ = reference;
    return true;
}

std::uint64_t memory_budget(const render_options& options)
{
    return options.memory_limit > 0 ? options.memory_limit : physical_memory_bytes() / 2;
}

std::string memory_problem(const perturbation_frames& deep, const render_options& options, std::uint64_t budget)
{
    if (deep.bytes_needed() <= budget)
        return "";
    return "the view needs up to " + std::to_string(deep.bytes_needed()) + " bytes for its reference orbit of " +
           std::to_string(options.view.max_iterations) +
           " iterations, its tables and counts, more than the memory limit of " + std::to_string(budget) +
           " bytes (see --memory-limit)";
}

bool table_enabled()
{
    const char* bla = std::getenv("QUELLARIN_BLA");
    return !(bla && std::string_view(bla) == "off");
}
