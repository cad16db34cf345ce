// The program's own picture format (written by resources/art/src/pack_picture.py): rows of
// run-length coded pixels, lossless. The window's background is mostly plain rows, so it
// takes a few kilobytes and needs no image decoder, no COM and no codec DLLs to show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace talvex {

// Top-down rows of 32-bit pixels, 0xAARRGGBB (blue first in memory, as a 32-bit DIB wants).
struct Picture32 {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The picture in `data`, or nothing when the data is not a whole, well-formed packed
// picture (every read is checked against `size`, and nothing is allocated for such data).
std::optional<Picture32> UnpackPicture(const std::uint8_t* data, std::size_t size);

// The picture resampled to `width` x `height` by area averaging: each new pixel is the
// mean of the part of the picture it covers, so lettering and thin lines keep their weight
// at any scale.
Picture32 ScalePicture(const Picture32& from, int width, int height);

}  // namespace talvex
