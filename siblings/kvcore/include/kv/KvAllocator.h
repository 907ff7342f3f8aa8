#pragma once

#include <memory>

// The allocator of the family's containers. It is the standard allocator under
// the family's name, so that container types spelled with it stay the same
// types whatever the allocator later becomes.
template <class T>
class KvAllocator : public std::allocator<T> {
public:
    using value_type = T;

    KvAllocator() noexcept = default;
    template <class U>
    KvAllocator(const KvAllocator<U>&) noexcept {}

    template <class U>
    struct rebind {
        using other = KvAllocator<U>;
    };
};

template <class T, class U>
bool operator==(const KvAllocator<T>&, const KvAllocator<U>&) noexcept {
    return true;
}
template <class T, class U>
bool operator!=(const KvAllocator<T>&, const KvAllocator<U>&) noexcept {
    return false;
}
