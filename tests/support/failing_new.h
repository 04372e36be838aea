#pragma once

#include <cstddef>

// Replaces the global operator new and delete of the program it is linked into, so that a test
// can make a thread's allocations fail as when memory runs out (no address-space limit needed).

namespace pagewright::testing {

// The next `count` allocations of the calling thread fail: std::bad_alloc, or null for nothrow.
void FailNextAllocations(std::size_t count);
// How many allocations have failed, in every thread.
std::size_t FailedAllocations();
// Called at the start of every allocation (of every thread) when set; must not allocate.
void SetBeforeAllocation(void (*hook)());

} // namespace pagewright::testing
