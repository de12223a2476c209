#include "http_server.h"

#include "deep_frames.h"
#include "explorer_files.h"
#include "frame_render.h"
#include "image_query.h"
#include "kfr_location.h"
#include "output_sink.h"
#include "render_plan.h"

#include "decimal_arithmetic.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <csignal>
#endif

namespace {

// Longer queries get 414; a centre of 100000 digits takes about 100 KiB.
constexpr std::size_t LONGEST_QUERY = 512 * 1024;

// How often a waiting or rendering request looks at its client.
constexpr auto CLIENT_LOOK = std::chrono::milliseconds(10);

struct server_state {
    render_options base;         // workers, memory limit, largest size
    std::uint64_t budget = 0;    // bytes a deep view may take
    std::string host;            // the Host header a request must carry: HOST:PORT
    std::timed_mutex computing;  // one image at a time, with the server's workers
    std::mutex pages_lock;
    std::map<std::string, std::shared_ptr<std::stop_source>> pages;  // each page's latest image request
    // The last deep image's reference orbit, for a next image of the same
    // centre, iteration limit and precision: the explorer's full image
    // after its quarter-size one, a zoom about the centre. Read and written
    // only while computing is held.
    std::shared_ptr<const deep_reference> last_reference;
};

void refuse(httplib::Response& res, int status, const std::string& message)
{
    res.status = status;
    res.set_content(message + "\n", "text/plain; charset=utf-8");
}

std::string raw_query(const httplib::Request& req)
{
    const std::size_t at = req.target.find('?');
    return at == std::string::npos ? "" : req.target.substr(at + 1);
}

std::string shown(const std::string& text) { return printable(text.size() > 200 ? text.substr(0, 200) + "..." : text); }

const char* content_type(output_format format)
{
    switch (format) {
    case output_format::png:
        return "image/png";
    case output_format::bmp:
        return "image/bmp";
    default:
        return "application/octet-stream";
    }
}

// One image request's work, shared by its handler and its content provider.
struct image_work {
    render_options options;
    planned_frame frame;
    std::optional<perturbation_frames> deep;
    frame_buffers buffers;
    std::shared_ptr<std::stop_source> stop = std::make_shared<std::stop_source>();
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
};

// Why the work stopped, for the log: its client went away, or a newer
// request of its page superseded it.
const char* stop_reason(httplib::DataSink& sink)
{
    return sink.is_writable() ? "a newer request of its page" : "its client went away";
}

// Renders the work while its client is there; false when it stopped.
bool render_watched(server_state& s, image_work& work, httplib::DataSink& sink)
{
    std::unique_lock<std::timed_mutex> computing(s.computing, std::defer_lock);
    while (!computing.try_lock_for(CLIENT_LOOK)) {
        if (!sink.is_writable() || work.stop->stop_requested())
            return false;
    }
    const orbit_progress no_progress;
    const frame_job job{work.options,
                        work.frame.options,
                        work.frame.options.view.radius.extended,
                        work.frame.perturbation,
                        *work.deep,
                        s.base.workers,
                        no_progress,
                        work.stop->get_token()};
    const bool reused = work.frame.perturbation && work.deep->adopt(s.last_reference);
    std::fprintf(stderr, "computing %dx%d by %s%s\n", work.options.width, work.options.height,
                 work.frame.perturbation ? "perturbation" : "the exact method",
                 reused ? ", with the last image's reference orbit" : "");
    std::thread renderer([&] {
        render_frame(job, work.buffers);
        const std::lock_guard<std::mutex> hold(work.lock);
        work.done = true;
        work.finished.notify_all();
    });
    const auto started = std::chrono::steady_clock::now();
    bool stopped = false;
    {
        std::unique_lock<std::mutex> hold(work.lock);
        while (!work.finished.wait_for(hold, CLIENT_LOOK, [&] { return work.done; })) {
            if (!stopped && (!sink.is_writable() || work.stop->stop_requested())) {
                std::fprintf(stderr, "stopped: %s\n", stop_reason(sink));
                work.stop->request_stop();
                stopped = true;
            }
        }
    }
    renderer.join();
    // A stop that came while the workers ended by themselves on it, between two looks.
    if (!stopped && work.stop->stop_requested()) {
        std::fprintf(stderr, "stopped: %s\n", stop_reason(sink));
        stopped = true;
    }
    if (stopped) {
        const auto freed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        std::fprintf(stderr, "stopped after %lld ms, the workers free\n", static_cast<long long>(freed.count()));
    }
    if (stopped)
        return false;
    if (work.frame.perturbation && work.deep->reference())
        s.last_reference = work.deep->reference();
    return true;
}

void get_image(server_state& s, const httplib::Request& req, httplib::Response& res)
{
    auto work = std::make_shared<image_work>();
    query_pairs pairs;
    std::string message;
    if (!split_query(raw_query(req), pairs, message) || !read_image_query(pairs, s.base, work->options, message))
        return refuse(res, 400, message);
    work->frame = render_plan(work->options, {}).frame(0);
    const render_options& o = work->options;
    work->deep.emplace(o, work->frame.options.view.radius.extended, table_enabled(), o.width * o.samples,
                       o.height * o.samples);
    if (work->frame.perturbation) {
        message = memory_problem(*work->deep, o, s.budget);
        if (!message.empty())
            return refuse(res, 400, message);
    }
    res.set_header("X-Quellarin-Method", work->frame.perturbation ? "perturbation" : "exact");
    res.set_header("Cache-Control", "no-store");
    if (req.method == "HEAD") {
        res.set_header("Content-Type", content_type(o.format));
        return;
    }
    // A newer request of the same page stops this page's older one.
    const std::string page = req.get_header_value("X-Quellarin-Page");
    if (!page.empty()) {
        const std::lock_guard<std::mutex> hold(s.pages_lock);
        std::shared_ptr<std::stop_source>& latest = s.pages[page];
        if (latest)
            latest->request_stop();
        latest = work->stop;
    }
    res.set_chunked_content_provider(content_type(o.format), [&s, work, page](std::size_t, httplib::DataSink& sink) {
        const bool rendered = render_watched(s, *work, sink);
        if (!page.empty()) {
            const std::lock_guard<std::mutex> hold(s.pages_lock);
            const auto latest = s.pages.find(page);
            if (latest != s.pages.end() && latest->second == work->stop)
                s.pages.erase(latest);
        }
        if (!rendered)
            return false;
        const std::vector<std::uint8_t> bytes = encode_frame(work->frame, work->buffers);
        sink.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        sink.done();
        return true;
    });
}

// Reads "A,B" as two integers.
bool integer_pair(const std::string& text, long long& a, long long& b)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    char* end = nullptr;
    a = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str() + comma || comma == 0)
        return false;
    b = std::strtoll(text.c_str() + comma + 1, &end, 10);
    return end == text.c_str() + text.size() && comma + 1 < text.size() && a > -1000000 && a < 1000000 &&
           b > -1000000 && b < 1000000;
}

