#pragma once

#include <kv3d/kv3d.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

namespace xf_test {

using P = Kv3dPoint;
using V = Kv3dVector;
using Pairs = KvArray<KvPair<Kv3dPoint, Kv3dPoint>>;
const double kPi = 3.141592653589793;

// Points, vectors and directions, component by component.
template <class A, class B>
void expect_near(const A& a, const B& b, double tol = 1e-12) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tol) << "component " << i;
}

inline P moved(const Kv3dTransform& T, P p) { return p.apply(T); }
inline bool same_matrix(const Kv3dTransform& T, const double* m) {
    return std::memcmp(T.as_matrix(), m, 16 * sizeof(double)) == 0;
}
inline bool same_matrix(const Kv3dTransform& T, const Kv3dTransform& U) {
    return same_matrix(T, U.as_matrix());
}
const double kZero[16] = {};

// The point with parameters (u[0], u[1], u[2]) in c; parameters as a point.
inline P at(const Kv3dCoordSys& c, const P& u) { return c.evaluate(KvUVWPar(u[0], u[1], u[2])); }
inline P uvw(const KvUVWPar& a) { return P(a.u, a.v, a.w); }

inline P random_point(std::mt19937& rng, double range = 10.0) {
    std::uniform_real_distribution<double> d(-range, range);
    const double x = d(rng), y = d(rng), z = d(rng);  // drawn in this order
    return P(x, y, z);
}
inline V random_vector(std::mt19937& rng) { return random_point(rng).as_vector(); }
inline Kv3dCoordSys random_system(std::mt19937& rng) {
    const P p = random_point(rng);
    const V x = random_vector(rng), y = random_vector(rng), z = random_vector(rng);
    return Kv3dCoordSys(p, x, y, z);
}
// Its frame: rows 0-2 random, last row 0, 0, 0, 1, unmarked.
inline Kv3dTransform random_transform(std::mt19937& r) { return Kv3dTransform(random_system(r)); }

template <class T>
std::string debug_text(const T& obj, int level, int indent) {
    std::ostringstream out;
    KvJournal journal(out);
    obj.debug(journal, static_cast<KvDebug>(level), false, indent);
    return out.str();
}

}  // namespace xf_test
