#pragma once

#include <kv3d/kv3d_export.h>

#include <cstddef>
#include <cstdint>

namespace kv3d_detail {

// Counters that sort_by_key() needs: one table of 2^11 per 11-bit digit of a
// 64-bit key.
constexpr std::size_t kKeySortCounts = 6 * 2048;

// Sort n (key, index) pairs ascending by key, stably: pairs with equal keys
// keep their order. Double keys are sums of squares: +0, positive, +infinity
// or NaN; NaN keys go last. For such keys, as for unsigned integers, the
// order of the bit patterns is the order of the values, so a
// least-significant-digit radix sort on the bits gives the order a
// comparison sort would, in a few linear passes; digits that are the same
// for every key are skipped. key_scratch and index_scratch hold n elements
// each, counts kKeySortCounts; n is below 2^32. Allocates nothing.
KV3D_API void sort_by_key(double* keys, std::uint32_t* index, std::size_t n, double* key_scratch,
                          std::uint32_t* index_scratch, std::uint32_t* counts);
KV3D_API void sort_by_key(std::uint32_t* keys, std::uint32_t* index, std::size_t n,
                          std::uint32_t* key_scratch, std::uint32_t* index_scratch,
                          std::uint32_t* counts);

// The same by keys >> kKeySortLowBits only: keys equal in their high bits
// keep their order. One pass fewer.
constexpr int kKeySortLowBits = 11;
KV3D_API void sort_by_high_bits(std::uint32_t* keys, std::uint32_t* index, std::size_t n,
                                std::uint32_t* key_scratch, std::uint32_t* index_scratch,
                                std::uint32_t* counts);

}  // namespace kv3d_detail