// GET /view: a view moved by a drag or by wheel notches about a point.
void get_view(server_state& s, const httplib::Request& req, httplib::Response& res)
{
    query_pairs pairs;
    query_pairs view_pairs;
    std::string message;
    if (!split_query(raw_query(req), pairs, message))
        return refuse(res, 400, message);
    std::optional<std::string> drag;
    std::optional<std::string> zoom;
    std::optional<std::string> at;
    for (const auto& pair : pairs) {
        std::optional<std::string>* move = pair.first == "drag"   ? &drag
                                           : pair.first == "zoom" ? &zoom
                                           : pair.first == "at"   ? &at
                                                                  : nullptr;
        if (move && *move)
            return refuse(res, 400, "the key '" + pair.first + "' is given twice");
        if (move)
            *move = pair.second;
        else
            view_pairs.push_back(pair);
    }
    render_options options;
    if (!read_image_query(view_pairs, s.base, options, message))
        return refuse(res, 400, message);
    render_view view = options.view;
    const std::int32_t scale = std::min(options.width, options.height);
    long long dx = 0;
    long long dy = 0;
    if (drag && !zoom && !at && integer_pair(*drag, dx, dy)) {
        // The content moved (dx, dy) pixels, y down: the centre the other way.
        view.center_x.text = *decimal_moved(view.center_x.text, view.radius.text, -2 * dx, scale);
        view.center_y.text = *decimal_moved(view.center_y.text, view.radius.text, 2 * dy, scale);
    } else if (zoom && at && !drag && integer_pair(*at, dx, dy)) {
        char* end = nullptr;
        const long notches = std::strtol(zoom->c_str(), &end, 10);
        if (zoom->empty() || end != zoom->c_str() + zoom->size() || notches < -64 || notches > 64)
            return refuse(res, 400, "zoom '" + shown(*zoom) + "' is not a number of notches from -64 to 64");
        // The point under (dx, dy), y down from the top, stays where it is:
        // c' = c + u r / S - u r' / S, u its offset in half pixels.
        const std::string radius = *decimal_scaled(view.radius.text, static_cast<int>(-notches));
        const long long ux = 2 * dx - options.width;
        const long long uy = options.height - 2 * dy;
        view.center_x.text =
            *decimal_moved(*decimal_moved(view.center_x.text, view.radius.text, ux, scale), radius, -ux, scale);
        view.center_y.text =
            *decimal_moved(*decimal_moved(view.center_y.text, view.radius.text, uy, scale), radius, -uy, scale);
        view.radius.text = radius;
    } else {
        return refuse(res, 400,
                      "a move is drag=DX,DY, or zoom=N with at=X,Y, in whole pixels of the image the view has");
    }
    // The moved view as the flags read it: refused as they would refuse it.
    render_options moved;
    const query_pairs moved_pairs = {
        {"center-x", view.center_x.text}, {"center-y", view.center_y.text}, {"radius", view.radius.text}};
    if (!read_image_query(moved_pairs, s.base, moved, message))
        return refuse(res, 400, message);
    view.center_x = moved.view.center_x;
    view.center_y = moved.view.center_y;
    view.radius = moved.view.radius;
    res.set_header("Cache-Control", "no-store");
    res.set_content(view_query(view), "text/plain; charset=utf-8");
}

