#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

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
// same allocator.
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

namespace {

// operator new never answers zero bytes with a null pointer.
void* allocate(std::size_t size, std::size_t alignment = 0) {
    const std::size_t n = size != 0 ? size : 1;
    return counted(alignment != 0 ? __libc_memalign(alignment, n) : __libc_malloc(n));
}

void* allocate_or_throw(std::size_t size, std::size_t alignment = 0) {
    void* p = allocate(size, alignment);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

std::size_t bytes(std::align_val_t a) { return static_cast<std::size_t>(a); }

}  // namespace

void* operator new(std::size_t size) { return allocate_or_throw(size); }
void* operator new[](std::size_t size) { return allocate_or_throw(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t a) {
    return allocate_or_throw(size, bytes(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return allocate_or_throw(size, bytes(a));
}
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, std::size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::size_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { __libc_free(p); }

#endif
