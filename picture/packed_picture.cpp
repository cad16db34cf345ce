#include "picture/packed_picture.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace talvex {
namespace {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t Pixel(const std::uint8_t* rgb) {
    return kOpaque | (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
}

// How one axis of `from` units maps onto `to` units: for each new unit, the first old unit
// it covers and the share of each covered old unit (the shares add up to one).
struct Span {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Span> Spans(int from, int to) {
    std::vector<Span> spans(static_cast<std::size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int d = 0; d < to; ++d) {
        const double start = d * step;
        const double end = std::min<double>(from, (d + 1) * step);
        Span& span = spans[static_cast<std::size_t>(d)];
        span.first = static_cast<int>(std::floor(start));
        for (int s = span.first; s < from && s < end; ++s) {
            const double covered = std::min<double>(end, s + 1) - std::max<double>(start, s);
            span.weights.push_back(static_cast<float>(covered / (end - start)));
        }
    }
    return spans;
}

using Channels = std::array<float, 4>;

Channels Unpack(std::uint32_t p) {
    return {static_cast<float>(p & 0xFF), static_cast<float>((p >> 8) & 0xFF),
            static_cast<float>((p >> 16) & 0xFF), static_cast<float>(p >> 24)};
}

std::uint32_t Pack(const Channels& c) {
    std::uint32_t p = 0;
    for (int i = 3; i >= 0; --i) {
        const long v = std::lround(c[static_cast<std::size_t>(i)]);
        p = (p << 8) | static_cast<std::uint32_t>(std::clamp(v, 0L, 255L));
    }
    return p;
}

// Walks the rows after the header, every run checked against the row's width and the bytes
// left. With `pixels` it writes them too; without, it only tells whether the rows are whole.
bool WalkRows(const std::uint8_t* data, std::size_t size, std::size_t width, std::size_t height,
              std::uint32_t* pixels) {
    std::size_t at = kHeaderBytes;
    for (std::size_t y = 0; y < height; ++y) {
        std::uint32_t* row = pixels != nullptr ? pixels + y * width : nullptr;
        if (at >= size) return false;
        const std::uint8_t kind = data[at++];
        if (kind == 0) {
            if (y == 0) return false;  // nothing above to repeat
            if (row != nullptr) std::copy(row - width, row, row);
            continue;
        }
        if (kind != 1) return false;
        std::size_t x = 0;
        while (x < width) {
            if (at >= size) return false;
            const std::uint8_t c = data[at++];
            const std::size_t count = c < 128 ? c + 1u : c - 126u;
            const std::size_t bytes = c < 128 ? 3 * count : 3;
            if (count > width - x || bytes > size - at) return false;
            if (row != nullptr && c < 128) {
                for (std::size_t i = 0; i < count; ++i) row[x + i] = Pixel(data + at + 3 * i);
            } else if (row != nullptr) {
                std::fill_n(row + x, count, Pixel(data + at));
            }
            x += count;
            at += bytes;
        }
    }
    return at == size;  // trailing bytes: not what the packer writes
}

}  // namespace

std::optional<Picture32> UnpackPicture(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < kHeaderBytes || data[0] != 'T' || data[1] != 'P' ||
        data[2] != 'K' || data[3] != '1')
        return std::nullopt;
    Picture32 picture;
    picture.width = data[4] | (data[5] << 8);
    picture.height = data[6] | (data[7] << 8);
    if (picture.width == 0 || picture.height == 0) return std::nullopt;
    const auto width = static_cast<std::size_t>(picture.width);
    const auto height = static_cast<std::size_t>(picture.height);
    // A damaged header may claim up to 65535 x 65535 pixels (17 GB) over a few bytes: the rows
    // are checked whole before any memory is taken for their pixels.
    if (!WalkRows(data, size, width, height, nullptr)) return std::nullopt;
    picture.pixels.resize(width * height);
    WalkRows(data, size, width, height, picture.pixels.data());
    return picture;
}

Picture32 ScalePicture(const Picture32& from, int width, int height) {
    Picture32 to;
    if (width <= 0 || height <= 0 || from.width <= 0 || from.height <= 0) return to;
    to.width = width;
    to.height = height;
    const std::vector<Span> across = Spans(from.width, width);
    const std::vector<Span> down = Spans(from.height, height);
    // Across first, into rows of the new width and the old height.
    std::vector<Channels> narrowed(static_cast<std::size_t>(width) *
                                   static_cast<std::size_t>(from.height));
    for (int y = 0; y < from.height; ++y) {
        const std::uint32_t* row = from.pixels.data() + static_cast<std::size_t>(y) * from.width;
        for (int x = 0; x < width; ++x) {
            const Span& span = across[static_cast<std::size_t>(x)];
            Channels sum{};
            for (std::size_t i = 0; i < span.weights.size(); ++i) {
                const Channels c = Unpack(row[static_cast<std::size_t>(span.first) + i]);
                for (std::size_t k = 0; k < 4; ++k) sum[k] += c[k] * span.weights[i];
            }
            narrowed[static_cast<std::size_t>(y) * width + x] = sum;
        }
    }
    to.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const Span& span = down[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            Channels sum{};
            for (std::size_t i = 0; i < span.weights.size(); ++i) {
                const Channels& c =
                    narrowed[(static_cast<std::size_t>(span.first) + i) * width + x];
                for (std::size_t k = 0; k < 4; ++k) sum[k] += c[k] * span.weights[i];
            }
            to.pixels[static_cast<std::size_t>(y) * width + x] = Pack(sum);
        }
    }
    return to;
}

}  // namespace talvex
