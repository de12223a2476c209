// Measures the scalar definition against the vector paths on the named views
// of bench_views.h, whole 640 x 640 images with the renderer's eight workers,
// and prints a table of times, speed-ups and iterations per second.
#include "bench_views.h"
#include "peak_loop.h"

#include "render_paths.h"
#include "renderer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// One view's image buffers and the totals shared by its measurements.
struct view_state {
    const bench_view* view = nullptr;
    std::int64_t counts = 0;                        // escape counts summed over the image
    std::map<std::string, std::vector<std::uint8_t>> images;  // last image of each path
};

std::vector<view_state> states(std::size(bench_views));

// The vector paths measured, narrowest first.
constexpr render_path vector_paths[] = {render_path::sse2, render_path::avx2, render_path::avx512};

// The view's record, drawing into pixels.
CFractal make_fractal(const bench_view& view, std::vector<std::uint8_t>& pixels)
{
    CFractal fractal;
    set_default_view(fractal);
    set_view(fractal, view.view);
    pixels.assign(static_cast<std::size_t>(fractal.width) * fractal.height * 3, 0);
    fractal.pixels = pixels.data();
    return fractal;
}

// Sums the escape counts of a view once, on the best path.
std::int64_t summed_counts(const bench_view& view)
{
    std::vector<std::uint8_t> pixels;
    const CFractal fractal = make_fractal(view, pixels);
    std::vector<std::int32_t> counts(static_cast<std::size_t>(fractal.width) * fractal.height);
    compute_counts(viewer_job(fractal), best_render_path(), counts.data());
    std::int64_t sum = 0;
    for (std::int32_t n : counts)
        sum += n;
    return sum;
}

// Renders the view with compute_image on one path per iteration.
void render_view(benchmark::State& state, int v, render_path path)
{
    view_state& s = states[v];
    std::vector<std::uint8_t> pixels;
    const CFractal fractal = make_fractal(*s.view, pixels);
    force_render_path(path);
    for (auto _ : state)
        compute_image(fractal);
    state.counters["iter/s"] = benchmark::Counter(static_cast<double>(s.counts) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
    s.images[render_path_name(path)] = pixels;
}

// Seconds spent in a unit's peak loop and in its path on the peak view,
// taken turn about so that a change in the machine's load hits both alike.
struct peak_timing {
    peak_result totals{};
    double peak_seconds = 0.0;
    double fast_seconds = 0.0;
    std::int64_t rounds = 0;
};
std::map<render_path, peak_timing> peak_times;

// Runs the unit's bare loop and its path in turn over the peak view.
void peak_view(benchmark::State& state, render_path unit)
{
    std::vector<std::uint8_t> pixels;
    const CFractal fractal = make_fractal(bench_views[PEAK_VIEW], pixels);
    force_render_path(unit);
    peak_timing timing;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!run_peak_loop(fractal, unit, timing.totals)) {
            state.SkipWithError("the processor lacks the unit");
            return;
        }
        const auto t1 = std::chrono::steady_clock::now();
        compute_image(fractal);
        const auto t2 = std::chrono::steady_clock::now();
        timing.peak_seconds += std::chrono::duration<double>(t1 - t0).count();
        timing.fast_seconds += std::chrono::duration<double>(t2 - t1).count();
        ++timing.rounds;
    }
    peak_times[unit] = timing;
    state.counters["peak steps/s"] =
        static_cast<double>(timing.totals.lane_steps) * static_cast<double>(timing.rounds) / timing.peak_seconds;
    state.counters["fast iter/s"] = static_cast<double>(states[PEAK_VIEW].counts) *
                                    static_cast<double>(timing.rounds) / timing.fast_seconds;
}

// Keeps each run's time per image for the closing table.
class table_reporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that logs stay plain text.
    table_reporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                seconds[run.run_name.function_name] = run.GetAdjustedRealTime() / 1000.0;
        }
        ConsoleReporter::ReportRuns(reports);
    }

    std::map<std::string, double> seconds;
};

std::string run_name(int v, const char* path)
{
    return std::string(bench_views[v].name) + "/" + path;
}

