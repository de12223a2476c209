// The flags of quellarin-render, one row each: its name, the value it takes,
// the field it sets and its help. Parsing, refusals, --help and the fuzzer
// all read this one table.
#pragma once

#include "render_options.h"
#include "view_limits.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// What a flag's value is, and so how it is read and what it accepts.
enum class flag_kind {
    center,       // a finite decimal number, into number
    radius,       // a positive decimal number up to 4, into number
    method,       // auto, exact or perturbation
    integer,      // an integer of range, into integer
    bytes,        // a number of bytes, K, M or G after it for 2^10, 2^20, 2^30
    size,         // WxH, into width and height
    frame_range,  // FIRST:LAST, into first_frame and last_frame
    output,       // a .bmp or .png file name, or -
    view_file,    // a PNG or location file whose view is read by the caller's loader
    address,      // [HOST:]PORT, into serve_host and serve_port
    max_size,     // WxH, into serve_max_width and serve_max_height
    toggle,       // no value; sets its flag
    help,         // no value; the usage text instead of a render
    version,      // no value; the version instead of a render
};

struct render_flag {
    std::string_view name;
    std::string_view value_name;  // empty for a flag without a value
    flag_kind kind;
    std::string_view help;
    integer_range range = {};
    std::int32_t& (*integer)(render_options&) = nullptr;
    decimal& (*number)(render_options&) = nullptr;
    bool& (*toggle)(render_options&) = nullptr;
};

// Every flag, in the order --help lists them.
std::span<const render_flag> render_flags();

// The row of a flag, or null when there is no such flag.
const render_flag* find_flag(std::string_view name);

// The radii the exact method renders, "1e-14 < r <= 4".
std::string exact_radius_range();

// What the flag's value must be, as refusals and --help say it.
std::string flag_accepts(const render_flag& flag);

// Reads a value of the flag into options; false, options unchanged, when the
// value is not one the flag accepts. Not for view_file and flags without value.
bool apply_flag(const render_flag& flag, std::string_view value, render_options& options);
