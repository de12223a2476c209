// Measures deep views by perturbation as quellarin-render renders them, with
// all its workers (the hardware threads, at least 8):
//
//  - each still view of deep_bench_views.h at 1280 x 720: the reference
//    orbit, the approximation table's build (coefficients and the frame's
//    radii), the pixels with the table, and the pixels with a null table
//    (what QUELLARIN_BLA=off renders). Plain perturbation on a whole frame
//    takes from half a minute to over ten, so both ways are timed in turns
//    on every k-th row and column of it (a W/k x H/k frame of the same view:
//    the same pixels with the same offsets, checked against the full frame's
//    counts), and plain perturbation's frame time is that sample's times
//    k^2; double deltas are also rendered plainly on the scalar path;
//  - a 300-frame 640 x 360 zoom from radius 2 to 1e-300 into one centre
//    through the command line's perturbation_frames, one reference orbit for
//    all frames (checked through the orbit's progress reports), and a few of
//    its frames above 1e-14 held to the arbitrary-precision oracle on every
//    8th row and column.
//
// Prints Google Benchmark's lines, then a table of the figures and targets.
#include "deep_bench_views.h"

#include "decimal_number.h"
#include "deep_frames.h"
#include "render_options.h"

#include "bla_table.h"
#include "deep_render.h"
#include "oracle.h"
#include "perturbation.h"
#include "reference_orbit.h"
#include "render_paths.h"
#include "worker_fanout.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::int32_t WIDTH = 1280;
constexpr std::int32_t HEIGHT = 720;
// Plain perturbation's sample is every k-th row and column (the view's
// sample_step): a frame of W/k x H/k pixels samples exactly those pixels,
// since pixel x' of it has the offset ((2x' - W/k) r) / (S/k), which is
// ((2 k x' - W) r) / S rounded the same way when k is a power of two.

constexpr std::int32_t ZOOM_WIDTH = 640;
constexpr std::int32_t ZOOM_HEIGHT = 360;
constexpr std::int32_t ZOOM_FRAMES = 300;
constexpr const char* ZOOM_FROM = "2";
constexpr const char* ZOOM_TO = "1e-300";
constexpr std::int32_t ZOOM_LIMIT = 20000;
// Frames above 1e-14 (radius 2, 2e-5, 1.9e-10 and 1.7e-14) held to the
// oracle on every ORACLE_STEP-th row and column.
constexpr std::array<std::int32_t, 4> ORACLE_FRAMES = {0, 5, 10, 14};
constexpr std::int32_t ORACLE_STEP = 8;

// As quellarin-render does: the hardware threads, at least eight.
int all_workers() { return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 8, MAX_WORKERS); }

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double sum_of(const std::vector<std::int32_t>& counts)
{
    double sum = 0.0;
    for (const std::int32_t n : counts)
        sum += n;
    return sum;
}

// Pixels at the limit and the separate pieces they form (8-connected):
// the minibrots whose interior the frame shows.
struct interior {
    std::int64_t pixels = 0;
    int pieces = 0;
};

interior interior_of(const std::vector<std::int32_t>& counts, std::int32_t width, std::int32_t height,
                     std::int32_t limit)
{
    interior result;
    std::vector<std::uint8_t> seen(counts.size(), 0);
    std::vector<std::size_t> stack;
    for (std::size_t start = 0; start < counts.size(); ++start) {
        if (counts[start] < limit || seen[start])
            continue;
        ++result.pieces;
        seen[start] = 1;
        stack.push_back(start);
        while (!stack.empty()) {
            const std::size_t k = stack.back();
            stack.pop_back();
            ++result.pixels;
            const auto x = static_cast<std::int32_t>(k % width);
            const auto i = static_cast<std::int32_t>(k / width);
            for (std::int32_t di = -1; di <= 1; ++di) {
                for (std::int32_t dx = -1; dx <= 1; ++dx) {
                    if (x + dx < 0 || x + dx >= width || i + di < 0 || i + di >= height)
                        continue;
                    const std::size_t n = static_cast<std::size_t>(x + dx) + static_cast<std::size_t>(i + di) * width;
                    if (counts[n] >= limit && !seen[n]) {
                        seen[n] = 1;
                        stack.push_back(n);
                    }
                }
            }
        }
    }
    return result;
}

