#include <kv/KvArray.h>
#include <kv/KvArrayIterator.h>
#include <kv/KvCompare.h>
#include <kv/KvMatrix.h>
#include <kv/KvPair.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

class ByValue : public KvCompare<double> {
public:
    bool ordered() const override { return true; }
    KvCompare<double>* clone() const override { return new ByValue(*this); }

protected:
    int compare(const double& a, const double& b) const override {
        return a < b ? -1 : (b < a ? 1 : 0);
    }
};

class ByFirst : public KvCompare<KvPair<int, int>> {
public:
    explicit ByFirst(bool is_ordered = true) : ordered_(is_ordered) {}
    bool ordered() const override { return ordered_; }
    KvCompare<KvPair<int, int>>* clone() const override { return new ByFirst(*this); }

protected:
    int compare(const KvPair<int, int>& a, const KvPair<int, int>& b) const override {
        return a.first - b.first;
    }

private:
    bool ordered_;
};

TEST(KvArray, ConstructAppendResize) {
    KvArray<double> a{1.0, 2.0, 3.0};
    const KvArray<double> b(std::vector<double>{4.0, 5.0});
    a.append(4.0);
    a.push_back(5.0);
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(a[4], 5.0);
    EXPECT_EQ(b.data()[1], 5.0);

    KvArray<double> copy = a;
    copy[0] = -1.0;
    EXPECT_EQ(a[0], 1.0);

    a.resize(7);
    ASSERT_EQ(a.size(), 7u);
    EXPECT_EQ(a[2], 3.0);
    EXPECT_EQ(a[6], 0.0);
    a.resize(2);
    EXPECT_EQ(a[1], 2.0);
    a.resize(3, false);
    EXPECT_EQ(std::vector<double>(a.begin(), a.end()), std::vector<double>(3, 0.0));
    a.clear();
    EXPECT_EQ(a.size(), 0u);
    EXPECT_EQ(a.begin(), a.end());
}

TEST(KvArray, SortAscendingStableAndSafeWithNan) {
    ByValue cmp;
    KvArray<double> a{3.0, -1.0, 2.5, 0.0, -7.0};
    a.sort(cmp);
    EXPECT_EQ(std::vector<double>(a.begin(), a.end()),
              (std::vector<double>{-7.0, -1.0, 0.0, 2.5, 3.0}));

    KvArray<KvPair<int, int>> p{{2, 0}, {1, 1}, {2, 2}, {1, 3}, {0, 4}};
    p.sort(ByFirst());
    const int firsts[5] = {0, 1, 1, 2, 2};
    const int seconds[5] = {4, 1, 3, 0, 2};  // equal keys keep their order
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(p[static_cast<std::size_t>(i)].first, firsts[i]);
        EXPECT_EQ(p[static_cast<std::size_t>(i)].second, seconds[i]);
    }
    KvArray<KvPair<int, int>> q{{2, 0}, {1, 1}};
    q.sort(ByFirst(false));  // not an order: left alone
    EXPECT_EQ(q[0].first, 2);

    // NaN keys compare equal to everything: the sort stays within the array
    // and keeps every element.
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> values;
    for (int i = 0; i < 200; ++i) {
        values.push_back(i % 7 == 0 ? std::numeric_limits<double>::quiet_NaN() : dist(rng));
    }
    KvArray<double> n(values);
    n.sort(cmp);
    ASSERT_EQ(n.size(), values.size());
    auto key = [](double v) { return std::isnan(v) ? 2.0 : v; };
    std::vector<double> got, want;
    for (double v : n) got.push_back(key(v));
    for (double v : values) want.push_back(key(v));
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
}

TEST(KvArrayIterator, Protocol) {
    const KvArray<int> a{4, 5, 6};
    KvArrayIterator<int> it(a);
    KvIterator<int>& base = it;
    std::vector<int> seen;
    for (base.restart(); !base.at_end(); base.advance()) {
        seen.push_back(*base.current());
    }
    EXPECT_EQ(seen, (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(base.current(), nullptr);
    base.advance();  // stays at the end
    EXPECT_TRUE(base.at_end());
    base.restart();
    EXPECT_EQ(*base.current(), 4);

    const KvArray<int> empty;
    KvArrayIterator<int> e(empty);
    e.restart();
    EXPECT_TRUE(e.at_end());
    EXPECT_EQ(e.current(), nullptr);
    e.advance();
    EXPECT_TRUE(e.at_end());
}

TEST(KvMatrix, LayoutAndResize) {
    KvMatrix<double> m(2, 3);
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 3; ++j) {
            m(i, j) = 10 * i + j;
        }
    }
    EXPECT_EQ(m.data()[1 + 2 * m.rows()], 12.0);
    m.resize(3, 2);
    ASSERT_EQ(m.rows(), 3);
    ASSERT_EQ(m.cols(), 2);
    EXPECT_EQ(m(1, 1), 11.0);
    EXPECT_EQ(m(0, 1), 1.0);
    EXPECT_EQ(m(2, 0), 0.0);
    EXPECT_EQ(m.data()[1 + 1 * m.rows()], 11.0);
    m.resize(-1, 4);
    EXPECT_EQ(m.rows(), 0);
    EXPECT_EQ(m.cols(), 4);
    EXPECT_EQ(KvMatrix<double>().rows(), 0);
}

}  // namespace
