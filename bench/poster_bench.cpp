// Measures the work of quellarin-render through the engine: a 3840 x 2160
// poster of seahorse valley against the 640 x 640 view of the same place,
// per pixel; the poster with one worker and with all of them; and a
// 100-frame 1280 x 720 zoom into the same place. Prints milliseconds per
// megapixel and the speed-up from one worker to all.
#include "bench_views.h"

#include "renderer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

const bench_view& SEAHORSE = bench_views[1];
constexpr int ZOOM_FRAMES = 100;
constexpr double ZOOM_FROM = 2.0;

// As quellarin-render does: the hardware threads, at least the viewer's eight.
int all_workers()
{
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), WORKER_COUNT, MAX_WORKERS);
}

// An image of the seahorse view laid out as quellarin-render lays it out.
struct image {
    image(std::int32_t width, std::int32_t height, int workers)
        : pixels(static_cast<std::size_t>(width) * height * 3),
          job{equal_scales_grid(width, height), SEAHORSE.view, pixels, workers}
    {
    }

    double megapixels() const { return job.grid.width * static_cast<double>(job.grid.height) / 1e6; }

    // Seconds for one render.
    double render()
    {
        const auto t0 = std::chrono::steady_clock::now();
        compute_image(job);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }

    std::vector<std::uint8_t> pixels;
    exact_job job;
};

// Seconds per megapixel of the square view and of the poster, rendered in
// turns so that a change in the machine's load hits both alike.
double view_per_megapixel = 0.0;
double poster_per_megapixel = 0.0;
// Seconds per poster with one worker and with all.
double one_worker = 0.0;
double every_worker = 0.0;
// Seconds for the whole zoom, and its megapixels.
double zoom_seconds = 0.0;
double zoom_megapixels = 0.0;

void poster_against_view(benchmark::State& state)
{
    image view(640, 640, all_workers());
    image poster(3840, 2160, all_workers());
    double view_seconds = 0.0;
    double poster_seconds = 0.0;
    for (auto _ : state) {
        view_seconds += view.render();
        poster_seconds += poster.render();
    }
    const double rounds = static_cast<double>(state.iterations());
    view_per_megapixel = view_seconds / rounds / view.megapixels();
    poster_per_megapixel = poster_seconds / rounds / poster.megapixels();
    state.counters["view ms/MP"] = 1000.0 * view_per_megapixel;
    state.counters["poster ms/MP"] = 1000.0 * poster_per_megapixel;
}

void poster_workers(benchmark::State& state)
{
    image poster(3840, 2160, static_cast<int>(state.range(0)));
    double seconds = 0.0;
    for (auto _ : state)
        seconds += poster.render();
    (state.range(0) == 1 ? one_worker : every_worker) = seconds / static_cast<double>(state.iterations());
}

// The frames of a geometric zoom from ZOOM_FROM to the seahorse radius.
void zoom_movie(benchmark::State& state)
{
    image frame(1280, 720, all_workers());
    double seconds = 0.0;
    for (auto _ : state) {
        for (int k = 0; k < ZOOM_FRAMES; ++k) {
            frame.job.view.radius = ZOOM_FROM * std::pow(SEAHORSE.view.radius / ZOOM_FROM, k / (ZOOM_FRAMES - 1.0));
            seconds += frame.render();
        }
    }
    zoom_seconds = seconds / static_cast<double>(state.iterations());
    zoom_megapixels = ZOOM_FRAMES * frame.megapixels();
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RegisterBenchmark("poster-3840x2160-vs-view-640x640", poster_against_view)
        ->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("poster-3840x2160/workers", poster_workers)
        ->Arg(1)->Arg(all_workers())->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("zoom-1280x720x100", zoom_movie)
        ->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nseahorse valley, %d workers on %u hardware threads\n", all_workers(),
                std::thread::hardware_concurrency());
    if (view_per_megapixel > 0.0)
        std::printf("640 x 640 view: %.1f ms/MP; 3840 x 2160 poster: %.1f ms/MP = %.2f x the view (target <= 1.10: %s)\n",
                    1000.0 * view_per_megapixel, 1000.0 * poster_per_megapixel,
                    poster_per_megapixel / view_per_megapixel,
                    poster_per_megapixel <= 1.1 * view_per_megapixel ? "met" : "NOT met");
    if (one_worker > 0.0 && every_worker > 0.0)
        std::printf("poster with 1 worker: %.0f ms; with %d: %.0f ms; speed-up %.2f x\n", 1000.0 * one_worker,
                    all_workers(), 1000.0 * every_worker, one_worker / every_worker);
    if (zoom_seconds > 0.0)
        std::printf("zoom, %d frames of 1280 x 720 from radius %g: %.0f ms, %.1f ms/MP\n", ZOOM_FRAMES, ZOOM_FROM,
                    1000.0 * zoom_seconds, 1000.0 * zoom_seconds / zoom_megapixels);
    return 0;
}
