// The libFuzzer entry of one target: TALVEX_FUZZ_CHECK names its check (see checks.h). A
// property that fails is reported like a crash, so libFuzzer keeps the input that broke it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = talvex::fuzzing::TALVEX_FUZZ_CHECK(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "\n%s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
