#pragma once

#include <kv3d/kv3d.h>

#include <gtest/gtest.h>

#include <cmath>
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
    EXPECT_NEAR(a.x(), b.x(), tol);
    EXPECT_NEAR(a.y(), b.y(), tol);
    EXPECT_NEAR(a.z(), b.z(), tol);
}

// Equal including the sign of zero.
inline void expect_same_bits(const P& a, const P& b) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::signbit(a[i]), std::signbit(b[i]));
        EXPECT_EQ(a[i], b[i]);
    }
}

inline P moved(const Kv3dTransform& T, P p) { return p.apply(T); }

inline bool all_zero(const Kv3dTransform& T) {
    for (int i = 0; i < 16; ++i) {
        if (T.as_matrix()[i] != 0.0) {
            return false;
        }
    }
    return true;
}

inline P random_point(std::mt19937& rng, double range = 10.0) {
    std::uniform_real_distribution<double> d(-range, range);
    const double x = d(rng);
    const double y = d(rng);
    const double z = d(rng);
    return P(x, y, z);
}

inline V random_vector(std::mt19937& rng) { return random_point(rng).as_vector(); }

// Rows 0-2 random, last row 0, 0, 0, 1.
inline Kv3dTransform random_transform(std::mt19937& rng) {
    double m[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    std::uniform_real_distribution<double> d(-2.0, 2.0);
    for (int i = 0; i < 12; ++i) {
        m[i] = d(rng);
    }
    return Kv3dTransform(m);
}

template <class T>
std::string debug_text(const T& obj, int level, int indent) {
    std::ostringstream out;
    KvJournal journal(out);
    obj.debug(journal, static_cast<KvDebug>(level), false, indent);
    return out.str();
}

}  // namespace xf_test
