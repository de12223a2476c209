#include "png_view.h"

#include "decimal_number.h"
#include "render_flags.h"

#include <array>
#include <cstring>
#include <iterator>

namespace {

constexpr std::uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t HEADER_END = 8 + 12 + 13;  // the signature and the IHDR chunk

// The PNG chunk checksum (CRC-32, reflected polynomial 0xEDB88320).
std::uint32_t crc32(const std::uint8_t* data, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t read_be(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void put_be(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace

std::vector<std::uint8_t> with_view_text(const std::vector<std::uint8_t>& png, std::string_view text)
{
    const std::string chunk = "tEXt" + std::string(VIEW_KEYWORD) + '\0' + std::string(text);
    std::vector<std::uint8_t> out;
    out.reserve(png.size() + chunk.size() + 8);
    out.assign(png.begin(), png.begin() + HEADER_END);
    put_be(out, static_cast<std::uint32_t>(chunk.size() - 4));
    out.insert(out.end(), chunk.begin(), chunk.end());
    put_be(out, crc32(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()));
    out.insert(out.end(), png.begin() + HEADER_END, png.end());
    return out;
}

bool read_view_text(const std::uint8_t* data, std::size_t size, std::string& text, std::string& message)
{
    if (size < 8 || std::memcmp(data, SIGNATURE, 8) != 0) {
        message = "it is not a PNG file";
        return false;
    }
    bool found = false;
    for (std::size_t at = 8;;) {
        // Sizes are compared as remaining bytes, so no sum can overflow.
        if (size - at < 12 || read_be(data + at) > size - at - 12) {
            message = "it is cut short";
            return false;
        }
        const std::size_t length = read_be(data + at);
        const std::uint8_t* type = data + at + 4;
        if (crc32(type, length + 4) != read_be(type + 4 + length)) {
            message = "a chunk's checksum is wrong";
            return false;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
        const std::string_view body(reinterpret_cast<const char*>(type + 4), length);
        if (std::memcmp(type, "tEXt", 4) == 0 && body.size() > VIEW_KEYWORD.size() &&
            body.substr(0, VIEW_KEYWORD.size()) == VIEW_KEYWORD && body[VIEW_KEYWORD.size()] == '\0') {
            if (found) {
                message = "it holds two views";
                return false;
            }
            text = body.substr(VIEW_KEYWORD.size() + 1);
            found = true;
        }
        at += 12 + length;
    }
    if (!found)
        message = "it holds no view (only PNG files this program wrote do)";
    return found;
}

bool parse_view_text(std::string_view text, render_options& options, std::string& message)
{
    // Each key is the flag of the same name; version is any text.
    constexpr std::string_view keys[] = {"center-x", "center-y", "radius",  "iterations", "figure",
                                         "palette",  "size",     "version", "method"};
    constexpr unsigned VERSION_BIT = 1u << 7;
    constexpr unsigned METHOD_BIT = 1u << 8;
    constexpr unsigned all_keys = (1u << std::size(keys)) - 1 - METHOD_BIT;
    unsigned seen = 0;
    render_options read = options;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t equals = line.find('=');
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = equals == std::string_view::npos ? "" : line.substr(equals + 1);
        unsigned bit = 0;
        for (std::size_t k = 0; k < std::size(keys); ++k) {
            if (key == keys[k])
                bit = 1u << k;
        }
        if (bit == 0 || (seen & bit) || equals == std::string_view::npos ||
            (bit != VERSION_BIT && !apply_flag(*find_flag("--" + std::string(key)), value, read))) {
            message = "its view has a bad line '" + printable(line.substr(0, 80)) + "'";
            return false;
        }
        seen |= bit;
    }
    if ((seen & ~METHOD_BIT) != all_keys) {
        message = "its view lacks a line";
        return false;
    }
    options.view = read.view;
    options.width = read.width;
    options.height = read.height;
    if (seen & METHOD_BIT)
        options.method = read.method;
    return true;
}

std::string format_view_text(const render_options& options, bool perturbation, std::string_view version)
{
    // The text as given, or the shortest text that reads back as the same double.
    const auto number = [perturbation](const decimal& d) { return perturbation ? d.text : shortest_text(d.value); };
    const render_view& v = options.view;
    std::string text = "center-x=" + number(v.center_x) + "\ncenter-y=" + number(v.center_y) +
                       "\nradius=" + number(v.radius) + "\niterations=" + std::to_string(v.max_iterations) +
                       "\nfigure=" + std::to_string(v.figure_index) + "\npalette=" + std::to_string(v.palette_index) +
                       "\nsize=" + std::to_string(options.width) + "x" + std::to_string(options.height) +
                       "\nversion=" + std::string(version);
    if (options.method != render_method::automatic)
        text += options.method == render_method::exact ? "\nmethod=exact" : "\nmethod=perturbation";
    return text;
}
