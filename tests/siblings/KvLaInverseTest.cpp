// kvla_inverse against its definition, kvla_inverse_by_svd: the same answer
// and rank on every matrix, and the same inverse up to the rounding of two
// LU factorisations.

#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>
#include <kvla/KvLaInverse.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/InverseSpread.h"
#include "support/RandomDraw.h"

namespace {

const double kEps = std::numeric_limits<double>::epsilon();

struct Outcome {
    bool ok = false;
    int rank = -1;
    KvLaDblMat inverse;
};

// The reference kvla_inverse_by_svd, kvla_inverse, and its plain-storage form.
enum Path { kReference, kFast, kPlain };

Outcome invert(Path path, const KvLaDblMat& a, double tol) {
    Outcome o;
    const int n = a.rows();
    std::vector<double> inv(static_cast<std::size_t>(n * n), 0.0);
    o.ok = path == kReference ? kvla_inverse_by_svd(a, o.inverse, tol, &o.rank)
           : path == kFast    ? kvla_inverse(a, o.inverse, tol, &o.rank)
                              : kvla_inverse(a.data(), n, inv.data(), tol, &o.rank);
    if (path == kPlain && o.ok) o.inverse = KvLaDblMat(inv.data(), n, n);
    return o;
}

bool same_bits(const KvLaDblMat& x, const KvLaDblMat& y) {
    return x.rows() == y.rows() && x.cols() == y.cols() &&
           std::memcmp(x.data(), y.data(), sizeof(double) * x.rows() * x.cols()) == 0;
}

KvLaDblMat random(RandomDraw& d, int n) {
    KvLaDblMat m(n, n, 0.0);
    for (int k = 0; k < n * n; ++k) m.data()[k] = d.uniform(-1.0, 1.0);
    return m;
}

// Rows and columns scaled by powers of ten up to 10^+-40.
KvLaDblMat badly_scaled(RandomDraw& d, int n) {
    KvLaDblMat m = random(d, n);
    for (int i = 0; i < n; ++i) {
        const double r = std::pow(10.0, d.uniform(-40, 40)), c = std::pow(10.0, d.uniform(-40, 40));
        for (int k = 0; k < n; ++k) m(i, k) *= r, m(k, i) *= c;
    }
    return m;
}

// One column a combination of the others plus a perturbation of 1e-17 .. 1e-3.
KvLaDblMat nearly_singular(RandomDraw& d, int n) {
    KvLaDblMat m = random(d, n);
    const int j = d.pick(n);
    const double delta = std::pow(10.0, d.uniform(-17, -3));
    for (int i = 0; i < n; ++i) {
        double s = delta * d.uniform(-1.0, 1.0);
        for (int k = 0; k < n; ++k) s += k == j ? 0.0 : m(i, k) * (k + 1) * 0.25;
        m(i, j) = s;
    }
    return m;
}

// Small integers, one column an exact integer combination of two others
// (or zero): rank n - 1 exactly.
KvLaDblMat rank_deficient(RandomDraw& d, int n) {
    KvLaDblMat m(n, n, 0.0);
    for (int k = 0; k < n * n; ++k) m.data()[k] = d.pick(11) - 5;
    const int j = d.pick(n), p = (j + 1) % n, q = (j + 2) % n;
    const int cp = d.pick(7) - 3, cq = n > 2 ? d.pick(7) - 3 : 0;
    for (int i = 0; i < n; ++i)
        m(i, j) = n == 1 ? 0.0 : cp * m(i, p) + (q != j ? cq * m(i, q) : 0.0);
    return m;
}

// An affine 4 x 4 map: last row 0, 0, 0, 1, the linear part random or
// nearly singular.
KvLaDblMat affine(RandomDraw& d, KvLaDblMat m) {
    for (int j = 0; j < 4; ++j) {
        m(3, j) = j == 3 ? 1.0 : 0.0;
        m(j, 3) = j == 3 ? 1.0 : d.uniform(-8000, 8000);
    }
    return m;
}

// Every kind at every order 1 .. 7 (7 takes the general path), with the
// tolerance of the geometry code and random tolerances 1e-16 .. 1e-2, which
// move the threshold across the singular values.
TEST(KvLaInverse, AgreesWithTheSingularValuePath) {
    const struct {
        const char* name;
        KvLaDblMat (*make)(RandomDraw&, int);
    } kinds[] = {
        {"random", random},
        {"badly scaled", badly_scaled},
        {"nearly singular", nearly_singular},
        {"rank deficient", rank_deficient},
        {"affine", [](RandomDraw& d, int) { return affine(d, random(d, 4)); }},
        {"affine nearly singular",
         [](RandomDraw& d, int) { return affine(d, nearly_singular(d, 4)); }},
    };
    RandomDraw g(20261206);
    for (const auto& kind : kinds) {
        for (int n = 1; n <= 7; ++n) {
            for (int trial = 0; trial < 150; ++trial) {
                const KvLaDblMat a = kind.make(g, n);
                const double tol = trial % 2 == 0 ? 1e-15 : std::pow(10.0, g.uniform(-16, -2));
                const std::string name = std::string(kind.name) + " order " +
                                         std::to_string(a.rows()) + " #" + std::to_string(trial);
                const Outcome r = invert(kReference, a, tol), f = invert(kFast, a, tol);
                const Outcome p = invert(kPlain, a, tol);
                ASSERT_EQ(f.ok, r.ok) << "case: " << name;
                ASSERT_EQ(p.ok, r.ok) << "case: " << name << " (plain storage)";
                EXPECT_EQ(f.rank, r.rank) << "case: " << name;
                EXPECT_EQ(p.rank, r.rank) << "case: " << name << " (plain storage)";
                if (r.ok) {
                    EXPECT_LE(inverse_spread::spread(a, f.inverse, r.inverse),
                              2.0 * a.rows() * kEps)
                        << "case: " << name;
                    EXPECT_TRUE(same_bits(p.inverse, f.inverse))
                        << "case: " << name << " (plain storage)";
                }
            }
        }
    }
}

// Where no proof of full rank applies (a negative tolerance, or rank below
// the order), the small path runs the same decomposition as the reference:
// the same bits.
TEST(KvLaInverse, SmallSingularValuePathIsTheReferenceBitForBit) {
    RandomDraw g(7);
    for (int n = 1; n <= 6; ++n) {
        for (int trial = 0; trial < 40; ++trial) {
            const KvLaDblMat a = trial % 2 == 0 ? nearly_singular(g, n) : badly_scaled(g, n);
            const std::string name = "order " + std::to_string(n) + " #" + std::to_string(trial);
            const Outcome r = invert(kReference, a, -1e-15), f = invert(kFast, a, -1e-15);
            ASSERT_EQ(f.ok, r.ok) << "case: " << name;
            EXPECT_EQ(f.rank, r.rank) << "case: " << name;
            EXPECT_TRUE(same_bits(f.inverse, r.inverse)) << "case: " << name;
        }
    }
}

// The rank threshold itself: the 2 x 2 matrix with unit columns (1, 0) and
// (cos t, sin t) has singular values sqrt(1 +- cos t), whose ratio is
// tan(t / 2). Tolerances just below, at and above that ratio.
TEST(KvLaInverse, RankAtTheThreshold) {
    for (double t : {1e-3, 1e-6, 0.3}) {
        const double c = std::cos(t), s = std::sin(t);
        const double m[4] = {1.0, 0.0, c, s};
        const KvLaDblMat a(m, 2, 2);
        const double ratio = std::tan(t / 2);
        for (double f : {0.5, 1.0 - 1e-9, 1.0, 1.0 + 1e-9, 2.0}) {
            const std::string name = "t " + std::to_string(t) + " tol/ratio " + std::to_string(f);
            const Outcome r = invert(kReference, a, ratio * f), q = invert(kFast, a, ratio * f);
            EXPECT_EQ(q.rank, r.rank) << "case: " << name;
            EXPECT_EQ(q.ok, r.ok) << "case: " << name;
        }
    }
}

// A last row 0, 0, 0, 8 is not the affine shortcut's 0, 0, 0, 1.
TEST(KvLaInverse, DiagonalWithACornerOtherThanOneInvertsExactly) {
    const std::vector<double> a = {2, 0, 0, 0, 0, -4, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 8};
    std::vector<double> out(16);
    ASSERT_TRUE(kvla_inverse(a.data(), 4, out.data(), 1e-15, nullptr)) << "case: diagonal";
    EXPECT_EQ(out, (std::vector<double>{0.5, 0, 0, 0, 0, -0.25, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0.125}))
        << "case: diagonal";
}

TEST(KvLaInverse, PlainStorageRefusals) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double with_nan[4] = {1, 0, nan, 1};
    const double singular[4] = {1, 2, 2, 4};
    double out[4] = {7, 7, 7, 7};
    int rank = -1;
    EXPECT_FALSE(kvla_inverse(with_nan, 2, out, 1e-15, &rank)) << "case: NaN";
    EXPECT_EQ(rank, 0) << "case: NaN";
    EXPECT_FALSE(kvla_inverse(singular, 2, out, 1e-15, &rank)) << "case: singular";
    EXPECT_EQ(rank, 1) << "case: singular";
    EXPECT_FALSE(kvla_inverse(nullptr, 2, out, 1e-15, &rank)) << "case: null matrix";
    EXPECT_EQ(out[0], 7.0) << "case: nothing written";
}

// Matrices up to 6 x 6 live inside the object, larger ones on the heap.
TEST(KvLaDblMat, CopyMoveAndAssignAcrossTheInlineLimit) {
    KvLaDblMat big(7, 7, 2.0), small(2, 3, 5.0);
    big(6, 6) = 9.0;
    KvLaDblMat copy = big;
    EXPECT_EQ(copy(6, 6), 9.0) << "case: copy of a heap matrix";
    copy = small;
    EXPECT_EQ(copy(1, 2), 5.0) << "case: heap matrix assigned a small one";
    KvLaDblMat moved = std::move(big);
    EXPECT_EQ(moved(6, 6), 9.0) << "case: move of a heap matrix";
    EXPECT_EQ(big.rows(), 0) << "case: moved-from heap matrix";  // NOLINT(bugprone-use-after-move)
    KvLaDblMat moved_small(std::move(small));
    EXPECT_EQ(moved_small(1, 2), 5.0) << "case: move of a small matrix";
    moved = std::move(moved_small);
    EXPECT_EQ(moved(0, 0), 5.0) << "case: heap matrix move-assigned a small one";
}

}  // namespace
