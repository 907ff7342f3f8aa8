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
// 0 (the shapes of every type: RandomConicsOfEveryType). With no real curve
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

// Conics of every type built from their canonical form by a random rotation,
// centre and factor come back with their type, shape values and placement.
TEST(ConicClassify, RandomConicsOfEveryType) {
    RandomDraw g(3);
    for (int trial = 0; trial < 300; ++trial) {
        const int type = trial % 6;
        const std::string name =
            "type " + std::to_string(type) + ", trial " + std::to_string(trial);
        const double a = g.uniform(1.0, 20.0), b = g.uniform(0.2, 1.0) * a;
        const double th = g.uniform(-3.2, 3.2), s = g.uniform(0.5, 4) * (trial % 4 ? 1 : -1);
        const double x0 = g.uniform(-10, 10), y0 = g.uniform(-10, 10);
        // f = A x''^2 + B y''^2 + C y'' + D, x'' = G (x - x0), G the rotation by
        // th, and the shape values expected back.
        const struct {
            double A, B, C, D, a, b;
        } forms[6] = {
            {1 / (a * a), 1 / (b * b), 0, -1, a, b},   // ellipse
            {1 / (a * a), -1 / (b * b), 0, -1, a, b},  // hyperbola
            {1 / (a * a), 0, 2, 0, a, 0},              // parabola
            {1, -(a / b) * (a / b), 0, 0, a / b, 1},   // crossing lines x = +-(a / b) y
            {1, 0, 0, -a * a, a, 0},                   // parallel lines
            {1, 0, 0, 0, 1, 0},                        // one line
        };
        const auto& [A, B, C, D, ea, eb] = forms[type];
        const double G[2][2] = {{std::cos(th), std::sin(th)}, {-std::sin(th), std::cos(th)}};
        double q[3] = {}, l[2] = {}, c = 0;
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 2; ++j) {
                const double qij = s * (A * G[0][i] * G[0][j] + B * G[1][i] * G[1][j]);
                if (i <= j) q[i + j] = qij;
                l[i] -= 2 * qij * (j == 0 ? x0 : y0);
                c += qij * (i == 0 ? x0 : y0) * (j == 0 ? x0 : y0);
            }
            l[i] += s * C * G[1][i];
        }
        c += s * (D - C * (G[1][0] * x0 + G[1][1] * y0));
        const Classified r = classify(q, l, c);
        EXPECT_EQ(r.type, type) << "case: " << name;
        EXPECT_NEAR(r.a, ea, 1e-9 * ea) << "case: " << name;
        EXPECT_NEAR(r.b, eb, 1e-9 * ea) << "case: " << name;
        expect_on_conic(r, q, l, c, 1e-9 * std::fabs(s) * (1 + x0 * x0 + y0 * y0), name);
    }
}
