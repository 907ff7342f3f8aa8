// Value-type operations never allocate: each case below runs a representative
// call with the process-wide allocation counter watching (operator new and
// malloc replaced in this executable; the sanitizer's allocation hook in the
// AddressSanitizer build). Batch operations on arrays may allocate once per
// call; those listed here need no allocation at all.
//
// kCases holds one row per family of types: a name and a lambda with one
// block per call group; a new call is a block in its family's row.

#include <kv3d/kv3d.h>
#include <kvla/KvLaInverse.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "support/AllocationCounter.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using D = Kv3dDirection;

// Inputs, built before any counting starts.
const P p(1, 2, 3), q(-2, 0.5, 4), r(0.3, -1, 2);
const V u(1, 0.5, -2), v(0.2, 3, 1);
const D d(1, 1, 2);
const Kv3dBBox box = Kv3dTriangle(p, q, r).bbox(), other_box(P(5, 5, 5));
const Kv3dLine line(p, u), skew(q, v), segment(P(0.25, 0.25, -1), V(0, 0, 2));
const Kv3dRay ray(p, d);
const Kv3dPlane plane(p, u, v), other_plane(q, v, V(1, 0, 0));
const Kv3dTriangle tri(P(0, 0, 0), P(1, 0, 0), P(0, 1, 0)),
    crossing(P(0.2, 0.2, -1), P(0.3, 0.2, 1), P(0.2, 0.4, 1));
const Kv3dTriangle apart(P(0, 0, 5), P(1, 0, 5), P(0, 1, 5));
const Kv3dCoordSys general(p, u, v, V(0.5, -1, 4));
const Kv3dCartesCoordSys cartesian(q, u, v);
const Kv3dTransform screw(p, u, 0.7, 2.0), skewed(general);
const KvArray<double> coords{1, 2, 3, 4, 5, 6};
const KvArray<Kv3dPoint> points{p, q, r, P(4, -1, 0)};
KvArray<KvPair<P, P>> pairs{KvPair<P, P>(p, q), KvPair<P, P>(q, r), KvPair<P, P>(r, p),
                            KvPair<P, P>(P(4, -1, 0), P(0, 0, 1))};
KvArray<Kv3dPoint> moved_points{p, q, r};
KvMatrix<double> rotation(3, 3);
const double regular4[16] = {2, 1, 0, 0, 1, 3, 1, 0, 0, 1, 4, 1, 5, 6, 7, 1};
const double singular4[16] = {1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 1, 1, 0, 0, 1};

// Results go here so that no call is optimised away.
volatile double g_sink;
template <class T>
void sink(const T& value) {
    g_sink = static_cast<double>(sizeof value);
}
void sink(double value) { g_sink = value; }
void sink(bool value) { g_sink = value ? 1.0 : 0.0; }

struct Case {
    const char* name;
    void (*run)();
};

