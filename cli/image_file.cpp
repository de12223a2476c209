#include "image_file.h"

#include "interruption.h"

#include <cerrno>
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
bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to)
{
#ifdef _WIN32
    // The C runtime's rename under std::filesystem will not replace an
    // existing file on Windows; MoveFileExW does, atomically on one volume.
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
#endif
}

// Creates a file that must not exist yet, open for writing; null on failure.
std::FILE* create_new(const std::filesystem::path& path)
{
#ifdef _WIN32
    // msvcrt's fopen knows no "x" mode; create the file exclusively by hand.
    const int fd = _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file)
        _close(fd);
    return file;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

}  // namespace

std::vector<std::uint8_t> encode_bmp(const std::uint8_t* pixels, int width, int height)
{
    constexpr std::uint32_t headers = 14 + 40;
    // The format pads every row to a multiple of 4 bytes; the buffer packs them.
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    const std::size_t padded_row = (row + 3) & ~std::size_t{3};
    const std::uint32_t image_size = static_cast<std::uint32_t>(padded_row * static_cast<std::size_t>(height));
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
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = pixels + row * static_cast<std::size_t>(y);
        out.insert(out.end(), source, source + row);
        out.insert(out.end(), padded_row - row, 0);
    }
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

bool read_file(const std::filesystem::path& path, std::size_t limit, std::vector<std::uint8_t>& bytes)
{
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"rb");
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
    if (!file)
        return false;
    bytes.clear();
    std::uint8_t block[65536];
    std::size_t got = 0;
    while (bytes.size() <= limit && (got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + got);
    const bool whole = !std::ferror(file) && bytes.size() <= limit;
    std::fclose(file);
    return whole;
}

bool write_raw(std::FILE* file, const std::uint8_t* pixels, int width, int height)
{
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y) {
        if (std::fwrite(pixels + row * static_cast<std::size_t>(y), 1, row, file) != row)
            return false;
    }
    return std::fflush(file) == 0;
}

staged_file::staged_file(std::filesystem::path destination) : destination_(std::move(destination)) {}

staged_file::~staged_file()
{
    const staging_guard hold;
    if (file_)
        std::fclose(file_);
    if (claimed_ && !committed_) {
        std::error_code ignored;
        std::filesystem::remove(staging_, ignored);
    }
    if (claimed_)
        forget_staging_file();
}

bool staged_file::open()
{
    // A random name keeps two renders into one folder apart; a few tries
    // get past a name that happens to be taken.
    std::random_device entropy;
    for (int attempt = 0; attempt < 8; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "quellarin-%08x.part", static_cast<unsigned>(entropy()));
        staging_ = destination_.parent_path() / name;
        // The guard keeps the handler out until the file is watched.
        const staging_guard hold;
        errno = 0;
        file_ = create_new(staging_);
        if (file_) {
            watch_staging_file(staging_, file_);
            claimed_ = true;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool staged_file::commit(const std::vector<std::uint8_t>& bytes)
{
    if (!file_)
        return false;
    const staging_guard hold;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    // Windows renames no open file, so it is closed first.
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    staging_file_closed();
    if (!written || !closed || !replace_file(staging_, destination_))
        return false;
    committed_ = true;
    return true;
}
