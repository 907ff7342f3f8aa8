#include <cmath>
#include <string>

#include "FittingTestUtil.h"

using namespace fit_test;

namespace {

// What a call left in its outputs; they start as sentinels.
struct Classified {
    int type = -9;
    double a = -7.0, b = -8.0;
    KvLaDblMat R = KvLaDblMat(1, 1, 42.0), t = KvLaDblMat(1, 1, 43.0);
};

Classified classify(const KvLaDblMat& Q, const KvLaDblMat& L, double c) {
    Classified r;
    Kv3d_classify_conic_2d(Q, L, c, r.type, r.a, r.b, r.R, r.t);
    return r;
}

// q holds Q's elements 00, 01 and 11, l the linear terms.
Classified classify(const double q[3], const double l[2], double c) {
    const double Q[] = {q[0], q[1], q[1], q[2]};
    return classify(KvLaDblMat(Q, 2, 2), KvLaDblMat(l, 1, 2), c);
}

// The placed canonical curve satisfies x^T Q x + L x + c = 0.
void expect_on_conic(const Classified& r, const double q[3], const double l[2], double c,
                     double tol, const std::string& name) {
    ASSERT_EQ(r.R.rows(), 2) << "case: " << name;
    ASSERT_EQ(r.t.rows(), 2) << "case: " << name;
    for (double s : {-1.5, -0.4, 0.3, 1.2}) {
        for (int branch : {-1, 1}) {
            const P u = canonical(r.type, r.a, r.b, s, branch);
            const double x = r.R(0, 0) * u.x() + r.R(0, 1) * u.y() + r.t(0, 0);
            const double y = r.R(1, 0) * u.x() + r.R(1, 1) * u.y() + r.t(1, 0);
            const double f =
                q[0] * x * x + 2 * q[1] * x * y + q[2] * y * y + l[0] * x + l[1] * y + c;
            EXPECT_NEAR(f, 0.0, tol) << "case: " << name << " at s = " << s;
        }
    }
}

const double kBelow = std::nextafter(1e-10, 0.0), kAbove = std::nextafter(1e-10, 1.0);

}  // namespace

// Eigenvalues, the constant and the linear terms below 1e-10 in size count as
// 0 (the shapes of every type, placed anywhere: ConicFit). With no real curve
// only the type (-1) is written (a, b keep their values).
TEST(ConicClassify, FlushesAndNoRealCurve) {
    const struct Case {
        const char* name;
        double q[3], l[2], c;
        int type;
        double a, b;
        double tol = 1e-12;  // how far the placed curve may be off: a flushed term
    } cases[] = {
        {"eigenvalue 1e-10", {1, 0, 1e-10}, {0, 0}, -1, 0, 1e5, 1},
        {"eigenvalue below 1e-10", {1, 0, kBelow}, {0, 0}, -1, 4, 1, 0, 3e-10},
        {"eigenvalue above 1e-10", {1, 0, kAbove}, {0, 0}, -1, 0, 1 / std::sqrt(kAbove), 1},
        {"eigenvalue -1e-10", {1, 0, -1e-10}, {0, 0}, -1, 1, 1, 1e5},
        {"eigenvalue above -1e-10", {1, 0, -kBelow}, {0, 0}, -1, 4, 1, 0, 3e-10},
        {"constant 1e-10", {1, 0, 1}, {0, 0}, -1e-10, 0, 1e-5, 1e-5},
        {"constant below 1e-10", {1, 0, 1}, {0, 0}, -kBelow, -1, -7, -8},
        {"linear term 1e-10", {1, 0, 0}, {0, -1e-10}, 0, 2, std::sqrt(5e-11), 0},
        {"linear term below 1e-10", {1, 0, 0}, {0, -kBelow}, 0, 5, 1, 0, 3e-10},
        {"both eigenvalues below 1e-10", {1e-11, 0, -1e-11}, {1, 0}, 0, -1, -7, -8},
        {"x^2 + 1 = 0", {1, 0, 0}, {0, 0}, 1, -1, -7, -8},
        {"x^2 + y^2 + 1 = 0", {1, 0, 1}, {0, 0}, 1, -1, -7, -8},
        {"the point x^2 + y^2 = 0", {1, 0, 1}, {0, 0}, 0, -1, -7, -8},
        {"no quadratic part", {0, 0, 0}, {1, 2}, 3, -1, -7, -8},
        {"NaN in Q", {std::nan(""), 0, 1}, {0, 0}, -1, -1, -7, -8},
    };
    for (const Case& k : cases) {
        const Classified r = classify(k.q, k.l, k.c);
        EXPECT_EQ(r.type, k.type) << "case: " << k.name;
        EXPECT_NEAR(r.a, k.a, 1e-14 * std::fabs(k.a)) << "case: " << k.name;
        EXPECT_NEAR(r.b, k.b, 1e-14 * std::fabs(k.a)) << "case: " << k.name;
        if (k.type >= 0) expect_on_conic(r, k.q, k.l, k.c, k.tol, k.name);
    }
}

// A circle is not swapped (the swap needs k0 > k1): the rotation is the
// eigenvector matrix itself. Missing elements of L, or of Q, read as 0.
TEST(ConicClassify, CircleKeepsTheEigenvectorFrame) {
    KvLaDblMat I(2, 2, 0.0), E;
    I(0, 0) = I(1, 1) = 1.0;
    KvArray<double> values;
    kvla_eigenvector_basis(I, values, E);
    const Classified circle = classify(I, KvLaDblMat(), -1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(circle.R.data()[i], E.data()[i]) << "case: circle, element " << i;
    }
    EXPECT_EQ(circle.a, 1.0) << "case: circle, empty L";
    EXPECT_EQ(classify(KvLaDblMat(), KvLaDblMat(), -1).type, -1) << "case: empty Q and L";
}
