#pragma once

#include <kv3d/kv3d.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "support/RandomDraw.h"

namespace fit_test {

using P = Kv3dPoint;
using V = Kv3dVector;
using Points = KvArray<Kv3dPoint>;

inline P moved(P p, const Kv3dTransform& T) { return p.apply(T); }

inline bool same_matrix(const Kv3dTransform& A, const Kv3dTransform& B) {
    return std::memcmp(A.as_matrix(), B.as_matrix(), 16 * sizeof(double)) == 0;
}

// A rigid motion: a screw about a random axis through the point at.
inline Kv3dTransform random_motion(RandomDraw& g, const P& at) {
    const double x = g.uniform(-1, 1), y = g.uniform(-1, 1), z = g.uniform(-1, 1);
    Kv3dTransform T(P(0, 0, 0), V(x, y, z), g.uniform(0.1, 3.0), 0.0);
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