// Everything measured on one still view, kept between its benchmarks.
struct still_run {
    std::optional<reference_orbit> orbit;
    std::optional<bla_coefficients> coefficients;
    std::optional<bla_table> table;
    std::optional<bla_table> aligned;  // the same without return skips (QUELLARIN_RETURNS=off)
    double orbit_seconds = 0.0;
    double table_seconds = 0.0;
    double pixel_seconds = 0.0;         // whole frame, with the table
    double sample_table_seconds = 0.0;  // per round
    double sample_plain_seconds = 0.0;
    double sample_scalar_seconds = 0.0;   // plain on the scalar path; 0 for floatexp deltas, which have no other
    double sample_aligned_seconds = 0.0;  // with the table alone
    std::vector<std::int32_t> counts;
    std::vector<std::int32_t> sample_table;
    std::vector<std::int32_t> sample_plain;
    std::vector<std::int32_t> sample_scalar;
    std::vector<std::int32_t> sample_aligned;
};

constexpr std::size_t STILL_VIEWS = std::size(deep_bench_views);
still_run still_runs[STILL_VIEWS];

deep_frame frame_of(const deep_bench_view& view, std::int32_t width, std::int32_t height)
{
    return {equal_scales_grid(width, height), *parse_decimal(view.radius), view.limit};
}

reference_orbit orbit_of(const deep_bench_view& view)
{
    const floatexp radius = *parse_decimal(view.radius);
    const orbit_request request{view.center_re, view.center_im, 2, view.limit, view_precision(radius, WIDTH, HEIGHT)};
    return *compute_reference_orbit(request);
}

// The orbit and the table, computed unmeasured when their benchmarks were filtered out.
still_run& prepared(std::size_t v, bool with_table)
{
    still_run& run = still_runs[v];
    const deep_bench_view& view = deep_bench_views[v];
    if (!run.orbit)
        run.orbit = orbit_of(view);
    if (with_table && !run.table) {
        run.coefficients = build_bla_coefficients(run.orbit->elements());
        const deep_frame frame = frame_of(view, WIDTH, HEIGHT);
        run.table.emplace(run.orbit->elements(), *run.coefficients, frame_max_dc(frame),
                          frame_delta_type(frame.radius));
        if (returns_enabled())
            add_frame_returns(*run.table, *run.orbit, frame);
    }
    if (with_table && !run.aligned) {
        const deep_frame frame = frame_of(view, WIDTH, HEIGHT);
        run.aligned.emplace(run.orbit->elements(), *run.coefficients, frame_max_dc(frame),
                            frame_delta_type(frame.radius));
    }
    return run;
}

void reference_orbit_time(benchmark::State& state, std::size_t v)
{
    still_run& run = still_runs[v];
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        run.orbit = orbit_of(deep_bench_views[v]);
        run.orbit_seconds = seconds_since(t0);
    }
    state.counters["elements"] = static_cast<double>(run.orbit->size());
}

void table_build_time(benchmark::State& state, std::size_t v)
{
    still_run& run = prepared(v, false);
    const deep_frame frame = frame_of(deep_bench_views[v], WIDTH, HEIGHT);
    for (auto _ : state) {
        run.table.reset();
        const auto t0 = std::chrono::steady_clock::now();
        run.coefficients = build_bla_coefficients(run.orbit->elements());
        run.table.emplace(run.orbit->elements(), *run.coefficients, frame_max_dc(frame),
                          frame_delta_type(frame.radius));
        if (returns_enabled())
            add_frame_returns(*run.table, *run.orbit, frame);
        run.table_seconds = seconds_since(t0);
    }
}

// Renders the frame of the given size into counts; seconds.
double render_seconds(const still_run& run, const deep_frame& frame, const bla_table* table,
                      std::vector<std::int32_t>& counts)
{
    counts.assign(static_cast<std::size_t>(frame.grid.width) * frame.grid.height, -1);
    const auto t0 = std::chrono::steady_clock::now();
    render_deep(*run.orbit, frame, table, frame_delta_type(frame.radius), all_workers(), counts.data());
    return seconds_since(t0);
}

