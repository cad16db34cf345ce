// The packed picture format the window's background is stored in, and its resampling.
#include "picture/packed_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "tests/core/failing_allocations.h"

namespace talvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 3 x 3: a coded row (one literal red pixel, then a run of two blue), the same row again,
// then a run of three white.
const Bytes kSample = {'T', 'P', 'K', '1', 3,  0, 3, 0,  // header
                       1,   0,   255, 0,   0,            // row 0: literal red
                       128, 0,   0,   255,               // run of 2 blue
                       0,                                // row 1: as row 0
                       1,   129, 255, 255, 255};         // row 2: run of 3 white

std::optional<Picture32> Unpack(const Bytes& b) { return UnpackPicture(b.data(), b.size()); }

TEST(PackedPictureTest, LiteralsRunsAndRepeatedRowsGiveOpaqueBlueFirstPixels) {
    const auto picture = Unpack(kSample);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 3);
    EXPECT_EQ(picture->height, 3);
    const std::vector<std::uint32_t> expected = {0xFFFF0000, 0xFF0000FF, 0xFF0000FF,
                                                 0xFFFF0000, 0xFF0000FF, 0xFF0000FF,
                                                 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(picture->pixels, expected);
}

TEST(PackedPictureTest, DamagedDataIsRefusedWithoutReadingPastIt) {
    // Every cut short version of a good picture.
    for (std::size_t n = 0; n < kSample.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_FALSE(UnpackPicture(kSample.data(), n));
    }
    Bytes trailing = kSample;
    trailing.push_back(0);
    EXPECT_FALSE(Unpack(trailing));
    Bytes badMagic = kSample;
    badMagic[3] = '2';
    EXPECT_FALSE(Unpack(badMagic));
    Bytes repeatFirst = kSample;
    repeatFirst[8] = 0;  // "as the row above" with no row above
    EXPECT_FALSE(Unpack(repeatFirst));
    Bytes runTooLong = kSample;
    runTooLong[19] = 130;  // four whites in a row of three
    EXPECT_FALSE(Unpack(runTooLong));
    Bytes literalsTooLong(kSample.begin(), kSample.begin() + 19);
    literalsTooLong.insert(literalsTooLong.end(), {3, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                                                   255, 255, 255});  // four literal whites
    EXPECT_FALSE(Unpack(literalsTooLong));
    Bytes unknownRow = kSample;
    unknownRow[18] = 2;  // neither coded nor repeated
    EXPECT_FALSE(Unpack(unknownRow));
    EXPECT_FALSE(Unpack(Bytes{'T', 'P', 'K', '1', 0, 0, 0, 0}));
    EXPECT_FALSE(Unpack(Bytes{'T', 'P', 'K', '1', 3, 0, 0, 0}));  // no rows
    EXPECT_FALSE(UnpackPicture(nullptr, 0));
}

TEST(PackedPictureTest, AHeaderClaimingMoreThanTheDataHoldsIsRefusedBeforeAllocating) {
    // 65535 x 65535 pixels (17 GB) over five bytes of rows: refused from the data's size
    // alone. The first allocation would fail here; none is tried.
    const Bytes huge = {'T', 'P', 'K', '1', 0xFF, 0xFF, 0xFF, 0xFF, 1, 255, 0, 0, 0};
    testing::allocationsBeforeFailure = 0;
    const bool refused = !Unpack(huge);
    testing::allocationsBeforeFailure = -1;
    EXPECT_TRUE(refused);
}

std::uint32_t Grey(int v) { return 0xFF000000u | (v << 16) | (v << 8) | v; }

double MeanGrey(const Picture32& p) {
    const double sum = std::accumulate(p.pixels.begin(), p.pixels.end(), 0.0,
                                       [](double s, std::uint32_t px) { return s + (px & 0xFF); });
    return sum / static_cast<double>(p.pixels.size());
}

TEST(PackedPictureTest, ScalingAveragesWhatEachNewPixelCovers) {
    Picture32 checker{2, 2, {Grey(0), Grey(255), Grey(255), Grey(0)}};
    const Picture32 one = ScalePicture(checker, 1, 1);
    ASSERT_EQ(one.pixels.size(), 1u);
    EXPECT_EQ(one.pixels[0], Grey(128));  // 127.5, rounded

    // A plain picture stays plain and opaque at any scale.
    Picture32 plain{4, 3, std::vector<std::uint32_t>(12, 0xFF3366CC)};
    for (auto [w, h] : {std::pair{6, 5}, std::pair{3, 2}, std::pair{4, 3}}) {
        const Picture32 scaled = ScalePicture(plain, w, h);
        ASSERT_EQ(scaled.pixels.size(), static_cast<std::size_t>(w * h));
        for (std::uint32_t px : scaled.pixels) EXPECT_EQ(px, 0xFF3366CCu);
    }

    // A black column beside a white one, at 150 %: the overall brightness is kept and the
    // column where they meet is a mix of both.
    Picture32 halves{2, 2, {Grey(0), Grey(255), Grey(0), Grey(255)}};
    const Picture32 wide = ScalePicture(halves, 3, 3);
    EXPECT_NEAR(MeanGrey(wide), 127.5, 0.5);
    EXPECT_EQ(wide.pixels[0], Grey(0));
    EXPECT_EQ(wide.pixels[1], Grey(128));
    EXPECT_EQ(wide.pixels[2], Grey(255));
}

}  // namespace
}  // namespace talvex
