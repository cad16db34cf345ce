// Allocations made to fail on demand, and counted, through the test program's replaced
// operator new: a test sees what its code does when memory runs out, or how much it asked for.
#pragma once

#include <cstddef>

namespace talvex::testing {

// How many allocations succeed before one fails; negative: none fails. A test arms it only
// around the one call it tries.
extern long allocationsBeforeFailure;

// Bytes asked for since the program started; a test reads it before and after a call.
extern std::size_t bytesAllocated;

}  // namespace talvex::testing
