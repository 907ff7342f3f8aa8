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
// them); unsigned keys, also by their high bits only. Sizes around the
// insertion-sort limit; flavours: spread, many ties, infinities and NaN of
// either sign, keys that share their high digits.
TEST(KeySort, StableAscendingNaNLast) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> small(0, 9);
    std::uniform_real_distribution<double> u(0.0, 1e3);
    std::uniform_int_distribution<std::uint32_t> any, few(0, 20);
    const auto before = [](double a, double b) {
        if (std::isnan(a) && std::isnan(b)) return !std::signbit(a) && std::signbit(b);
        return std::isnan(a) || std::isnan(b) ? std::isnan(b) : a < b;
    };
    const auto high = [](std::uint32_t a, std::uint32_t b) {
        return (a >> kv3d_detail::kKeySortLowBits) < (b >> kv3d_detail::kKeySortLowBits);
    };
    for (std::size_t n : {0, 1, 2, 63, 64, 65, 200, 5000}) {
        for (int flavour = 0; flavour < 3; ++flavour) {
            const std::string name =
                std::to_string(n) + " keys, flavour " + std::to_string(flavour);
            std::vector<double> keys(n);
            std::vector<std::uint32_t> ukeys(n);
            for (std::size_t i = 0; i < n; ++i) {
                const int pick = small(rng);
                if (flavour == 1 && pick < 5)
                    keys[i] = pick;  // ties
                else if (flavour == 2 && pick < 2)
                    keys[i] = pick == 0 ? HUGE_VAL : std::copysign(NAN, small(rng) - 4.5);
                else  // spread, or sharing their high digits
                    keys[i] = pick < 5 ? u(rng) : 1000.0 + u(rng) * 1e-9;
                ukeys[i] = flavour == 0   ? any(rng)
                           : flavour == 1 ? few(rng)
                                          : 0xfff00000u + few(rng);
            }
            check_sort(keys, before, "double, " + name,
                       static_cast<DoubleSort>(kv3d_detail::sort_by_key));
            check_sort(ukeys, std::less<std::uint32_t>(), "unsigned, " + name,
                       static_cast<UnsignedSort>(kv3d_detail::sort_by_key));
            check_sort(ukeys, high, "high bits, " + name, kv3d_detail::sort_by_high_bits);
        }
    }
}

}  // namespace
