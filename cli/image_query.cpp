#include "image_query.h"

#include "command_line.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view PROGRAM = "quellarin-render: ";

constexpr std::array<std::string_view, 11> IMAGE_KEYS = {"center-x", "center-y", "radius", "iterations",
                                                         "figure",   "palette",  "size",   "samples",
                                                         "smooth",   "method",   "format"};

int hex_digit(char c)
{
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

bool decode(std::string_view text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] != '%') {
            out += text[i];
        } else {
            if (i + 2 >= text.size())
                return false;
            const int high = hex_digit(text[i + 1]);
            const int low = hex_digit(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return true;
}

// Unreserved characters stay, every other byte is %XX: a decimal's digits,
// sign, point and exponent read as they are.
std::string encode(std::string_view text)
{
    constexpr char HEX[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += HEX[u >> 4];
            out += HEX[u & 15];
        }
    }
    return out;
}

}  // namespace

bool split_query(std::string_view query, query_pairs& pairs, std::string& message)
{
    pairs.clear();
    while (!query.empty()) {
        const std::size_t end = std::min(query.find('&'), query.size());
        const std::string_view part = query.substr(0, end);
        query.remove_prefix(std::min(end + 1, query.size()));
        if (part.empty())
            continue;
        const std::size_t equals = std::min(part.find('='), part.size());
        std::string key;
        std::string value;
        if (!decode(part.substr(0, equals), key) || !decode(part.substr(std::min(equals + 1, part.size())), value)) {
            message = "the query's part '" + printable(std::string(part.substr(0, 80))) + "' has a bad % escape";
            return false;
        }
        pairs.emplace_back(std::move(key), std::move(value));
    }
    return true;
}

bool is_image_key(std::string_view key)
{
    return std::find(IMAGE_KEYS.begin(), IMAGE_KEYS.end(), key) != IMAGE_KEYS.end();
}

bool read_image_query(const query_pairs& pairs, const render_options& base, render_options& options,
                      std::string& message)
{
    std::vector<std::string> args{"quellarin-render"};
    std::string format = "png";
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        const auto& [key, value] = pairs[p];
        if (!is_image_key(key)) {
            message = "unknown key '" + printable(key.substr(0, 80)) +
                      "': an image takes center-x, center-y, radius, iterations, figure, palette, size, samples, "
                      "smooth, method and format";
            return false;
        }
        for (std::size_t q = 0; q < p; ++q) {
            if (pairs[q].first == key) {
                message = "the key '" + key + "' is given twice";
                return false;
            }
        }
        if (key == "format") {
            if (value != "png" && value != "bmp" && value != "npy") {
                message = "format '" + printable(value.substr(0, 80)) + "' is not png, bmp or npy";
                return false;
            }
            format = value;
        } else if (key == "smooth") {
            args.emplace_back("--smooth");
        } else {
            args.push_back("--" + key);
            args.push_back(value);
        }
    }
    args.emplace_back("--output");
    args.push_back("image." + format);
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    options = base;
    options.serve_port = -1;  // an image, not another server
    if (parse_render_options(static_cast<int>(argv.size()), argv.data(), options, message) != parse_outcome::render) {
        if (message.rfind(PROGRAM, 0) == 0)
            message.erase(0, PROGRAM.size());
        return false;
    }
    if (options.width > base.serve_max_width || options.height > base.serve_max_height) {
        message = "size '" + std::to_string(options.width) + "x" + std::to_string(options.height) +
                  "' is larger than this server renders, " + std::to_string(base.serve_max_width) + "x" +
                  std::to_string(base.serve_max_height) + " (--serve-max-size)";
        return false;
    }
    return true;
}

std::string view_query(const render_view& view)
{
    return "center-x=" + encode(view.center_x.text) + "&center-y=" + encode(view.center_y.text) +
           "&radius=" + encode(view.radius.text) + "&iterations=" + std::to_string(view.max_iterations) +
           "&figure=" + std::to_string(view.figure_index) + "&palette=" + std::to_string(view.palette_index);
}
