#pragma once

#include <cstddef>

// Counts the heap allocations of the whole process: every call of malloc,
// calloc, realloc, the aligned allocators and so every operator new, which
// allocates through them. Linking AllocationCounter.cpp into an executable
// replaces the C functions (under AddressSanitizer, whose allocator owns
// them, it installs the sanitizer's allocation hook instead, which sees the
// same calls).
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
