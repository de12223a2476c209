// Encodes the image buffer as a file and writes it safely.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

// A 24-bit bottom-up BMP whose pixel array is the buffer's rows, each padded
// to a multiple of 4 bytes (so byte for byte the buffer when width * 3 is).
std::vector<std::uint8_t> encode_bmp(const std::uint8_t* pixels, int width, int height);

// A PNG, top row first, in red-green-blue order.
std::vector<std::uint8_t> encode_png(const std::uint8_t* pixels, int width, int height);

// Reads a whole file of at most limit bytes; false when it cannot be read
// or is longer.
bool read_file(const std::filesystem::path& path, std::size_t limit, std::vector<std::uint8_t>& bytes);

// Writes the buffer's rows top first, blue-green-red, with no header.
bool write_raw(std::FILE* file, const std::uint8_t* pixels, int width, int height);

// A file being written beside its destination, renamed into place only
// when every byte is written, so no reader ever sees a half-written image.
// The staging file has a short name of its own in the destination's folder,
// so any name the folder can hold can be a destination.
class staged_file {
public:
    explicit staged_file(std::filesystem::path destination);
    ~staged_file();  // removes the staging file unless committed
    staged_file(const staged_file&) = delete;
    staged_file& operator=(const staged_file&) = delete;

    // Creates the staging file, which stays open until the commit; false
    // when it cannot be created.
    bool open();
    // Writes the bytes and renames the staging file onto the destination.
    bool commit(const std::vector<std::uint8_t>& bytes);

private:
    std::filesystem::path destination_;
    std::filesystem::path staging_;
    std::FILE* file_ = nullptr;
    bool claimed_ = false;
    bool committed_ = false;
};
