// Encodes the 640 x 640 image buffer as a file and writes it safely.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A 24-bit bottom-up BMP whose pixel array is the buffer byte for byte
// (rows of width * 3 bytes, which must be a multiple of 4).
std::vector<std::uint8_t> encode_bmp(const std::uint8_t* pixels, int width, int height);

// A PNG, top row first, in red-green-blue order.
std::vector<std::uint8_t> encode_png(const std::uint8_t* pixels, int width, int height);

// A file being written beside its destination, renamed into place only
// when every byte is on disk, so no reader ever sees a half-written image.
class staged_file {
public:
    explicit staged_file(std::string destination);
    ~staged_file();  // removes the staging file unless committed
    staged_file(const staged_file&) = delete;
    staged_file& operator=(const staged_file&) = delete;

    // False when the staging file cannot be created.
    bool open();
    // Writes the bytes and renames the staging file onto the destination.
    bool commit(const std::vector<std::uint8_t>& bytes);

private:
    std::string destination_;
    std::string staging_;
    bool opened_ = false;
    bool committed_ = false;
};
