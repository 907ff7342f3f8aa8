#pragma once

#include <kv3d/kv3d.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

namespace xf_test {

inline void expect_near(const Kv3dPoint& a, const Kv3dPoint& b, double tol = 1e-12) {
    EXPECT_NEAR(a.x(), b.x(), tol);
    EXPECT_NEAR(a.y(), b.y(), tol);
    EXPECT_NEAR(a.z(), b.z(), tol);
}

inline void expect_near(const Kv3dVector& a, const Kv3dVector& b, double tol = 1e-12) {
    EXPECT_NEAR(a.x(), b.x(), tol);
    EXPECT_NEAR(a.y(), b.y(), tol);
    EXPECT_NEAR(a.z(), b.z(), tol);
}

inline void expect_same_bits(const Kv3dPoint& a, const Kv3dPoint& b) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::signbit(a[i]), std::signbit(b[i]));
        EXPECT_EQ(a[i], b[i]);
    }
}

// The point rule written out as a plain reference.
inline Kv3dPoint reference_point(const Kv3dTransform& T, const Kv3dPoint& p) {
    const double* m = T.as_matrix();
    double r[3];
    for (int i = 0; i < 3; ++i) {
        r[i] = 0.0 + m[4 * i] * p.x() + m[4 * i + 1] * p.y() + m[4 * i + 2] * p.z() + m[4 * i + 3];
    }
    return Kv3dPoint(r[0], r[1], r[2]);
}

inline Kv3dTransform random_transform(std::mt19937& rng, double range = 2.0) {
    std::uniform_real_distribution<double> d(-range, range);
    double m[16];
    for (int i = 0; i < 12; ++i) {
        m[i] = d(rng);
    }
    m[12] = m[13] = m[14] = 0.0;
    m[15] = 1.0;
    return Kv3dTransform(m);
}

inline Kv3dPoint random_point(std::mt19937& rng, double range = 10.0) {
    std::uniform_real_distribution<double> d(-range, range);
    const double x = d(rng);
    const double y = d(rng);
    const double z = d(rng);
    return Kv3dPoint(x, y, z);
}

inline Kv3dVector random_vector(std::mt19937& rng, double range = 10.0) {
    return random_point(rng, range).as_vector();
}

template <class T>
std::string debug_text(const T& obj, int level, int indent) {
    std::ostringstream out;
    KvJournal journal(out);
    obj.debug(journal, static_cast<KvDebug>(level), false, indent);
    return out.str();
}

}  // namespace xf_test
