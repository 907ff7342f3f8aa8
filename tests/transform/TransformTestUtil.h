#pragma once

#include <kv3d/kv3d.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "support/NamedCases.h"
#include "support/RandomDraw.h"

namespace xf_test {

using P = Kv3dPoint;
using V = Kv3dVector;
const double kZero[16] = {};

// Points, vectors and directions, component by component.
template <class A, class B>
void expect_near(const std::string& name, const A& a, const B& b, double tol) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tol) << "case: " << name << ", " << i;
}

inline P moved(const Kv3dTransform& T, P p) { return p.apply(T); }
inline bool same_matrix(const Kv3dTransform& T, const double* m) {
    return std::memcmp(T.as_matrix(), m, 16 * sizeof(double)) == 0;
}
inline bool same_matrix(const Kv3dTransform& T, const Kv3dTransform& U) {
    return same_matrix(T, U.as_matrix());
}

// The point with parameters (u[0], u[1], u[2]) in c; parameters as a point.
inline P at(const Kv3dCoordSys& c, const P& u) { return c.evaluate(KvUVWPar(u[0], u[1], u[2])); }
inline P uvw(const KvUVWPar& a) { return P(a.u, a.v, a.w); }

template <class T>
std::string debug_text(const T& obj, int level, int indent) {
    std::ostringstream out;
    KvJournal journal(out);
    obj.debug(journal, static_cast<KvDebug>(level), false, indent);
    return out.str();
}

}  // namespace xf_test