void get_location(server_state& s, const httplib::Request& req, httplib::Response& res)
{
    query_pairs pairs;
    render_options options;
    std::string message;
    if (!split_query(raw_query(req), pairs, message) || !read_image_query(pairs, s.base, options, message))
        return refuse(res, 400, message);
    res.set_header("Content-Disposition", "attachment; filename=\"view.kfr\"");
    res.set_content(kfr_location_text(options.view), "text/plain; charset=utf-8");
}

// Serves one of the built-in files.
void get_file(std::string_view name, const char* type, httplib::Response& res)
{
    for (const embedded_file& file : embedded_files()) {
        if (file.name == name) {
            res.set_header("Content-Security-Policy", "default-src 'self'");
            res.set_content(std::string(file.bytes), type);
            return;
        }
    }
    refuse(res, 404, "not found");
}

// Refuses what no route may see: another method, another host, a long query.
httplib::Server::HandlerResponse screen(const server_state& s, const httplib::Request& req, httplib::Response& res)
{
    if (req.method != "GET" && req.method != "HEAD") {
        res.set_header("Allow", "GET, HEAD");
        refuse(res, 405, "only GET and HEAD are served");
    } else if (req.get_header_value("Host") != s.host) {
        // Another site's page that renamed a host to this address would send its own name.
        refuse(res, 403,
               "the Host header '" + shown(req.get_header_value("Host")) + "' is not this server's " + s.host);
    } else if (raw_query(req).size() > LONGEST_QUERY) {
        refuse(res, 414, "the query is longer than 512 KiB");
    } else {
        return httplib::Server::HandlerResponse::Unhandled;
    }
    return httplib::Server::HandlerResponse::Handled;
}

httplib::Server* running = nullptr;

#ifdef _WIN32
BOOL WINAPI on_console_event(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (running)
        running->stop();
    return TRUE;
}
#endif

}  // namespace

int serve(const render_options& options, std::uint64_t memory_budget, int workers)
{
#ifndef _WIN32
    // The signals wait for one thread of their own, so no server thread is
    // ever interrupted by them: blocked here, before any thread starts.
    sigset_t stopping;
    sigemptyset(&stopping);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopping, signal);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    signal(SIGPIPE, SIG_IGN);
#endif
    server_state s;
    s.base = options;
    s.base.workers = workers;
    s.budget = memory_budget;
    httplib::Server server;
    const bool any_port = options.serve_port == 0;
    const int port = any_port ? server.bind_to_any_port(options.serve_host)
                              : (server.bind_to_port(options.serve_host, options.serve_port) ? options.serve_port : -1);
    if (port <= 0) {
        std::fprintf(stderr, "quellarin-render: --serve cannot listen on %s:%d\n", options.serve_host.c_str(),
                     options.serve_port);
        return 2;
    }
    const bool v6 = options.serve_host.find(':') != std::string::npos;
    s.host = (v6 ? "[" + options.serve_host + "]" : options.serve_host) + ":" + std::to_string(port);
    server.set_pre_routing_handler(
        [&s](const httplib::Request& req, httplib::Response& res) { return screen(s, req, res); });
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        get_file("index.html", "text/html; charset=utf-8", res);
    });
    server.Get("/explorer.js", [](const httplib::Request&, httplib::Response& res) {
        get_file("explorer.js", "text/javascript; charset=utf-8", res);
    });
    server.Get("/explorer.css", [](const httplib::Request&, httplib::Response& res) {
        get_file("explorer.css", "text/css; charset=utf-8", res);
    });
    server.Get("/image", [&s](const httplib::Request& req, httplib::Response& res) { get_image(s, req, res); });
    server.Get("/view", [&s](const httplib::Request& req, httplib::Response& res) { get_view(s, req, res); });
    server.Get("/location.kfr",
               [&s](const httplib::Request& req, httplib::Response& res) { get_location(s, req, res); });
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty())
            refuse(res, res.status, res.status == 404 ? "not found" : "refused");
    });
    server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
        std::fprintf(stderr, "%s %s %d\n", req.method.c_str(), shown(req.target).c_str(), res.status);
    });
    std::printf("serving http://%s/\n", s.host.c_str());
    std::fflush(stdout);
    running = &server;
#ifdef _WIN32
    SetConsoleCtrlHandler(on_console_event, TRUE);
    server.listen_after_bind();
#else
    std::thread waiter([&] {
        int signal = 0;
        sigwait(&stopping, &signal);
        server.stop();
    });
    server.listen_after_bind();
    // Ended by a signal, the waiter has returned; ended otherwise, wake it.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
#endif
    running = nullptr;
    return 0;
}
