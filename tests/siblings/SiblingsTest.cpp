// The sibling layers: the core containers, results and journal, then the
// linear algebra: ranks per unit column, solutions and null spaces,
// decompositions, Householder reflections, the spectral norm, and kvla_inverse
// against its definition, kvla_inverse_by_svd (the same answer and rank on
// every matrix, and the same inverse up to the rounding of two LU
// factorisations).

#include <kv/KvArray.h>
#include <kv/KvCompare.h>
#include <kv/KvJournal.h>
#include <kv/KvResult.h>
#include <kv/KvString.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>
#include <kvla/KvLaInverse.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/InverseSpread.h"
#include "support/NamedCases.h"
#include "support/RandomDraw.h"

namespace {

const KvString kDomainName("kvtest");
const KvString* const kDomain = &kDomainName;

const char* translate(const KvString* const& domain, int number) {
    return domain != nullptr && number == 9 ? "nine" : nullptr;
}

// The message is the translation of the condition's number, or empty;
// without a condition the domain asked for is left as it was.
TEST(KvResult, MessageTranslatesTheCondition) {
    KvResult r;
    KvResult::CodeID code = 0;
    int number = 0;
    const KvString* const* domain = &kDomain;
    r.get_error_condition(code, number, domain);
    EXPECT_EQ(domain, &kDomain) << "case: no condition";
    r.set_error_condition(3, 9, &kDomain, translate);
    EXPECT_STREQ(r.message(), "nine") << "case: translated";
    r.set_error_condition(3, 4, &kDomain, translate);
    EXPECT_STREQ(r.message(), "") << "case: translation without text";
    r.set_error_condition(3, 9, &kDomain, nullptr);
    EXPECT_STREQ(r.message(), "") << "case: no translation";
}

TEST(KvJournal, NumbersTokensAndIndentation) {
    std::ostringstream out;
    KvJournal j(out);
    j << 0.5 << " " << -8000.0 << " " << 1e-06 << " " << -0.0 << " " << 0.1 << " " << -7 << " "
      << INT_MIN << kvEndExpr;
    EXPECT_EQ(out.str(), "0.5 -8000 1e-06 -0 0.1 -7 -2147483648\n") << "case: numbers";
    out.str("");
    j << static_cast<const char*>(nullptr) << "a";
    Kv_DebugIndentation(j, 3);
    j << "b";
    Kv_DebugIndentation(j, -4);
    j << "c";
    EXPECT_EQ(out.str(), "a   bc") << "case: null text, indentation 3 and -4";
}

// Plain <, so NaN keys compare equal to everything.
class ByValue : public KvCompare<double> {
public:
    explicit ByValue(bool is_ordered = true) : ordered_(is_ordered) {}
    bool ordered() const override { return ordered_; }
    KvCompare<double>* clone() const override { return new ByValue(*this); }

protected:
    int compare(const double& a, const double& b) const override { return (b < a) - (a < b); }

private:
    bool ordered_;
};

std::vector<double> items(const KvArray<double>& a) { return {a.begin(), a.end()}; }

// Sorting is stable; an unordered
// comparison leaves the array alone; NaN keys (equal to everything) keep
// every element within the array.
TEST(KvArray, Sort) {
    KvArray<double> a{3.0, 0.0, -1.0, -0.0, 2.5};
    a.sort(ByValue());
    EXPECT_EQ(items(a), (std::vector<double>{-1, 0, 0, 2.5, 3})) << "case: ascending";
    EXPECT_TRUE(std::signbit(a[2])) << "case: equal keys keep their order";
    a = KvArray<double>{2.0, 1.0};
    a.sort(ByValue(false));
    EXPECT_EQ(a[0], 2.0) << "case: not an order";
    std::vector<double> values(200);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = i % 7 == 0 ? NAN : std::sin(i * 1.7);
    KvArray<double> n(values);
    n.sort(ByValue());
    const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    EXPECT_TRUE(std::is_permutation(n.begin(), n.end(), values.begin(), same))
        << "case: NaN keys, every element kept";
}

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kEps = std::numeric_limits<double>::epsilon();

// values row by row: the transpose of the column-major matrix they form.
KvLaDblMat by_rows(int rows, int cols, const std::vector<double>& values) {
    return KvLaDblMat(values.data(), cols, rows).tr();
}

KvLaDblMat identity(int n) {
    KvLaDblMat m(n, n, 0.0);
    for (int i = 0; i < n; ++i) m(i, i) = 1.0;
    return m;
}

double max_abs_diff(const KvLaDblMat& a, const KvLaDblMat& b) {
    if (a.rows() != b.rows() || a.cols() != b.cols()) return kInf;  // never passes
    double d = 0.0;
    for (int k = 0; k < a.rows() * a.cols(); ++k)
        d = std::fmax(d, std::fabs(a.data()[k] - b.data()[k]));
    return d;
}

double norm(const KvLaDblMat& c) { return std::sqrt((c.tr() * c)(0, 0)); }

int solve_rank(const KvLaDblMat& a, double tol, KvLaDblMat* null = nullptr) {
    KvLaDblMat x;
    int rank = -1;
    kvla_linearsolve(a, KvLaDblMat(a.rows(), 1, 0.0), x, tol, &rank, null);
    return rank;
}

// The rank counts singular values strictly above tolerance times the largest,
// per unit column: diag(1e9, 1, 1) has full rank at 1e-5, a zero matrix rank 0
// at every tolerance (its null space all of the space), and col2 = col0 + col1
// with col1 long has rank 2.
TEST(KvLaRank, PerUnitColumnAndZeroMatrix) {
    KvLaDblMat diag = identity(3), null, zero_null, v, inv;
    diag(0, 0) = 1e9;
    const KvLaDblMat zero3(3, 3, 0.0), zero7(7, 7, 0.0);
    const KvLaDblMat b = by_rows(3, 3, {1, 2e9, 1 + 2e9, 4, 5e9, 4 + 5e9, 7, 8e9, 7 + 8e9});
    int inverse3 = -1, inverse7 = -1, smallest = -1;
    EXPECT_FALSE(kvla_inverse(zero3, inv, 1e-15, &inverse3)) << "case: inverse, zero 3 x 3";
    EXPECT_FALSE(kvla_inverse(zero7, inv, 1e-15, &inverse7)) << "case: inverse, zero 7 x 7";
    kvla_smallest_singular_vector(zero3, 0.0, &smallest, v);
    const int zero3_rank = solve_rank(zero3, 0.0, &zero_null);
    expect_each<int>({{"diag(1e9, 1, 1)", solve_rank(diag, 1e-5), 3},
                      {"one long column", solve_rank(b, 1e-12, &null), 2},
                      {"inverse, zero 3 x 3", inverse3, 0},
                      {"inverse, zero 7 x 7", inverse7, 0},
                      {"smallest singular vector, zero", smallest, 0},
                      {"linearsolve, zero 3 x 3", zero3_rank, 0},
                      {"null space of zero 3 x 3", zero_null.cols(), 3}});
    EXPECT_LT(max_abs_diff(b * null, KvLaDblMat(3, 1, 0.0)), 1e-6) << "case: one long column";
}

// Null-space columns come smallest singular value first. Columns of unequal
// length, nearly dependent in two distinct ways: per unit column the
// singular values are about 1.7, 6e-4 and 6e-6, and at tolerance 0.01 the
// rank is 1. For a null vector n, |a n| / |diag(|a_j|) n| is the singular
// value of the unit-column matrix it belongs to.
TEST(KvLaLinearSolve, NullSpaceSmallestSingularValueFirst) {
    const KvLaDblMat a = by_rows(3, 3, {1, 5, 7, 0, 5e-3, 0, 0, 0, 7e-5});
    KvLaDblMat n, u, v, unit = a, scale(3, 3, 0.0);
    KvArray<double> sigma;
    ASSERT_EQ(solve_rank(a, 0.01, &n), 1);
    ASSERT_EQ(n.cols(), 2);
    for (int j = 0; j < 3; ++j) {
        scale(j, j) = std::sqrt(a(0, j) * a(0, j) + a(1, j) * a(1, j) + a(2, j) * a(2, j));
        for (int i = 0; i < 3; ++i) unit(i, j) = a(i, j) / scale(j, j);
    }
    ASSERT_TRUE(kvla_svd(unit, u, sigma, v)) << "case: unit columns";
    for (int k = 0; k < 2; ++k) {
        const KvLaDblMat col = by_rows(3, 1, {n(0, k), n(1, k), n(2, k)});
        const double value = norm(a * col) / norm(scale * col);
        EXPECT_NEAR(value, sigma[2 - k], 1e-9 * sigma[2 - k]) << "case: null column " << k;
    }
    // The smallest singular vector is the first null-space column, up to sign.
    int rank = -1;
    ASSERT_TRUE(kvla_smallest_singular_vector(a, 0.01, &rank, v));
    EXPECT_EQ(rank, 1) << "case: smallest singular vector";
    EXPECT_NEAR(std::fabs(v(0, 0) * n(0, 0) + v(1, 0) * n(1, 0) + v(2, 0) * n(2, 0)), 1.0, 1e-12)
        << "case: smallest singular vector";
}

TEST(KvLaLinearSolve, LeastSquaresMinimumNormAndRefusal) {
    // Straight line p + q t through (0, 1), (1, 3), (2, 5), (3, 7.5): by the
    // normal equations p = 0.9, q = 2.15.
    const KvLaDblMat a = by_rows(4, 2, {1, 0, 1, 1, 1, 2, 1, 3});
    KvLaDblMat x, n(1, 1, 7.0);
    int rank = -1;
    ASSERT_TRUE(kvla_linearsolve(a, by_rows(4, 1, {1, 3, 5, 7.5}), x, 1e-12, &rank, &n));
    EXPECT_EQ(n.cols(), 0) << "case: least squares, no null space";
    EXPECT_LT(max_abs_diff(x, by_rows(2, 1, {0.9, 2.15})), 1e-13) << "case: least squares";
    // x0 + 2 x1 = 5 twice: the least-norm solution is (1, 2).
    const KvLaDblMat s = by_rows(2, 2, {1, 2, 2, 4});
    ASSERT_TRUE(kvla_linearsolve(s, by_rows(2, 1, {5, 10}), x, 1e-12, &rank, nullptr));
    EXPECT_EQ(rank, 1) << "case: least norm";
    EXPECT_LT(max_abs_diff(x, by_rows(2, 1, {1, 2})), 1e-14) << "case: least norm";
    EXPECT_FALSE(kvla_linearsolve(a, KvLaDblMat(3, 1, 0.0), x, 1e-12, &rank, &n))
        << "case: rows of a and b differ";
}

// The pivot becomes the column's length with the opposite sign, and u its old
// value less that length. With stride 2 and the pivot before a gap, the
// element in the gap stays out. (Whole triangularisations run in the
// registration fits.)
TEST(KvLaHouseholder, PivotLengthAndStride) {
    double v[8] = {-3, 99, 7, 99, 0, 99, 4, 99}, u = 0.0;
    kvla_h1(0, 2, 4, v, 2, u);
    EXPECT_EQ(v[0], 5.0) << "case: signed length";
    EXPECT_EQ(u, -8.0) << "case: u_p - cl";
    EXPECT_EQ(v[2], 7.0) << "case: the gap";
}

// Refusals: a NaN or infinite entry, an empty or non-square matrix, a largest
// singular value that overflows. Refused results write nothing (solutions,
// decomposition) or the identity (eigenvectors); the rank of a is known even
// when b holds a NaN.
TEST(KvLa, NonFiniteEmptyAndDegenerateInputsAreRefused) {
    KvLaDblMat nan = identity(3), inf = identity(3), keep(1, 1, 42.0), u(1, 1, 42.0), b(3, 1, 1.0);
    KvLaDblMat x, n, eig, empty;
    nan(2, 1) = b(1, 0) = kNan;
    inf(0, 0) = kInf;
    KvArray<double> lambda, sigma;
    int not_square = -1, nan_b = -1, rank = -1;
    expect_each<bool>({
        {"inverse, not square", kvla_inverse(KvLaDblMat(2, 3, 1.0), keep, 1e-15, &not_square),
         false},
        {"solve, NaN", kvla_linearsolve(nan, KvLaDblMat(3, 1, 1.0), keep, nullptr), false},
        {"solve, NaN in b", kvla_linearsolve(identity(3), b, x, 1e-12, &nan_b, nullptr), false},
        {"solve, inf", kvla_linearsolve(inf, KvLaDblMat(3, 1, 0.0), x, 1e-12, &rank, &n), false},
        {"smallest, NaN", kvla_smallest_singular_vector(KvLaDblMat(2, 2, kNan), 1e-5, &rank, x),
         false},
        {"eigen, empty", kvla_eigenvector_basis(empty, lambda, x), false},
        {"eigen, inf", kvla_eigenvector_basis(inf, lambda, eig), false},
        {"svd, no columns", kvla_svd(KvLaDblMat(3, 0, 0.0), u, sigma, x), false},
        {"svd, NaN", kvla_svd(nan, u, sigma, x), false},
        {"svd, largest value overflows", kvla_svd(KvLaDblMat(4, 4, 1.5e308), u, sigma, x), false},
    });
    expect_each<int>({{"not square, rank", not_square, 1},
                      {"NaN in b, rank of a", nan_b, 3},
                      {"solve, inf, null space", n.cols(), 0}});
    expect_each<double>({{"solve, nothing written", keep(0, 0), 42.0},
                         {"eigen, inf, the identity", max_abs_diff(eig, identity(3)), 0.0},
                         {"svd, nothing written", u(0, 0), 42.0}});
    // Householder calls with nothing to do leave everything alone.
    double h[3] = {1, 2, 3}, zero[3] = {0, 0, 0}, up = 77.0;
    kvla_h1(-1, 1, 3, h, 1, up);  // pivot out of range
    kvla_h1(1, 1, 3, h, 1, up);   // pivot not before first
    kvla_h1(0, 1, 3, h, 0, up);   // no stride
    kvla_h1(0, 1, 3, zero, 1, up);
    kvla_h2(0, 1, 3, zero, 1, up, h, 1, 3, 1);  // zero pivot: no reflection
    EXPECT_EQ(up, 77.0) << "case: nothing to do";
    EXPECT_EQ(std::vector<double>(h, h + 3), (std::vector<double>{1, 2, 3})) << "case: idle";
}

// Never below the largest singular value and within 1e-12 of it, so an upper
// bound of |A v| / |v|, also where the entries are huge or tiny; the same for
// the transposed storage. Zero for the zero matrix, NaN for a NaN entry,
// infinity for an infinite one.
TEST(KvLaSpectralNorm, BoundsTheLargestSingularValueClosely) {
    const auto expect_bound = [](const double* a, double largest, const std::string& name) {
        const double s = kvla_spectral_norm_3x3(a);
        EXPECT_GE(s, largest) << "case: " << name;
        EXPECT_LE(s, largest * (1 + 1e-12)) << "case: " << name;
    };
    const double huge[9] = {1e300, 0, 0, 0, 1e299}, tiny[9] = {0, 0, 0, 0, 3e-300, 0, 0, 0, 1e-301};
    expect_bound(huge, 1e300, "huge");
    expect_bound(tiny, 3e-300, "tiny");
    RandomDraw g(9);
    for (int n = 0; n < 200; ++n) {
        const std::string name = "matrix " + std::to_string(n);
        KvLaDblMat a(3, 3, 0.0), left, right;
        for (int i = 0; i < 9; ++i) a.data()[i] = g.uniform(-1, 1) * (n % 2 ? 1e-3 : 1e3);
        KvArray<double> sigma;
        ASSERT_TRUE(kvla_svd(a, left, sigma, right)) << "case: " << name;
        expect_bound(a.data(), sigma[0], name);
    }
    const double zero[9] = {}, nan[9] = {1, 0, 0, 0, NAN},
                 inf[9] = {1, 0, 0, 0, 1, 0, 0, 0, -HUGE_VAL};
    EXPECT_EQ(kvla_spectral_norm_3x3(zero), 0.0) << "case: zero";
    EXPECT_TRUE(std::isnan(kvla_spectral_norm_3x3(nan))) << "case: NaN entry";
    EXPECT_EQ(kvla_spectral_norm_3x3(inf), HUGE_VAL) << "case: infinite entry";
}

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

// An affine 4 x 4 map: last row 0, 0, 0, 1, the linear part random.
KvLaDblMat affine(RandomDraw& d, int) {
    KvLaDblMat m = random(d, 4);
    for (int j = 0; j < 4; ++j) {
        m(3, j) = j == 3 ? 1.0 : 0.0;
        m(j, 3) = j == 3 ? 1.0 : d.uniform(-8000, 8000);
    }
    return m;
}

// Every kind at every order 1 .. 7 (7 takes the general path), with the
// tolerance of the geometry code, random tolerances 1e-16 .. 1e-2 (which move
// the threshold across the singular values), and a negative one: with no
// proof of full rank the small path runs the reference's decomposition, so
// its inverse has the same values.
TEST(KvLaInverse, AgreesWithTheSingularValuePath) {
    const struct {
        const char* name;
        KvLaDblMat (*make)(RandomDraw&, int);
    } kinds[] = {
        {"random", random},
        {"badly scaled", badly_scaled},
        {"nearly singular", nearly_singular},
        {"rank deficient", rank_deficient},
        {"affine", affine},
    };
    RandomDraw g(20261206);
    for (const auto& kind : kinds) {
        for (int n = 1; n <= 7; ++n) {
            for (int trial = 0; trial < 150; ++trial) {
                const KvLaDblMat a = kind.make(g, n);
                const double tol = trial % 3 == 0   ? 1e-15
                                   : trial % 3 == 1 ? std::pow(10.0, g.uniform(-16, -2))
                                                    : -1e-15;
                const std::string name = std::string(kind.name) + " order " +
                                         std::to_string(a.rows()) + " #" + std::to_string(trial);
                const Outcome r = invert(kReference, a, tol), f = invert(kFast, a, tol);
                const Outcome p = invert(kPlain, a, tol);
                ASSERT_EQ(f.ok, r.ok) << "case: " << name;
                ASSERT_EQ(p.ok, r.ok) << "case: " << name << " (plain storage)";
                EXPECT_EQ(f.rank, r.rank) << "case: " << name;
                EXPECT_EQ(p.rank, r.rank) << "case: " << name << " (plain storage)";
                if (!r.ok) continue;
                if (tol < 0.0) {
                    EXPECT_EQ(max_abs_diff(f.inverse, r.inverse), 0.0) << "case: " << name;
                } else {
                    EXPECT_LE(inverse_spread::spread(a, f.inverse, r.inverse),
                              2.0 * a.rows() * kEps)
                        << "case: " << name;
                }
                EXPECT_EQ(max_abs_diff(p.inverse, f.inverse), 0.0)
                    << "case: " << name << " (plain storage)";
            }
        }
    }
}

// The rank threshold itself: the 2 x 2 matrix with unit columns (1, 0) and
// (cos t, sin t) has singular values sqrt(1 +- cos t), whose ratio is
// tan(t / 2). Tolerances just below, at and above that ratio.
TEST(KvLaInverse, RankAtTheThreshold) {
    for (double t : {1e-3, 1e-6, 0.3}) {
        const double m[4] = {1.0, 0.0, std::cos(t), std::sin(t)}, ratio = std::tan(t / 2);
        for (double f : {0.5, 1.0 - 1e-9, 1.0, 1.0 + 1e-9, 2.0}) {
            const std::string name = "t " + std::to_string(t) + " tol/ratio " + std::to_string(f);
            const KvLaDblMat a(m, 2, 2);
            const Outcome r = invert(kReference, a, ratio * f), q = invert(kFast, a, ratio * f);
            EXPECT_EQ(q.rank, r.rank) << "case: " << name;
            EXPECT_EQ(q.ok, r.ok) << "case: " << name;
        }
    }
}

// A last row 0, 0, 0, 8 is not the affine shortcut's 0, 0, 0, 1. Refusals
// write nothing.
TEST(KvLaInverse, PlainStorageDiagonalAndRefusals) {
    const std::vector<double> a = {2, 0, 0, 0, 0, -4, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 8};
    std::vector<double> out(16);
    ASSERT_TRUE(kvla_inverse(a.data(), 4, out.data(), 1e-15, nullptr)) << "case: diagonal";
    EXPECT_EQ(out, (std::vector<double>{0.5, 0, 0, 0, 0, -0.25, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0.125}))
        << "case: diagonal";
    const double with_nan[4] = {1, 0, std::nan(""), 1};
    double none[4] = {7, 7, 7, 7};
    int rank = -1;
    EXPECT_FALSE(kvla_inverse(with_nan, 2, none, 1e-15, &rank)) << "case: NaN";
    EXPECT_EQ(rank, 0) << "case: NaN";
    EXPECT_FALSE(kvla_inverse(nullptr, 2, none, 1e-15, &rank)) << "case: null matrix";
    EXPECT_EQ(none[0], 7.0) << "case: nothing written";
}

// Matrices up to 6 x 6 live inside the object, larger ones on the heap; a
// move takes whichever holds the elements and leaves the source empty.
TEST(KvLaDblMat, MoveAcrossTheInlineLimit) {
    KvLaDblMat big(7, 7, 9.0), small(2, 3, 5.0);
    KvLaDblMat moved(std::move(big));
    EXPECT_EQ(moved(6, 6), 9.0) << "case: move of a heap matrix";
    EXPECT_EQ(big.rows(), 0) << "case: moved-from heap matrix";  // NOLINT(bugprone-use-after-move)
    moved = std::move(small);
    EXPECT_EQ(moved(1, 2), 5.0) << "case: heap matrix move-assigned a small one";
}

}  // namespace
