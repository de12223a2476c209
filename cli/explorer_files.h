// The explorer's page, script and style sheet, built into the program
// (cmake/embed_files.cmake makes their source from cli/explorer/), so that
// serving them never reads a file.
#pragma once

#include <span>
#include <string_view>

struct embedded_file {
    std::string_view name;  // e.g. "explorer.js"
    std::string_view bytes;
};

std::span<const embedded_file> embedded_files();
