#pragma once

#include <kv3d/kv3d.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace fit_test {

using P = Kv3dPoint;
using V = Kv3dVector;
using Points = KvArray<Kv3dPoint>;

// Components of points, vectors and directions, each named with the case.
template <class A, class B>
void expect_near(const A& a, const B& b, double tol, const std::string& name) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(a[i], b[i], tol) << "case: " << name << ", component " << i;
    }
}

// Bit-equal components (0.0 and -0.0 differ).
template <class A, class B>
bool same_bits(const A& a, const B& b) {
    for (int i = 0; i < 3; ++i) {
        const double x = a[i], y = b[i];
        if (std::memcmp(&x, &y, sizeof x) != 0) return false;
    }
    return true;
}

inline bool same_plane(const Kv3dPlane& a, const Kv3dPlane& b) {
    return same_bits(a.basepoint(), b.basepoint()) && same_bits(a.normal(), b.normal()) &&
           same_bits(a.u_axis(), b.u_axis()) && same_bits(a.v_axis(), b.v_axis());
}

inline P moved(P p, const Kv3dTransform& T) { return p.apply(T); }

inline bool same_matrix(const Kv3dTransform& A, const Kv3dTransform& B) {
    return std::memcmp(A.as_matrix(), B.as_matrix(), 16 * sizeof(double)) == 0;
}

inline double uniform(std::mt19937& rng, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

// A rigid motion: a screw about a random axis through the point at.
inline Kv3dTransform random_motion(std::mt19937& rng, const P& at) {
    const double x = uniform(rng, -1, 1), y = uniform(rng, -1, 1), z = uniform(rng, -1, 1);
    const double angle = uniform(rng, 0.1, 3.0);
    Kv3dTransform T(P(0, 0, 0), V(x, y, z), angle, 0.0);
    T.apply(Kv3dTransform(at.as_vector()));
    return T;
}

// A point (x'', y'', 0) of the canonical curve of a conic type at parameter
// s; branch (+1 or -1) picks the hyperbola's branch or one of two lines.
inline P canonical(int type, double a, double b, double s, int branch = 1) {
    const P forms[] = {P(a * std::cos(s), b * std::sin(s), 0),             // ellipse
                       P(branch * a * std::cosh(s), b * std::sinh(s), 0),  // hyperbola
                       P(s, -s * s / (2 * a * a), 0),                      // parabola
                       P(branch * a * s, s, 0),                            // crossing lines
                       P(branch * a, s, 0),                                // parallel lines
                       P(0, s, 0)};                                        // one line
    return forms[type >= 0 && type < 5 ? type : 5];
}

}  // namespace fit_test
