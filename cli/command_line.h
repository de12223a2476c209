// The command line of quellarin-render: its flags (render_flags.h) read
// into render_options, with the refusals and the usage text.
#pragma once

#include "render_options.h"

#include <functional>
#include <string>

// What the command line asks for: a render, the usage text, the version, the
// explorer's server (--serve), or nothing, being refused.
enum class parse_outcome { render, help, version, serve, error };

// Puts the view stored in the file named by argv[argument] into options;
// false, with a one-line message, when it has none or cannot be read.
using view_loader = std::function<bool(int argument, render_options& options, std::string& message)>;

// Reads argv[1..argc-1] into options; --from's file is read by load, and is
// refused when there is none. On error, message holds one line that names
// the flag and what it accepts.
parse_outcome parse_render_options(int argc, const char* const* argv, render_options& options, std::string& message,
                                   const view_loader& load = nullptr);

// The text --help prints.
std::string render_usage();
