// Arbitrary doubles through the geometry: every value the input can spell
// (NaN, infinities, subnormals, huge magnitudes) reaches the constructors,
// projections, intersections and transforms. Nothing may crash, hang, read
// out of bounds or trip UBSan; a few invariants that hold for any finite
// input are checked on the way.
#include <kv3d/kv3d.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "FuzzInput.h"

using kv3dfuzz::check;
using kv3dfuzz::DoubleSource;

namespace {

bool finite(const Kv3dPoint& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

void exercise_lines_and_planes(DoubleSource& in, const Kv3dBBox& box) {
    const Kv3dLine a(in.point(), in.vector());
    const Kv3dLine b(in.point(), in.point());
    Kv3dPoint point;
    double s = 0.0;
    double t = 0.0;
    a.intersect(b, &point, &s, &t);
    a.distance(b);
    a.intersect(box);
    a.contains(in.point());

    const Kv3dPlane plane(in.point(), Kv3dDirection(in.next(), in.next(), in.next()), nullptr);
    const Kv3dPlane other(in.point(), in.point(), in.point());
    KvUVPar uv;
    Kv3dLine cut;
    plane.intersect(a, &point, &uv, &t);
    plane.intersect(other, &cut);
    plane.intersect(box);
    plane.find_parameter(in.point());
    Kv3dTransform(plane, in.next()).invert();

    const Kv3dRay ray(in.point(), Kv3dDirection(in.next(), in.next(), in.next()));
    const double d2 = ray.distance_sqr(in.point());
    check(!(d2 < 0.0));
}

void exercise_triangles(DoubleSource& in) {
    const Kv3dTriangle a(in.point(), in.point(), in.point());
    const Kv3dTriangle b(in.point(), in.point(), in.point());
    const Kv3dLine segment(in.point(), in.vector());
    a.intersect(segment);
    a.intersect(b);
    a.find_parameter(in.point());
    a.normal();
    a.area();
    const Kv3dBBox box = a.bbox();
    if (a.numerical_valid() && finite(a.p0()) && finite(a.p1()) && finite(a.p2())) {
        check(box.contains(a.p0()) && box.contains(a.p1()) && box.contains(a.p2()));
    }
}

void exercise_transforms(DoubleSource& in) {
    double m[16];
    for (double& e : m) {
        e = in.next();
    }
    Kv3dTransform general(m);
    Kv3dTransform copy = general;
    if (!copy.invert()) {
        check(std::memcmp(copy.as_matrix(), general.as_matrix(), sizeof m) == 0);
    }
    general.apply(Kv3dTransform(in.point(), in.vector(), in.next(), in.next()));
    Kv3dCoordSys frame(in.point(), in.vector(), in.vector(), in.vector());
    frame.find_parameter(in.point());
    Kv3dTransform(frame, Kv3dTransform::GLOBAL_TO_LOCAL);
    Kv3dCartesCoordSys cartes(in.point(), in.vector(), Kv3d::Y_AXIS, in.vector(), Kv3d::X_AXIS);
    Kv3dTransform(frame, cartes).is_orient_preserving();

    KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs;
    const int count = in.count(6);
    for (int i = 0; i < count; ++i) {
        pairs.append(KvPair<Kv3dPoint, Kv3dPoint>(in.point(), in.point()));
    }
    Kv3dTransform(pairs, static_cast<Kv3dTransform::Kv3dTransformType>(count % 4));

    KvMatrix<double> r;
    Kv3d_get_rotation_matrix(Kv3dDirection(in.next(), in.next(), in.next()),
                             Kv3dDirection(in.next(), in.next(), in.next()), r, true);
    Kv3dVector v = in.vector();
    Kv3d_apply(r, v);
    Kv3dPoint p = in.point();
    Kv3d_trafo_cartesian_to_cylindrical(p, v);
    Kv3d_trafo_cylindrical_to_cartesian(p, v);
}

void exercise_parabola(DoubleSource& in) {
    KvArray<Kv3dPoint> points;
    const int count = in.count(5);
    for (int i = 0; i < count; ++i) {
        points.append(in.point());
    }
    const Kv3dParabola parabola(points);
    const double start = in.next();
    parabola.find_parameter(in.point(), &start);
    parabola.distance(in.point());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DoubleSource in(data, size);
    KvArray<Kv3dPoint> cloud;
    for (int i = 0; i < 4; ++i) {
        cloud.append(in.point());
    }
    Kv3dBBox box(cloud);
    Kv3dBBox other(in.point());
    box.intersect(other, &other);
    box.apply(Kv3dTransform(in.next(), in.point()));

    exercise_lines_and_planes(in, box);
    exercise_triangles(in);
    exercise_transforms(in);
    exercise_parabola(in);

    std::ostringstream text;
    KvJournal journal(text);
    box.debug(journal, static_cast<KvDebug>(2), false, 2);
    return 0;
}
