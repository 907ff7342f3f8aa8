#include <kv3d/detail/Kv3dKeySort.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The full-key sort of unsigned keys, which the close-pair search takes only
// above 2^20 points (the other sorts run under the enclosing-sphere tests,
// against a reference that sorts by comparison): stable and ascending, keys
// moved along with their indices, both sides of the insertion-sort limit,
// spread keys and many ties.
TEST(KeySort, UnsignedKeysStableAscending) {
    std::mt19937 rng(11);
    for (std::size_t n : {64, 65, 5000}) {
        for (std::uint32_t range : {0xffffffffu, 20u}) {
            const std::string name = std::to_string(n) + " keys to " + std::to_string(range);
            std::uniform_int_distribution<std::uint32_t> draw(0, range);
            std::vector<std::uint32_t> keys(n), order(n), scratch(2 * n);
            std::vector<std::uint32_t> counts(kv3d_detail::kKeySortCounts);
            std::generate(keys.begin(), keys.end(), [&] { return draw(rng); });
            std::iota(order.begin(), order.end(), 0u);
            std::vector<std::uint32_t> expected = order, sorted = keys;
            std::stable_sort(expected.begin(), expected.end(),
                             [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
            kv3d_detail::sort_by_key(sorted.data(), order.data(), n, scratch.data(),
                                     scratch.data() + n, counts.data());
            EXPECT_EQ(order, expected) << "case: " << name;
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(sorted[i], keys[order[i]]) << "case: " << name << ", key " << i;
        }
    }
}

}  // namespace
