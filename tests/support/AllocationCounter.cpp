#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define KV3D_ALLOCATION_HOOK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KV3D_ALLOCATION_HOOK 1
#endif
#endif

namespace {

std::atomic<std::size_t> g_allocations{0};

// Counts one allocation and passes its result through.
template <class T>
T counted(T result) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return result;
}

}  // namespace

std::size_t allocation_counter::count() { return g_allocations.load(std::memory_order_relaxed); }

#ifdef KV3D_ALLOCATION_HOOK

#include <sanitizer/allocator_interface.h>

namespace {

void on_allocation(const volatile void*, std::size_t) { counted(0); }
void on_free(const volatile void*) {}

// Installed before main: every allocation the sanitizer's allocator serves,
// operator new included, passes through on_allocation.
struct HookInstaller {
    HookInstaller() { __sanitizer_install_malloc_and_free_hooks(on_allocation, on_free); }
} g_hook_installer;

}  // namespace

#else

// glibc's own allocator under its internal names: the replacements below
// count and forward to it, so that memory from either side is freed by the
// same allocator. Every operator new of the C++ runtime allocates through
// these, so they count it too.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);

void* malloc(std::size_t size) { return counted(__libc_malloc(size)); }
void* calloc(std::size_t count, std::size_t size) { return counted(__libc_calloc(count, size)); }
void* realloc(void* p, std::size_t size) { return counted(__libc_realloc(p, size)); }
void free(void* p) { __libc_free(p); }
void* memalign(std::size_t a, std::size_t size) { return counted(__libc_memalign(a, size)); }
void* aligned_alloc(std::size_t a, std::size_t size) { return counted(__libc_memalign(a, size)); }
int posix_memalign(void** p, std::size_t a, std::size_t size) {
    *p = counted(__libc_memalign(a, size));
    return *p != nullptr ? 0 : 12;  // ENOMEM
}
}

#endif
