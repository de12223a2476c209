#include "interruption.h"

#include <atomic>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#include <mutex>
#else
#include <pthread.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

#ifdef _WIN32

// Recursive: the staged file takes it around its own calls to the functions below.
std::recursive_mutex staging_lock;
std::wstring staging_name;  // guarded by staging_lock
std::FILE* staging_file = nullptr;

// Runs on a thread of its own. Closing the console gives the handler a few
// seconds before Windows ends the process anyway, enough for this.
BOOL WINAPI on_console_event(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    staging_lock.lock();  // held to the end: no file is staged after this
    if (staging_file)
        std::fclose(staging_file);
    if (!staging_name.empty())
        DeleteFileW(staging_name.c_str());
    // As a console program ended by Ctrl-C reports it. TerminateProcess, not
    // ExitProcess: the workers may hold the C runtime's locks that exit
    // handlers would wait for.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return TRUE;
}

#else

// The path as the handler reads it, on whichever thread the signal lands:
// written whole into the buffer not in use, then published by one atomic
// store, so the handler never reads a path half-copied.
constexpr std::size_t LONGEST_PATH = 4096;
char staging_names[2][LONGEST_PATH];
int next_buffer = 0;
std::atomic<const char*> staging_name{nullptr};

extern "C" void on_signal(int signal)
{
    // Only async-signal-safe calls: unlink, then the default action, so the
    // parent sees the program end by this signal.
    if (const char* name = staging_name.load())
        unlink(name);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

#endif

}  // namespace

void install_interruption_handlers()
{
#ifdef _WIN32
    SetConsoleCtrlHandler(on_console_event, TRUE);
#else
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the parent set to be ignored stays ignored: under nohup,
        // or a background job of a script, the render must go on.
        struct sigaction previous {};
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = on_signal;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
#endif
}

void watch_staging_file(const std::filesystem::path& staging, std::FILE* file)
{
#ifdef _WIN32
    const std::lock_guard<std::recursive_mutex> hold(staging_lock);
    staging_name = staging.native();
    staging_file = file;
#else
    (void)file;
    const std::string& name = staging.native();
    if (name.size() >= LONGEST_PATH) {
        staging_name.store(nullptr);
        return;
    }
    char* buffer = staging_names[next_buffer];
    next_buffer = 1 - next_buffer;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    staging_name.store(buffer);
#endif
}

void staging_file_closed()
{
#ifdef _WIN32
    const std::lock_guard<std::recursive_mutex> hold(staging_lock);
    staging_file = nullptr;
#endif
}

void forget_staging_file()
{
#ifdef _WIN32
    const std::lock_guard<std::recursive_mutex> hold(staging_lock);
    staging_name.clear();
    staging_file = nullptr;
#else
    staging_name.store(nullptr);
#endif
}

#ifdef _WIN32
staging_guard::staging_guard() { staging_lock.lock(); }
staging_guard::~staging_guard() { staging_lock.unlock(); }
void refuse_interruptions_here() {}
#else
namespace {

sigset_t handled_signals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

}  // namespace

staging_guard::staging_guard()
{
    const sigset_t set = handled_signals();
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

staging_guard::~staging_guard() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void refuse_interruptions_here()
{
    const sigset_t set = handled_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}
#endif
