#include "tests/core/failing_allocations.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace talvex::testing {

long allocationsBeforeFailure = -1;

}  // namespace talvex::testing

using talvex::testing::allocationsBeforeFailure;

void* operator new(std::size_t size) {
    if (allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0) throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