void pixels_with_table(benchmark::State& state, std::size_t v)
{
    still_run& run = prepared(v, true);
    const deep_frame frame = frame_of(deep_bench_views[v], WIDTH, HEIGHT);
    for (auto _ : state)
        run.pixel_seconds = render_seconds(run, frame, &*run.table, run.counts);
    state.counters["Mit/s"] = sum_of(run.counts) / run.pixel_seconds / 1e6;
}

// The sample with the frame's own table (its offsets are a subset of the
// frame's) and with none, in turns, so that a change in the machine's load
// hits all alike. Plain steps in double deltas run on the vector units; the
// table's skips, and floatexp deltas, in scalar code. So double deltas are
// also rendered plainly on the scalar path, which shows what the table
// gains by itself.
void sample_in_turns(benchmark::State& state, std::size_t v)
{
    const deep_bench_view& view = deep_bench_views[v];
    still_run& run = prepared(v, true);
    const deep_frame frame = frame_of(view, WIDTH / view.sample_step, HEIGHT / view.sample_step);
    const bool vector_plain =
        frame_delta_type(frame.radius) == delta_type::double_precision && active_render_path() != render_path::scalar;
    const render_path path = active_render_path();
    double with_table = 0.0;
    double plain = 0.0;
    double scalar = 0.0;
    double aligned = 0.0;
    for (auto _ : state) {
        with_table += render_seconds(run, frame, &*run.table, run.sample_table);
        aligned += render_seconds(run, frame, &*run.aligned, run.sample_aligned);
        plain += render_seconds(run, frame, nullptr, run.sample_plain);
        if (vector_plain) {
            force_render_path(render_path::scalar);
            scalar += render_seconds(run, frame, nullptr, run.sample_scalar);
            force_render_path(path);
        }
    }
    const auto rounds = static_cast<double>(state.iterations());
    run.sample_table_seconds = with_table / rounds;
    run.sample_plain_seconds = plain / rounds;
    run.sample_scalar_seconds = scalar / rounds;
    run.sample_aligned_seconds = aligned / rounds;
    state.counters["table Mit/s"] = sum_of(run.sample_table) / run.sample_table_seconds / 1e6;
    state.counters["plain Mit/s"] = sum_of(run.sample_plain) / run.sample_plain_seconds / 1e6;
}

// The zoom's figures.
struct zoom_run {
    double seconds = 0.0;
    double aligned_seconds = 0.0;  // the same zoom with the table alone (QUELLARIN_RETURNS=off)
    int orbit_reports_first = 0;   // progress reports of the orbit while frame 0 was rendered
    int orbit_reports_later = 0;   // and while any later frame was: a second orbit
    std::vector<floatexp> radii;
    std::vector<std::vector<std::int32_t>> kept;  // the counts of ORACLE_FRAMES
};
zoom_run zoom;

render_options zoom_options()
{
    render_options options;
    options.view.center_x = *read_decimal(PERIOD_401_RE);
    options.view.center_y = *read_decimal(PERIOD_401_IM);
    options.view.max_iterations = ZOOM_LIMIT;
    options.view.figure_index = 0;
    options.width = ZOOM_WIDTH;
    options.height = ZOOM_HEIGHT;
    return options;
}

// The zoom, with return skips, or (aligned) with the table alone.
void zoom_movie(benchmark::State& state, bool aligned)
{
    if (aligned)
        setenv("QUELLARIN_RETURNS", "off", 1);
    const render_options options = zoom_options();
    const floatexp from = *parse_decimal(ZOOM_FROM);
    const floatexp to = *parse_decimal(ZOOM_TO);
    std::vector<std::int32_t> counts(static_cast<std::size_t>(ZOOM_WIDTH) * ZOOM_HEIGHT);
    for (auto _ : state) {
        if (aligned) {
            const auto t0 = std::chrono::steady_clock::now();
            perturbation_frames frames(options, smaller_of(from, to), true, ZOOM_WIDTH, ZOOM_HEIGHT);
            for (std::int32_t k = 0; k < ZOOM_FRAMES; ++k)
                frames.render(frame_radius(from, to, ZOOM_FRAMES, k), all_workers(), counts.data(), {});
            zoom.aligned_seconds = seconds_since(t0);
            continue;
        }
        zoom = {};
        perturbation_frames frames(options, smaller_of(from, to), true, ZOOM_WIDTH, ZOOM_HEIGHT);
        std::int32_t current = 0;
        const orbit_progress progress = [&](std::int64_t) {
            ++(current == 0 ? zoom.orbit_reports_first : zoom.orbit_reports_later);
        };
        const auto t0 = std::chrono::steady_clock::now();
        for (current = 0; current < ZOOM_FRAMES; ++current) {
            const floatexp radius = frame_radius(from, to, ZOOM_FRAMES, current);
            frames.render(radius, all_workers(), counts.data(), progress);
            zoom.radii.push_back(radius);
            if (std::find(ORACLE_FRAMES.begin(), ORACLE_FRAMES.end(), current) != ORACLE_FRAMES.end())
                zoom.kept.push_back(counts);
        }
        zoom.seconds = seconds_since(t0);
    }
    if (aligned)
        unsetenv("QUELLARIN_RETURNS");
    state.counters["ms/frame"] = 1000.0 * (aligned ? zoom.aligned_seconds : zoom.seconds) / ZOOM_FRAMES;
}

