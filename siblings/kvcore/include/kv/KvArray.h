#pragma once

#include <kv/KvAllocator.h>
#include <kv/KvCompare.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <vector>

// Contiguous, growable array: element i is data()[i]. operator[] is unchecked,
// as for a plain array; every other member is safe for any size.
template <class T, class A = KvAllocator<T>>
class KvArray {
public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    KvArray() = default;
    KvArray(std::initializer_list<T> init) : items_(init) {}
    explicit KvArray(const std::vector<T>& items) : items_(items.begin(), items.end()) {}
    KvArray(const KvArray&) = default;
    KvArray(KvArray&&) noexcept = default;
    KvArray& operator=(const KvArray&) = default;
    KvArray& operator=(KvArray&&) noexcept = default;
    virtual ~KvArray() = default;

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

    T& operator[](std::size_t i) { return items_[i]; }
    const T& operator[](std::size_t i) const { return items_[i]; }
    T* data() { return items_.data(); }
    const T* data() const { return items_.data(); }

    void append(const T& item) { items_.push_back(item); }
    void push_back(const T& item) { items_.push_back(item); }
    void reserve(std::size_t n) { items_.reserve(n); }
    void clear() { items_.clear(); }

    // Sets the size to n. With keep, the first min(n, size()) elements stay as
    // they were; without it every element is value-initialised afresh.
    void resize(std::size_t n, bool keep = true) {
        if (!keep) {
            items_.clear();
        }
        items_.resize(n);
    }

    // Ascending order by cmp, when there are two elements or more and cmp is
    // an order. A merge sort: it stays within the array and terminates even
    // for a comparison that is not a strict weak order (NaN keys), and equal
    // elements keep their relative order. The comparator is passed directly,
    // so sorts on different threads do not interfere.
    void sort(const KvCompare<T>& cmp) {
        if (items_.size() < 2 || !cmp.ordered()) {
            return;
        }
        std::stable_sort(items_.begin(), items_.end(),
                         [&cmp](const T& a, const T& b) { return cmp(a, b) < 0; });
    }

    T* begin() { return items_.data(); }
    T* end() { return items_.data() + items_.size(); }
    const T* begin() const { return items_.data(); }
    const T* end() const { return items_.data() + items_.size(); }

private:
    std::vector<T, A> items_;
};
