// Inputs with which the fuzz targets (tests/fuzz) once broke something, played again through
// the same checks on every run. A new one goes here with the fault it showed: its bytes as
// `xxd -p` prints the file libFuzzer left.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/fuzz/checks.h"

namespace talvex::fuzzing {
namespace {

using Check = std::string (*)(const std::uint8_t*, std::size_t);

struct Found {
    const char* fault;
    Check check;
    const char* hex;
};

std::vector<std::uint8_t> Bytes(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

const Found kFound[] = {
    {"a picture of 19210 x 1 over three bytes of rows took 77 KB before it was refused",
     CheckPackedPicture, "54504b310a4b0100000054"},
};

TEST(FuzzRegressionsTest, EveryInputThatOnceBrokeAPropertyNowKeepsIt) {
    for (const Found& found : kFound) {
        SCOPED_TRACE(found.fault);
        const std::vector<std::uint8_t> bytes = Bytes(found.hex);
        EXPECT_EQ(found.check(bytes.data(), bytes.size()), "");
    }
}

}  // namespace
}  // namespace talvex::fuzzing