// The oracle's decidable pixels on every ORACLE_STEP-th row and column of a kept frame.
oracle_agreement frame_agreement(std::int32_t k, const std::vector<std::int32_t>& counts)
{
    const oracle_view view{PERIOD_401_RE,
                           PERIOD_401_IM,
                           format_decimal(zoom.radii[static_cast<std::size_t>(k)]),
                           2,
                           ZOOM_WIDTH / ORACLE_STEP,
                           ZOOM_HEIGHT / ORACLE_STEP,
                           ZOOM_LIMIT};
    const oracle_image oracle = oracle_render(view);
    std::vector<std::int32_t> sampled(static_cast<std::size_t>(view.width) * view.height);
    for (std::int32_t i = 0; i < view.height; ++i) {
        for (std::int32_t x = 0; x < view.width; ++x)
            sampled[static_cast<std::size_t>(x) + static_cast<std::size_t>(i) * view.width] =
                counts[static_cast<std::size_t>(x * ORACLE_STEP) +
                       static_cast<std::size_t>(i * ORACLE_STEP) * ZOOM_WIDTH];
    }
    return agreement(oracle, sampled.data());
}

const char* verdict(bool met) { return met ? "met" : "NOT met"; }

// Where a view's pixel time goes, on every PROFILE_STEP-th row and column:
// the table's loop with its tally, one worker.
constexpr std::int32_t PROFILE_STEP = 16;

struct view_profile {
    std::int64_t pixels = 0;
    std::int64_t steps = 0;  // the pixels' counts
    perturbation_tally tally;
};

template <class T>
view_profile profile_of(const still_run& run, const deep_frame& frame)
{
    view_profile profile;
    for (std::int32_t i = 0; i < frame.grid.height; i += PROFILE_STEP) {
        for (std::int32_t x = 0; x < frame.grid.width; x += PROFILE_STEP) {
            const complex_pair<T> dc = pixel_delta(frame, x, i, T{});
            profile.steps += tallied_escape_time(*run.orbit, *run.table, dc, frame.limit, profile.tally);
            ++profile.pixels;
        }
    }
    return profile;
}

// Shares of the whole view's time (where it was measured) and the profile.
void print_profile(std::size_t v)
{
    const deep_bench_view& view = deep_bench_views[v];
    const still_run& run = still_runs[v];
    if (!run.table)
        return;
    const deep_frame frame = frame_of(view, WIDTH, HEIGHT);
    const view_profile p = frame_delta_type(frame.radius) == delta_type::double_precision
                               ? profile_of<double>(run, frame)
                               : profile_of<floatexp>(run, frame);
    const auto per_pixel = [&](std::int64_t n) { return static_cast<double>(n) / static_cast<double>(p.pixels); };
    const double whole = std::max(run.orbit_seconds + run.table_seconds + run.pixel_seconds, 1e-300);
    std::printf(
        "%-18s %5.1f %% orbit %5.1f %% table %5.1f %% pixels; per pixel: %8.0f steps %7.1f plain %7.1f skips "
        "(of %6.0f, %7.1f between returns) %5.1f rebases %7.1f missed lookups\n",
        view.name, 100.0 * run.orbit_seconds / whole, 100.0 * run.table_seconds / whole,
        100.0 * run.pixel_seconds / whole, per_pixel(p.steps), per_pixel(p.tally.plain_steps), per_pixel(p.tally.skips),
        p.tally.skips > 0 ? static_cast<double>(p.tally.skipped_steps) / static_cast<double>(p.tally.skips) : 0.0,
        per_pixel(p.tally.return_skips), per_pixel(p.tally.rebases), per_pixel(p.tally.missed_lookups));
}

