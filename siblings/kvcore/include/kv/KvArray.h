#pragma once

#include <kv/KvAllocator.h>
#include <kv/KvCompare.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <utility>
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
    std::size_t capacity() const { return items_.capacity(); }
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
    // an order. A bottom-up merge sort: every read and write is bounded by
    // the run limits, so it stays within the array and terminates even for a
    // comparison that is not a strict weak order (NaN keys), and equal
    // elements keep their relative order. The comparator is passed directly,
    // so sorts on different threads do not interfere. One scratch buffer of
    // the array's size is allocated per call.
    void sort(const KvCompare<T>& cmp) {
        const std::size_t n = items_.size();
        if (n < 2 || !cmp.ordered()) {
            return;
        }
        std::vector<T, A> scratch(items_);
        T* from = items_.data();
        T* to = scratch.data();
        for (std::size_t width = 1; width < n; width = width <= n / 2 ? 2 * width : n) {
            for (std::size_t lo = 0; lo < n; lo += 2 * width) {
                const std::size_t mid = lo + width < n ? lo + width : n;
                const std::size_t hi = mid + width < n ? mid + width : n;
                merge_runs(cmp, from, lo, mid, hi, to);
            }
            std::swap(from, to);
        }
        if (from != items_.data()) {
            std::copy(from, from + n, items_.data());
        }
    }
    T* begin() { return items_.data(); }
    T* end() { return items_.data() + items_.size(); }
    const T* begin() const { return items_.data(); }
    const T* end() const { return items_.data() + items_.size(); }

private:
    // Merges the sorted runs [lo, mid) and [mid, hi) of from into to; on
    // equal keys the left run goes first.
    static void merge_runs(const KvCompare<T>& cmp, const T* from, std::size_t lo, std::size_t mid,
                           std::size_t hi, T* to) {
        std::size_t i = lo;
        std::size_t j = mid;
        for (std::size_t k = lo; k < hi; ++k) {
            if (i < mid && (j >= hi || !(cmp(from[j], from[i]) < 0))) {
                to[k] = from[i++];
            } else {
                to[k] = from[j++];
            }
        }
    }

    std::vector<T, A> items_;
};
