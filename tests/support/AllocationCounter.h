#pragma once

#include <cstddef>

// Counts the heap allocations of the whole process: every call of malloc,
// calloc, realloc, the aligned allocators and every operator new. Linking
// AllocationCounter.cpp into an executable replaces those functions (under
// AddressSanitizer, whose allocator owns them, it installs the sanitizer's
// allocation hook instead, which sees the same calls).
namespace allocation_counter {

// Allocations so far.
std::size_t count();

// Allocations made by f().
template <class F>
std::size_t during(F&& f) {
    const std::size_t before = count();
    f();
    return count() - before;
}

}  // namespace allocation_counter
