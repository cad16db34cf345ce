// Allocations made to fail on demand, through the test program's replaced operator new: a
// test sees what its code does when memory runs out, or that it asked for none.
#pragma once

namespace talvex::testing {

// How many allocations succeed before one fails; negative: none fails. A test arms it only
// around the one call it tries.
extern long allocationsBeforeFailure;

}  // namespace talvex::testing