// One line of the closing table per still view.
void print_still(std::size_t v)
{
    const deep_bench_view& view = deep_bench_views[v];
    const still_run& run = still_runs[v];
    if (run.pixel_seconds <= 0.0 || run.sample_plain_seconds <= 0.0 || run.sample_table_seconds <= 0.0)
        return;
    const std::int32_t step = view.sample_step;
    const double sample_factor = static_cast<double>(step) * step;
    const double whole = run.orbit_seconds + run.table_seconds + run.pixel_seconds;
    const double ratio = run.sample_plain_seconds / run.sample_table_seconds;
    const interior inside = interior_of(run.counts, WIDTH, HEIGHT, view.limit);
    // The sample must be the frame's own pixels, counted the same way.
    std::int64_t same = 0;
    const std::int32_t sample_width = WIDTH / step;
    for (std::size_t k = 0; k < run.sample_table.size(); ++k) {
        const auto x = static_cast<std::int32_t>(k % sample_width) * step;
        const auto i = static_cast<std::int32_t>(k / sample_width) * step;
        same += run.sample_table[k] == run.counts[static_cast<std::size_t>(x) + static_cast<std::size_t>(i) * WIDTH];
    }
    char whole_target[32];
    std::snprintf(whole_target, sizeof whole_target, "<=%.0f s %s", view.target_seconds,
                  verdict(whole <= view.target_seconds));
    char ratio_target[32] = "";
    if (view.target_ratio > 0.0)
        std::snprintf(ratio_target, sizeof ratio_target, ">=%.0fx %s", view.target_ratio,
                      verdict(ratio >= view.target_ratio));
    char inside_text[32];
    std::snprintf(inside_text, sizeof inside_text, "%lld/%d", static_cast<long long>(inside.pixels), inside.pieces);
    char returns_text[16] = "-";
    if (run.sample_aligned_seconds > 0.0)
        std::snprintf(returns_text, sizeof returns_text, "%.2fx",
                      run.sample_aligned_seconds / run.sample_table_seconds);
    char scalar_text[16] = "-";
    if (run.sample_scalar_seconds > 0.0)
        std::snprintf(scalar_text, sizeof scalar_text, "%.1fx", run.sample_scalar_seconds / run.sample_table_seconds);
    char sample_text[48];
    std::snprintf(sample_text, sizeof sample_text, "1/%d: %lld/%zu", step, static_cast<long long>(same),
                  run.sample_table.size());
    std::printf("%-18s %-8s %8d %11s %8.2f %8.2f %8.2f %8.2f %-12s %10.3e %10.1f %10.3e %6.1fx %-12s %8s %9s %s\n",
                view.name, view.radius, view.limit, inside_text, run.orbit_seconds, run.table_seconds,
                run.pixel_seconds, whole, whole_target, sum_of(run.counts) / run.pixel_seconds,
                run.sample_plain_seconds * sample_factor, sum_of(run.sample_plain) / run.sample_plain_seconds, ratio,
                ratio_target, scalar_text, returns_text, sample_text);
}

void print_still_header()
{
    std::printf(
        "\ndeep views at %d x %d, %d workers on %u hardware threads; times in seconds. Plain perturbation "
        "(a null table) is timed\non every k-th row and column (sample 1/k), in turns with the table on the "
        "same pixels: its frame time is the\nsample's times k^2, t:plain the table's speed over plain "
        "perturbation's on the sample (double deltas on the %s path),\nt:scalar over plain perturbation "
        "forced onto the scalar path, t:returns the table with return skips over the table alone\n"
        "(QUELLARIN_RETURNS=off) on the sample, and n/m the sample's counts equal to the frame's at\nthe same pixels. "
        "interior: pixels at the limit / separate pieces (minibrots).\n",
        WIDTH, HEIGHT, all_workers(), std::thread::hardware_concurrency(), render_path_name(active_render_path()));
    std::printf("%-18s %-8s %8s %11s %8s %8s %8s %8s %-12s %10s %10s %10s %7s %-12s %8s %9s %s\n", "view", "radius",
                "limit", "interior", "orbit", "table", "pixels", "whole", "target", "it/s", "plain", "plain it/s",
                "t:plain", "target", "t:scalar", "t:returns", "sample");
}

