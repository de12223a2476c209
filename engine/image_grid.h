// Where an image's pixels lie, apart from any view: its size, the scales
// its sides are divided by, and the band of a taller image it may be.
//
// Column x samples re = ((2x - W) r) / column_scale + center_x and memory
// row i samples im = ((2 (first_row + i) - H) r) / row_scale + center_y, H
// the whole image's height; the integers 2x - W and 2 (first_row + i) - H
// are formed first, then converted: the order of the operations is part of
// the definition of the image.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <utility>

struct image_grid {
    std::int32_t width = 0;  // of the pixels one render fills
    std::int32_t height = 0;
    std::int32_t column_scale = 1;
    std::int32_t row_scale = 1;
    std::int32_t first_row = 0;     // of the whole image, where this band starts
    std::int32_t whole_height = 0;  // the whole image's height; 0: the image is whole

    std::int32_t full_height() const { return whole_height != 0 ? whole_height : height; }
};

// The viewer's grid: each side divided by its own length.
inline image_grid viewer_grid(std::int32_t width, std::int32_t height) { return {width, height, width, height}; }

// The command line's: the shorter side spans twice the radius.
inline image_grid equal_scales_grid(std::int32_t width, std::int32_t height)
{
    const std::int32_t scale = std::min(width, height);
    return {width, height, scale, scale};
}

// Rows first .. first + rows - 1 of the image whole, each sampled where whole samples it.
inline image_grid band_of(const image_grid& whole, std::int32_t first, std::int32_t rows)
{
    return {whole.width, rows, whole.column_scale, whole.row_scale, whole.first_row + first, whole.full_height()};
}

// 2x - W and 2 (first_row + i) - H: the pixel's offset from the centre in
// half pixels of the scale, exact in integers.
inline std::int32_t column_offset(const image_grid& grid, std::int32_t x) { return 2 * x - grid.width; }
inline std::int32_t row_offset(const image_grid& grid, std::int32_t i)
{
    return 2 * (i + grid.first_row) - grid.full_height();
}

// The pixels of worker k of `workers`: every row from the bottom, and in
// each the columns k, k + workers, k + 2 workers, ...; none more once stop
// is requested, so that a render whose result is no longer wanted ends
// within a pixel of each worker.
class worker_pixels {
public:
    worker_pixels(const image_grid& grid, int workers, int k, std::stop_token stop = {})
        : width_(grid.width), height_(grid.height), workers_(workers), first_x_(k), x_(k),
          row_(grid.width > k ? 0 : grid.height), stop_(std::move(stop))
    {}

    // The next pixel; false when the worker has no more.
    bool next(std::int32_t& x, std::int32_t& i)
    {
        if (row_ >= height_ || stop_.stop_requested())
            return false;
        x = x_;
        i = row_;
        x_ += workers_;
        if (x_ >= width_) {
            x_ = first_x_;
            ++row_;
        }
        return true;
    }

private:
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t workers_;
    std::int32_t first_x_;
    std::int32_t x_;
    std::int32_t row_;
    std::stop_token stop_;
};

// Index of pixel (x, i) in a buffer of one entry per pixel, memory row by memory row.
inline std::size_t pixel_index(const image_grid& grid, std::int32_t x, std::int32_t i)
{
    return static_cast<std::size_t>(x) + static_cast<std::size_t>(grid.width) * static_cast<std::size_t>(i);
}
