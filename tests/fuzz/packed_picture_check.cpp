// The packed-picture decoder on random and cut-short data, against a plain decoder that
// grows the picture row by row as it reads.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "picture/packed_picture.h"
#include "tests/core/failing_allocations.h"
#include "tests/fuzz/checks.h"

namespace talvex::fuzzing {
namespace {

// The format as the packer writes it: "TPK1", width and height (16 bits, low byte first,
// neither 0), then each row: 0, the row above again; or 1 and runs until the row is full,
// each run a byte c and then c + 1 literal pixels (c < 128) or one pixel c - 126 times, a
// pixel being red, green, blue. Nothing may follow the last row.
class ReferenceDecoder {
  public:
    ReferenceDecoder(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::optional<Picture32> Decode() {
        if (!Magic()) return std::nullopt;
        Picture32 picture;
        picture.width = Byte() | Byte() << 8;
        picture.height = Byte() | Byte() << 8;
        if (!ok_ || picture.width == 0 || picture.height == 0) return std::nullopt;
        std::vector<std::uint32_t> row;
        for (int y = 0; y < picture.height && ok_; ++y) {
            const int kind = Byte();
            if (kind == 0 && y > 0) {
                // The row above stays as it is.
            } else if (kind == 1) {
                row.clear();
                while (ok_ && row.size() < static_cast<std::size_t>(picture.width)) Run(row);
                ok_ = ok_ && row.size() == static_cast<std::size_t>(picture.width);
            } else {
                ok_ = false;
            }
            picture.pixels.insert(picture.pixels.end(), row.begin(), row.end());
        }
        if (!ok_ || at_ != size_) return std::nullopt;
        return picture;
    }

  private:
    bool Magic() { return Byte() == 'T' && Byte() == 'P' && Byte() == 'K' && Byte() == '1'; }
    int Byte() {
        if (at_ >= size_) {
            ok_ = false;
            return 0;
        }
        return data_[at_++];
    }
    std::uint32_t Pixel() {
        const std::uint32_t r = Byte(), g = Byte(), b = Byte();
        return 0xFF000000u | r << 16 | g << 8 | b;
    }
    void Run(std::vector<std::uint32_t>& row) {
        const int c = Byte();
        if (c < 128) {
            for (int i = 0; i <= c; ++i) row.push_back(Pixel());
        } else {
            row.insert(row.end(), static_cast<std::size_t>(c - 126), Pixel());
        }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// The picture, and the bytes the decoder asked for to make it.
struct Unpacked {
    std::optional<Picture32> picture;
    std::size_t allocated = 0;
};

Unpacked UnpackCounted(const std::uint8_t* data, std::size_t size) {
    using talvex::testing::bytesAllocated;
    const std::size_t before = bytesAllocated;
    Unpacked result;
    result.picture = UnpackPicture(data, size);
    result.allocated = bytesAllocated - before;
    return result;
}

std::size_t PixelBytes(const std::optional<Picture32>& p) {
    return p ? static_cast<std::size_t>(p->width) * static_cast<std::size_t>(p->height) * 4 : 0;
}

}  // namespace

std::string CheckPackedPicture(const std::uint8_t* data, std::size_t size) {
    const Unpacked got = UnpackCounted(data, size);
    const std::optional<Picture32> expected = ReferenceDecoder(data, size).Decode();
    if (got.picture.has_value() != expected.has_value())
        return got.picture ? "a damaged picture was taken" : "a whole picture was refused";
    // Memory for the pixels of a whole picture, and for nothing else.
    if (got.allocated > PixelBytes(got.picture))
        return "the decoder took " + std::to_string(got.allocated) + " bytes for " +
               (got.picture ? "a picture of " + std::to_string(PixelBytes(got.picture))
                            : std::string("data that holds no picture"));
    if (!got.picture) return {};
    const Picture32& picture = *got.picture;
    if (picture.width != expected->width || picture.height != expected->height ||
        picture.pixels != expected->pixels)
        return "the picture differs from the reference decoder's";
    // Cut short anywhere, it is refused without a byte taken.
    const std::size_t cut = size - 1 - data[size - 1] % (size - 8);
    if (const Unpacked shorter = UnpackCounted(data, cut); shorter.picture || shorter.allocated)
        return "the picture cut to " + std::to_string(cut) + " bytes was taken, or took " +
               std::to_string(shorter.allocated) + " bytes";
    // Scaled to its own size it stays as it is; to another, it keeps its size and stays opaque.
    // (A big picture only costs time here: the decoder is what this is about.)
    if (picture.pixels.size() > 65536) return {};
    if (ScalePicture(picture, picture.width, picture.height).pixels != picture.pixels)
        return "scaling to the same size changed the picture";
    const int width = 1 + data[size - 1] % 48;
    const int height = 1 + data[size - 2] % 48;
    const Picture32 scaled = ScalePicture(picture, width, height);
    if (scaled.width != width || scaled.height != height ||
        scaled.pixels.size() != static_cast<std::size_t>(width * height))
        return "the scaled picture is not of the size asked";
    for (std::uint32_t pixel : scaled.pixels)
        if (pixel >> 24 != 0xFF) return "scaling made an opaque picture see-through";
    return {};
}

}  // namespace talvex::fuzzing
