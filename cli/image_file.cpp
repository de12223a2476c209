#include "image_file.h"

#include <cstdio>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#endif

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

void put_le(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int b = 0; b < bytes; ++b)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
}

void append_bytes(void* context, void* data, int size)
{
    auto& out = *static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// Renames from onto to in one step, replacing a file already there.
bool replace_file(const std::string& from, const std::string& to)
{
#ifdef _WIN32
    // The C runtime's rename under std::filesystem will not replace an
    // existing file on Windows; MoveFileExW does, atomically on one volume.
    return MoveFileExW(std::filesystem::path(from).wstring().c_str(), std::filesystem::path(to).wstring().c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
#endif
}

}  // namespace

std::vector<std::uint8_t> encode_bmp(const std::uint8_t* pixels, int width, int height)
{
    constexpr std::uint32_t headers = 14 + 40;
    const std::uint32_t image_size = static_cast<std::uint32_t>(width) * 3 * static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> out;
    out.reserve(headers + image_size);
    out.push_back('B');
    out.push_back('M');
    put_le(out, headers + image_size, 4);
    put_le(out, 0, 4);  // reserved
    put_le(out, headers, 4);
    put_le(out, 40, 4);  // the same 40-byte header the program's bitmap uses
    put_le(out, static_cast<std::uint32_t>(width), 4);
    put_le(out, static_cast<std::uint32_t>(height), 4);  // positive: bottom-up
    put_le(out, 1, 2);   // planes
    put_le(out, 24, 2);  // bits per pixel
    put_le(out, 0, 4);   // no compression
    put_le(out, image_size, 4);
    put_le(out, 0, 4);
    put_le(out, 0, 4);
    put_le(out, 0, 4);
    put_le(out, 0, 4);
    out.insert(out.end(), pixels, pixels + image_size);
    return out;
}

std::vector<std::uint8_t> encode_png(const std::uint8_t* pixels, int width, int height)
{
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> rgb(row * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = pixels + row * static_cast<std::size_t>(height - 1 - y);
        std::uint8_t* target = rgb.data() + row * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) {
            target[3 * x] = source[3 * x + 2];
            target[3 * x + 1] = source[3 * x + 1];
            target[3 * x + 2] = source[3 * x];
        }
    }
    std::vector<std::uint8_t> out;
    stbi_write_png_to_func(append_bytes, &out, width, height, 3, rgb.data(), static_cast<int>(row));
    return out;
}

staged_file::staged_file(std::string destination) : destination_(std::move(destination)) {}

staged_file::~staged_file()
{
    if (opened_ && !committed_)
        std::remove(staging_.c_str());
}

bool staged_file::open()
{
    // A random suffix keeps two renders into one folder apart.
    std::random_device entropy;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.part", static_cast<unsigned>(entropy()));
    staging_ = destination_ + suffix;
#ifdef _WIN32
    // msvcrt's fopen knows no "x" mode; create the file exclusively by hand.
    const int fd = _wopen(std::filesystem::path(staging_).wstring().c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return false;
    _close(fd);
#else
    std::FILE* file = std::fopen(staging_.c_str(), "wbx");
    if (!file)
        return false;
    std::fclose(file);
#endif
    opened_ = true;
    return true;
}

bool staged_file::commit(const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(staging_.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        return false;
    if (!replace_file(staging_, destination_))
        return false;
    committed_ = true;
    return true;
}
