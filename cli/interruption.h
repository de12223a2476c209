// What an interrupted render leaves behind: nothing half-written. Ctrl-C,
// SIGTERM and a closed terminal (SIGHUP) on POSIX, and Ctrl-C, Ctrl-Break
// and a closed console on Windows, remove the staging file of the image
// being written and end the program; every finished file is already under
// its final name, since files are renamed into place whole.
#pragma once

#include <cstdio>
#include <filesystem>

#ifndef _WIN32
#include <signal.h>
#endif

// Installs the handlers; once, before the first file is staged.
void install_interruption_handlers();

// The staging file the handlers remove: set once it has been created (not
// before: the name might be another render's, which the exclusive create
// refuses), cleared once it has been renamed or removed. One at a time.
void watch_staging_file(const std::filesystem::path& staging, std::FILE* file);
// Its stream has been closed: the Windows handler must not close it again.
void staging_file_closed();
void forget_staging_file();

// Holds off the handlers while the staging file is created and watched,
// written, closed and renamed, so that no interruption falls between the
// file's creation and its watch and leaves it behind. On Windows, where the
// handler runs beside the program, by a lock; on POSIX by blocking the
// signals in the calling thread, which a signal then waits for (no other
// thread runs while a file is claimed or committed but the progress line's,
// which never takes them).
class staging_guard {
public:
    staging_guard();
    ~staging_guard();
    staging_guard(const staging_guard&) = delete;
    staging_guard& operator=(const staging_guard&) = delete;

private:
#ifndef _WIN32
    sigset_t previous_;  // the thread's signal mask before
#endif
};

// Makes the calling thread one that never takes the handlers' signals.
void refuse_interruptions_here();
