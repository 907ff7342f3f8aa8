#include <kv3d/detail/Kv3dKeySort.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The radix sort against std::stable_sort by value, NaN last: sizes around
// the insertion-sort limit, many ties, infinities, NaN of either sign (all
// NaN last, +NaN before -NaN as their bits order them), keys that share
// their high digits.
template <class Key>
void check_against_stable_sort(std::size_t n, int flavour, std::mt19937& rng,
                               const std::string& name) {
    std::uniform_int_distribution<int> small(0, 9);
    std::uniform_real_distribution<double> u(0.0, 1e3);
    std::vector<Key> keys(n);
    for (Key& k : keys) {
        const int pick = small(rng);
        if (flavour == 1 && pick < 5) {
            k = static_cast<Key>(small(rng));  // ties
        } else if (flavour == 2 && pick == 0) {
            k = std::numeric_limits<Key>::infinity();
        } else if (flavour == 2 && pick == 1) {
            k = small(rng) % 2 ? std::numeric_limits<Key>::quiet_NaN()
                               : -std::numeric_limits<Key>::quiet_NaN();
        } else if (flavour == 3) {
            k = static_cast<Key>(1000.0 + u(rng) * 1e-9);  // high digits shared
        } else {
            k = static_cast<Key>(u(rng));
        }
    }
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::vector<std::uint32_t> expected = order;
    std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (std::isnan(keys[a]) && std::isnan(keys[b])) {
            return !std::signbit(keys[a]) && std::signbit(keys[b]);  // +NaN, then -NaN
        }
        if (std::isnan(keys[a]) || std::isnan(keys[b])) {
            return std::isnan(keys[b]);
        }
        return keys[a] < keys[b];
    });
    std::vector<Key> sorted = keys;
    std::vector<Key> key_scratch(n);
    std::vector<std::uint32_t> index_scratch(n);
    std::vector<std::uint32_t> counts(kv3d_detail::kKeySortCounts);
    kv3d_detail::sort_by_key(sorted.data(), order.data(), n, key_scratch.data(),
                             index_scratch.data(), counts.data());
    ASSERT_EQ(order, expected) << "case: " << name;
    for (std::size_t i = 0; i < n; ++i) {
        ASSERT_EQ(std::memcmp(&sorted[i], &keys[order[i]], sizeof(Key)), 0) << "case: " << name;
    }
}

TEST(KeySort, StableAscendingNaNLast) {
    std::mt19937 rng(11);
    for (std::size_t n : {0, 1, 2, 63, 64, 65, 200, 5000}) {
        for (int flavour = 0; flavour < 4; ++flavour) {
            const std::string name =
                std::to_string(n) + " keys, flavour " + std::to_string(flavour);
            check_against_stable_sort<double>(n, flavour, rng, "double, " + name);
            check_against_stable_sort<float>(n, flavour, rng, "float, " + name);
        }
    }
}

}  // namespace