void print_zoom()
{
    if (zoom.seconds <= 0.0)
        return;
    const bool one_orbit = zoom.orbit_reports_first > 0 && zoom.orbit_reports_later == 0;
    std::printf("\nzoom: %d frames of %d x %d from r %s to %s into the period-401 minibrot, %d iterations, "
                "%d workers\n",
                ZOOM_FRAMES, ZOOM_WIDTH, ZOOM_HEIGHT, ZOOM_FROM, ZOOM_TO, ZOOM_LIMIT, all_workers());
    std::printf("  %-34s %10.2f s  (%.0f ms per frame)\n", "all frames, reference orbit included", zoom.seconds,
                1000.0 * zoom.seconds / ZOOM_FRAMES);
    if (zoom.aligned_seconds > 0.0)
        std::printf("  %-34s %10.2f s  (%.0f ms per frame): return skips %.2fx\n", "the same with the table alone",
                    zoom.aligned_seconds, 1000.0 * zoom.aligned_seconds / ZOOM_FRAMES,
                    zoom.aligned_seconds / zoom.seconds);
    std::printf("  %-34s %s (orbit reports: %d with frame 0, %d later): %s\n", "one reference orbit for all frames",
                one_orbit ? "yes" : "no", zoom.orbit_reports_first, zoom.orbit_reports_later, verdict(one_orbit));
    std::printf("  oracle on every %dth row and column of frames above 1e-14:\n", ORACLE_STEP);
    for (std::size_t j = 0; j < zoom.kept.size(); ++j) {
        const std::int32_t k = ORACLE_FRAMES[j];
        const oracle_agreement a = frame_agreement(k, zoom.kept[j]);
        const double share = a.decidable > 0 ? 100.0 * static_cast<double>(a.agreeing) / a.decidable : 0.0;
        std::printf("    frame %3d, r %-24s %5lld of %5lld decidable pixels agree, %7.3f %%  target >= 99.9 %%: %s\n",
                    k, format_decimal(zoom.radii[static_cast<std::size_t>(k)]).c_str(),
                    static_cast<long long>(a.agreeing), static_cast<long long>(a.decidable), share,
                    verdict(a.agreeing * 1000 >= a.decidable * 999 && a.decidable > 0));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    for (std::size_t v = 0; v < STILL_VIEWS; ++v) {
        const std::string name = std::string("deep/") + deep_bench_views[v].name;
        const auto add = [](const std::string& n, auto function) {
            benchmark::RegisterBenchmark(n.c_str(), function)
                ->Iterations(1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        };
        add(name + "/reference-orbit", [v](benchmark::State& s) { reference_orbit_time(s, v); });
        add(name + "/table-build", [v](benchmark::State& s) { table_build_time(s, v); });
        add(name + "/pixels-with-table", [v](benchmark::State& s) { pixels_with_table(s, v); });
        benchmark::RegisterBenchmark((name + "/sample-table-and-plain-in-turns").c_str(),
                                     [v](benchmark::State& s) { sample_in_turns(s, v); })
            ->Iterations(deep_bench_views[v].sample_rounds)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("deep/zoom-640x360x300", [](benchmark::State& s) { zoom_movie(s, false); })
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("deep/zoom-640x360x300/table-alone", [](benchmark::State& s) { zoom_movie(s, true); })
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (std::any_of(std::begin(still_runs), std::end(still_runs),
                    [](const still_run& run) { return run.pixel_seconds > 0.0 && run.sample_plain_seconds > 0.0; }))
        print_still_header();
    for (std::size_t v = 0; v < STILL_VIEWS; ++v)
        print_still(v);
    if (std::any_of(std::begin(still_runs), std::end(still_runs), [](const still_run& run) { return run.table; }))
        std::printf("\nwhere the time goes (whole view, with the table), and the table's loop on every %dth row and "
                    "column:\n",
                    PROFILE_STEP);
    for (std::size_t v = 0; v < STILL_VIEWS; ++v)
        print_profile(v);
    print_zoom();
    return 0;
}