// clang-format off
const Case kCases[] = {
    {"Kv3dPoint, Kv3dVector, Kv3dDirection and the vector types from KvArray<double>", [] { { sink(p.distance(q) + (p + u).x() + (p - q).length()); sink(p.geom_equal(q)); } { P a = p; sink(a.apply(screw)); } { sink((u * v).direction()); sink(u % v); sink(u.parallel(v)); sink(u.orthogonal(v)); sink(u.angle(v)); } { V a = u; sink(a.apply(skewed)); } { D a(3, 4, 12); sink(a.apply(skewed)); } { sink(P(coords, 2)); sink(V(coords, 4)); sink(D(coords, 5)); } }},
    {"Kv3dBBox and Kv3dBSphere: growth, tests, apply, the box of a sphere", [] { { Kv3dBBox b(p); b.update_bbox(q); b.update_bbox(other_box); sink(b); } { sink(Kv3dBBox(points)); } { Kv3dBBox out; sink(box.intersect(other_box, &out)); sink(box.contains(r)); sink(box.intersect_extended(other_box, 0.1)); } { Kv3dBBox b = box; sink(b.apply(screw)); } { Kv3dBSphere s(p); s.update_bsphere(q); s.update_bsphere(Kv3dBSphere(r, 2.0)); sink(s); } { const Kv3dBSphere s(p, 3.0); Kv3dBSphere out; sink(s.contains(q)); sink(s.on_shell(r)); sink(s.intersect(Kv3dBSphere(q, 1.0), &out)); sink(s.intersect(box)); } { Kv3dBSphere s(p, 3.0); sink(s.apply(skewed)); Kv3dBBox b = box; b.update_bbox(s); sink(Kv3dBBox(s)); } }},
    {"Kv3dLine and Kv3dRay: projection, distances, intersections with every output, apply", [] { { sink(line.find_parameter(q)); sink(line.image(q)); sink(line.distance(skew)); sink(line.intersect(box)); } { P at; double s = 0, t = 0; sink(line.intersect(skew, &at, &s, &t)); } { Kv3dLine l = line; sink(l.apply(screw)); } { sink(ray.distance(q)); sink(ray.position(2.0)); } }},
    {"Kv3dPlane constructors, intersections, projection and apply", [] { { sink(Kv3dPlane(p, q, r)); sink(Kv3dPlane(p, d, nullptr)); } { P at; KvUVPar uv; double t = 0; sink(plane.intersect(line, &at, &uv, &t)); } { Kv3dLine l; sink(plane.intersect(other_plane, &l)); sink(plane.intersect(box)); } { Kv3dPlane a = plane; sink(a.find_parameter(q)); sink(a.apply(screw)); } }},
    {"Kv3dTriangle and Kv3dParabola: measures, intersections, apply", [] { { sink(tri.normal()); sink(tri.area()); sink(tri.bbox()); sink(tri.find_parameter(q)); } { sink(tri.intersect(segment)); sink(tri.intersect(line)); } { sink(tri.intersect(crossing)); sink(tri.intersect(apart)); } { Kv3dTriangle a = tri; sink(a.apply(skewed)); } { Kv3dParabola a(points); sink(a.evaluate(0.3)); sink(a.distance(q)); sink(a.apply(screw)); } }},
    {"Kv3dCoordSys, Kv3dCartesCoordSys and the Kv3dTransform constructors", [] { { sink(general.find_parameter(q)); sink(general.evaluate(KvUVWPar(1, 2, 3))); sink(general.geom_valid()); } { sink(Kv3dCartesCoordSys(p, u, Kv3d::Y_AXIS)); sink(Kv3dCartesCoordSys(p, u, Kv3d::X_AXIS, v, Kv3d::Z_AXIS)); sink(cartesian.find_parameter(r)); } { sink(Kv3dTransform(2.5, p)); sink(Kv3dTransform(2.0, 3.0, 0.5, p)); sink(Kv3dTransform(p, u, 0.3, 1.0)); } { sink(Kv3dTransform(plane, 0.5)); } { sink(Kv3dTransform(general, Kv3dTransform::GLOBAL_TO_LOCAL)); sink(Kv3dTransform(general, cartesian)); } { sink(Kv3dTransform(pairs, Kv3dTransform::AFFINE)); sink(Kv3dTransform(pairs, Kv3dTransform::SIMILARITY)); } }},
    {"Kv3dTransform invert, composition and predicates, Kv3d_apply, rotations, cylindrical conversion", [] { { Kv3dTransform a = skewed, b = screw; sink(a.invert()); sink(b.invert()); sink(skewed.is_invertible()); } { Kv3dTransform a = skewed; a.apply(screw); a.transpose(); sink(a.is_orient_preserving()); } { Kv3d_apply(screw, moved_points); sink(moved_points[0]); } { Kv3d_get_rotation_matrix(d, 0.4, rotation); sink(rotation(1, 2)); } { P a = p; V b = u; Kv3d_trafo_cartesian_to_cylindrical(a, b); sink(Kv3d_rotate_vector(u, v, 0.2)); } }},
    {"kvla_inverse 4 x 4 (plain storage, regular and singular, decided by the SVD), KvLaDblMat copy, product, transpose", [] { { double inv[16]; int rank = 0; sink(kvla_inverse(regular4, 4, inv, 1e-15, &rank)); sink(kvla_inverse(singular4, 4, inv, 1e-15, &rank)); } { KvLaDblMat a(regular4, 4, 4), b = a, c = a * b, e; int rank = 0; sink(kvla_inverse(c.tr(), e, 1e-15, &rank)); } }},
};
// clang-format on

// The counter itself: each call below allocates exactly once.
TEST(Allocation, CounterSeesTheHeap) {
    // Through volatile pointers, so that the compiler cannot elide the pairs.
    // clang-format off
    const Case once[] = {
        {"operator new", [] { double* volatile x = new double(1.0); delete x; }},
        {"malloc", [] { void* volatile x = std::malloc(16); std::free(x); }},
        {"a 7 x 7 KvLaDblMat", [] { KvLaDblMat m(7, 7, 0.0); sink(m(6, 6)); }},
    };
    // clang-format on
    for (const Case& c : once) {
        EXPECT_EQ(allocation_counter::during(c.run), 1u) << "case: " << c.name;
    }
}

TEST(Allocation, ValueTypesNeverAllocate) {
    for (const Case& c : kCases) {
        const auto thrice = [&c] {
            c.run();
            c.run();
            c.run();
        };
        EXPECT_EQ(allocation_counter::during(thrice), 0u) << "case: " << c.name;
    }
}

}  // namespace
