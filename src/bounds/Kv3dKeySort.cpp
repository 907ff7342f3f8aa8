#include <kv3d/detail/Kv3dKeySort.h>

#include <algorithm>
#include <cstring>

namespace kv3d_detail {

namespace {

constexpr int kDigitBits = 11;
constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
// Below this size a stable insertion sort beats clearing the counters.
constexpr std::size_t kInsertionLimit = 64;

// The unsigned integer with the same bits as a key.
template <class Key>
struct KeyBits;
template <>
struct KeyBits<double> {
    using type = std::uint64_t;
};
template <>
struct KeyBits<std::uint32_t> {
    using type = std::uint32_t;
};

template <class Key>
typename KeyBits<Key>::type bits(Key key) {
    typename KeyBits<Key>::type b;
    std::memcpy(&b, &key, sizeof b);
    return b;
}

template <class Bits>
std::size_t digit(Bits key_bits, int d) {
    return static_cast<std::size_t>((key_bits >> (d * kDigitBits)) & (kBuckets - 1));
}

template <class Key>
void insertion_sort(Key* keys, std::uint32_t* index, std::size_t n) {
    for (std::size_t i = 1; i < n; ++i) {
        const Key k = keys[i];
        const auto kb = bits(k);
        const std::uint32_t x = index[i];
        std::size_t j = i;
        for (; j > 0 && bits(keys[j - 1]) > kb; --j) {
            keys[j] = keys[j - 1];
            index[j] = index[j - 1];
        }
        keys[j] = k;
        index[j] = x;
    }
}

// LSD radix sort on the digits from first_digit up (the lower ones are
// ignored: keys equal above them keep their order).
template <class Key>
void radix_sort(Key* keys, std::uint32_t* index, std::size_t n, Key* key_scratch,
                std::uint32_t* index_scratch, std::uint32_t* counts, int first_digit) {
    if (n <= kInsertionLimit && first_digit == 0) {
        insertion_sort(keys, index, n);
        return;
    }
    constexpr int digits = (8 * sizeof(Key) + kDigitBits - 1) / kDigitBits;
    std::fill(counts, counts + digits * kBuckets, 0u);
    for (std::size_t i = 0; i < n; ++i) {
        const auto kb = bits(keys[i]);
        for (int d = first_digit; d < digits; ++d) {
            ++counts[d * kBuckets + digit(kb, d)];
        }
    }
    Key* from_keys = keys;
    std::uint32_t* from_index = index;
    Key* to_keys = key_scratch;
    std::uint32_t* to_index = index_scratch;
    for (int d = first_digit; d < digits; ++d) {
        std::uint32_t* count = counts + d * kBuckets;
        if (n == 0 || count[digit(bits(from_keys[0]), d)] == n) {
            continue;  // every key has this digit
        }
        // Bucket starts, then a stable scatter in input order.
        std::uint32_t start = 0;
        for (std::size_t b = 0; b < kBuckets; ++b) {
            const std::uint32_t c = count[b];
            count[b] = start;
            start += c;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const Key k = from_keys[i];
            const std::uint32_t at = count[digit(bits(k), d)]++;
            to_keys[at] = k;
            to_index[at] = from_index[i];
        }
        std::swap(from_keys, to_keys);
        std::swap(from_index, to_index);
    }
    if (from_keys != keys) {
        std::copy(from_keys, from_keys + n, keys);
        std::copy(from_index, from_index + n, index);
    }
}

}  // namespace

void sort_by_key(double* keys, std::uint32_t* index, std::size_t n, double* key_scratch,
                 std::uint32_t* index_scratch, std::uint32_t* counts) {
    radix_sort(keys, index, n, key_scratch, index_scratch, counts, 0);
}

void sort_by_key(std::uint32_t* keys, std::uint32_t* index, std::size_t n,
                 std::uint32_t* key_scratch, std::uint32_t* index_scratch, std::uint32_t* counts) {
    radix_sort(keys, index, n, key_scratch, index_scratch, counts, 0);
}

void sort_by_high_bits(std::uint32_t* keys, std::uint32_t* index, std::size_t n,
                       std::uint32_t* key_scratch, std::uint32_t* index_scratch,
                       std::uint32_t* counts) {
    radix_sort(keys, index, n, key_scratch, index_scratch, counts, 1);
}

}  // namespace kv3d_detail
