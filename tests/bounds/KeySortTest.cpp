#include <kv3d/detail/Kv3dKeySort.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using DoubleSort = void (*)(double*, std::uint32_t*, std::size_t, double*, std::uint32_t*,
                            std::uint32_t*);
using UnsignedSort = void (*)(std::uint32_t*, std::uint32_t*, std::size_t, std::uint32_t*,
                              std::uint32_t*, std::uint32_t*);

// Sorts with sort and checks the order against std::stable_sort with
// `before`, and that the keys moved along with their indices.
template <class Key, class Before, class Sort>
void check_sort(const std::vector<Key>& keys, Before before, const std::string& name, Sort sort) {
    const std::size_t n = keys.size();
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::vector<std::uint32_t> expected = order;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return before(keys[a], keys[b]); });
    std::vector<Key> sorted = keys;
    std::vector<Key> key_scratch(n);
    std::vector<std::uint32_t> index_scratch(n);
    std::vector<std::uint32_t> counts(kv3d_detail::kKeySortCounts);
    sort(sorted.data(), order.data(), n, key_scratch.data(), index_scratch.data(), counts.data());
    ASSERT_EQ(order, expected) << "case: " << name;
    for (std::size_t i = 0; i < n; ++i)
        ASSERT_EQ(std::memcmp(&sorted[i], &keys[order[i]], sizeof(Key)), 0) << "case: " << name;
}

// Double keys by value, NaN last (+NaN before -NaN, as their bits order
// them): sizes around the insertion-sort limit, many ties, infinities, NaN
// of either sign, keys that share their high digits.
TEST(KeySort, DoubleKeysStableAscendingNaNLast) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> small(0, 9);
    std::uniform_real_distribution<double> u(0.0, 1e3);
    const auto before = [](double a, double b) {
        if (std::isnan(a) && std::isnan(b)) return !std::signbit(a) && std::signbit(b);
        return std::isnan(a) || std::isnan(b) ? std::isnan(b) : a < b;
    };
    for (std::size_t n : {0, 1, 2, 63, 64, 65, 200, 5000}) {
        for (int flavour = 0; flavour < 4; ++flavour) {
            std::vector<double> keys(n);
            for (double& k : keys) {
                const int pick = small(rng);
                if (flavour == 1 && pick < 5)
                    k = pick;  // ties
                else if (flavour == 2 && pick == 0)
                    k = std::numeric_limits<double>::infinity();
                else if (flavour == 2 && pick == 1)
                    k = std::copysign(std::numeric_limits<double>::quiet_NaN(), small(rng) - 4.5);
                else
                    k = flavour == 3 ? 1000.0 + u(rng) * 1e-9 : u(rng);  // high digits shared
            }
            check_sort(keys, before,
                       std::to_string(n) + " double keys, flavour " + std::to_string(flavour),
                       static_cast<DoubleSort>(kv3d_detail::sort_by_key));
        }
    }
}

TEST(KeySort, UnsignedKeysStableAscending) {
    std::mt19937 rng(12);
    std::uniform_int_distribution<std::uint32_t> any;
    std::uniform_int_distribution<std::uint32_t> few(0, 20);
    for (std::size_t n : {0, 1, 64, 65, 3000}) {
        for (int flavour = 0; flavour < 3; ++flavour) {
            std::vector<std::uint32_t> keys(n);
            for (std::uint32_t& k : keys)
                k = flavour == 0 ? any(rng) : flavour == 1 ? few(rng) : 0xfff00000u + few(rng);
            const std::string name =
                std::to_string(n) + " unsigned keys, flavour " + std::to_string(flavour);
            check_sort(keys, std::less<std::uint32_t>(), name,
                       static_cast<UnsignedSort>(kv3d_detail::sort_by_key));
            // By the high bits only: equal high bits keep their order.
            const auto high = [](std::uint32_t a, std::uint32_t b) {
                return (a >> kv3d_detail::kKeySortLowBits) < (b >> kv3d_detail::kKeySortLowBits);
            };
            check_sort(keys, high, "high bits, " + name, kv3d_detail::sort_by_high_bits);
        }
    }
}

}  // namespace