// The closing table: one line per view and vector path, then each unit's
// share of its peak.
void print_table(const table_reporter& reporter, render_path fast)
{
    std::printf("\n%-16s %5s %3s %-6s %10s %9s %9s %8s %4s %8s %8s %4s %12s %10s %4s\n", "view", "limit", "fig",
                "path", "scalar ms", "path ms", "speed-up", "target", "met", "vs avx2", "target", "met", "counts",
                "iter/s", "same");
    for (int v = 0; v < static_cast<int>(std::size(bench_views)); ++v) {
        const bench_view& view = bench_views[v];
        const auto scalar = reporter.seconds.find(run_name(v, "scalar"));
        const auto avx2 = reporter.seconds.find(run_name(v, "avx2"));
        for (render_path path : vector_paths) {
            const char* name = render_path_name(path);
            const auto quick = reporter.seconds.find(run_name(v, name));
            if (quick == reporter.seconds.end())
                continue;
            char scalar_ms[32] = "-";
            char ratio[32] = "-";
            const char* met = "-";
            if (scalar != reporter.seconds.end()) {
                const double speed_up = scalar->second / quick->second;
                std::snprintf(scalar_ms, sizeof scalar_ms, "%.1f", scalar->second * 1000.0);
                std::snprintf(ratio, sizeof ratio, "%.1fx", speed_up);
                if (path == fast && view.target_ratio > 0.0)
                    met = speed_up >= view.target_ratio ? "yes" : "NO";
            }
            char target[32] = "-";
            if (path == fast && view.target_ratio > 0.0)
                std::snprintf(target, sizeof target, ">=%.0fx", view.target_ratio);
            // AVX-512 against AVX2 in the same run.
            char wide[32] = "-";
            char wide_target[32] = "-";
            const char* wide_met = "-";
            if (avx2 != reporter.seconds.end()) {
                const double wide_ratio = avx2->second / quick->second;
                std::snprintf(wide, sizeof wide, "%.2fx", wide_ratio);
                if (path == render_path::avx512 && view.wide_ratio > 0.0) {
                    std::snprintf(wide_target, sizeof wide_target, ">=%.0fx", view.wide_ratio);
                    wide_met = wide_ratio >= view.wide_ratio ? "yes" : "NO";
                }
            }
            const auto& images = states[v].images;
            const auto a = images.find("scalar");
            const auto b = images.find(name);
            const char* same = a == images.end() || b == images.end() ? "-" : a->second == b->second ? "yes" : "NO";
            std::printf("%-16s %5d %3d %-6s %10s %9.2f %9s %8s %4s %8s %8s %4s %12lld %10.3e %4s\n", view.name,
                        view.view.max_iterations, view.view.figure_index, name, scalar_ms, quick->second * 1000.0, ratio, target,
                        met, wide, wide_target, wide_met, static_cast<long long>(states[v].counts),
                        static_cast<double>(states[v].counts) / quick->second, same);
        }
    }
    std::printf("\n");
    for (const auto& [unit, timing] : peak_times) {
        if (timing.rounds == 0)
            continue;
        const double rounds = static_cast<double>(timing.rounds);
        const double peak_rate = static_cast<double>(timing.totals.lane_steps) * rounds / timing.peak_seconds;
        const double fast_rate = static_cast<double>(states[PEAK_VIEW].counts) * rounds / timing.fast_seconds;
        std::printf("%-6s peak loop on %s: %.3e steps/s (%.1f ms for %lld steps); the %s path in the same rounds: "
                    "%.3e iter/s (%.1f ms) = %.0f %% of peak (target >= %.0f %%: %s)\n",
                    render_path_name(unit), bench_views[PEAK_VIEW].name, peak_rate,
                    1000.0 * timing.peak_seconds / rounds, static_cast<long long>(timing.totals.lane_steps),
                    render_path_name(unit), fast_rate, 1000.0 * timing.fast_seconds / rounds,
                    100.0 * fast_rate / peak_rate, 100.0 * PEAK_TARGET,
                    fast_rate >= PEAK_TARGET * peak_rate ? "met" : "NOT met");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // The path the environment asks for (else the best) is the fast one.
    render_path fast = active_render_path();
    if (fast == render_path::scalar)
        fast = best_render_path();

    for (int v = 0; v < static_cast<int>(std::size(bench_views)); ++v) {
        states[v].view = &bench_views[v];
        states[v].counts = summed_counts(bench_views[v]);
        // The scalar images take seconds each: one run is enough.
        benchmark::RegisterBenchmark(run_name(v, "scalar").c_str(), render_view, v, render_path::scalar)
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        for (render_path path : vector_paths) {
            if (path <= best_render_path())
                benchmark::RegisterBenchmark(run_name(v, render_path_name(path)).c_str(), render_view, v, path)
                    ->MinTime(0.5)
                    ->UseRealTime()
                    ->Unit(benchmark::kMillisecond);
        }
    }
    for (render_path unit : {render_path::avx2, render_path::avx512}) {
        if (unit <= best_render_path())
            benchmark::RegisterBenchmark(
                ("peak-loop/" + std::string(bench_views[PEAK_VIEW].name) + "/" + render_path_name(unit)).c_str(),
                peak_view, unit)
                ->MinTime(1.0)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
    }

    table_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_table(reporter, fast);
    benchmark::Shutdown();
    return 0;
}
