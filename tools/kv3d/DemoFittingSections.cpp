#include <kv/KvArray.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dFitting.h>
#include <kv3d/Kv3dPlane.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>
#include <kvla/KvLaDblMat.h>

#include <cmath>

#include "ConicCanonical.h"
#include "DemoSections.h"
#include "ReportWriter.h"

// Demo sections on plane and conic fitting.

namespace kv3dcli {

namespace {

// One fitted conic: type, shape values and the canonical origin in model space.
void conic_lines(ReportWriter& r, const std::string& key, bool found, int type, double a, double b,
                 const Kv3dTransform& T) {
    r.text(key + "_type", "type", found ? conic_type_name(type) : "none");
    r.number(key + "_a", "a", a);
    r.number(key + "_b", "b", b);
    r.point(key + "_origin", conic_origin_name(type), Kv3dPoint(0, 0, 0).apply(T));
}

}  // namespace

void demo_plane_fit(ReportWriter& r) {
    // Six points scattered about the plane z = x / 2 + 5.
    const KvArray<Kv3dPoint> points{Kv3dPoint(0, 0, 5.01), Kv3dPoint(4, 0, 6.99),
                                    Kv3dPoint(4, 3, 7.02), Kv3dPoint(0, 3, 4.98),
                                    Kv3dPoint(2, 1.5, 6),  Kv3dPoint(-2, 1, 3.99)};
    const Kv3dPlane plane = Kv3d_fit_plane_to_points(points);
    r.begin_section("plane_fit", "Least-squares plane of six points near z = x/2 + 5");
    r.point("center_of_gravity", "centre of gravity", Kv3d_center_of_gravity(points));
    r.direction("normal", "normal", plane.normal());
    r.vector("u_axis", "u axis (largest spread)", plane.u_axis());
    r.vector("v_axis", "v axis", plane.v_axis());
    // An outlier with weight 0 changes nothing; the weights enter squared.
    KvArray<Kv3dPoint> with_outlier = points;
    with_outlier.append(Kv3dPoint(0, 0, 100));
    const KvArray<double> weights{1, -1, 1, -1, 1, 1, 0};
    r.direction("weighted_normal", "normal, outlier at weight 0",
                Kv3d_fit_plane_to_points(with_outlier, weights).normal());
    r.end_section();
}

void demo_conic_fit(ReportWriter& r) {
    int type = -1;
    double a = 0.0;
    double b = 0.0;
    Kv3dTransform T;
    r.begin_section("conic_fit", "Conics through points and tangents");

    r.note("x^2/4 + y^2 = 1 in the plane z = 3, five points:");
    const KvArray<Kv3dPoint> ellipse{Kv3dPoint(2, 0, 3), Kv3dPoint(0, 1, 3), Kv3dPoint(-2, 0, 3),
                                     Kv3dPoint(0, -1, 3),
                                     Kv3dPoint(std::sqrt(2.0), std::sqrt(0.5), 3)};
    bool found = kv3d_conic_data_from_points_3d(ellipse, type, a, b, T);
    conic_lines(r, "ellipse", found, type, a, b, T);

    r.note("y = x^2 through three points, with the tangents at both ends:");
    const KvArray<Kv3dPoint> parabola{Kv3dPoint(-1, 1, 0), Kv3dPoint(0, 0, 0), Kv3dPoint(1, 1, 0)};
    const Kv3dDirection first(1, -2, 0), last(1, 2, 0);
    found = Kv3d_conic_from_points_and_tangents(parabola, type, a, b, T, &first, &last);
    conic_lines(r, "parabola", found, type, a, b, T);

    r.note("x^2 - 4 y^2 = 4 classified directly:");
    KvLaDblMat Q(2, 2, 0.0), L(1, 2, 0.0), rotation, translation;
    Q(0, 0) = 1.0;
    Q(1, 1) = -4.0;
    Kv3d_classify_conic_2d(Q, L, -4.0, type, a, b, rotation, translation);
    r.text("hyperbola_type", "type", conic_type_name(type));
    r.number("hyperbola_a", "a", a);
    r.number("hyperbola_b", "b", b);

    r.note("five points on one line:");
    const KvArray<Kv3dPoint> line{Kv3dPoint(1, 1, 1), Kv3dPoint(2, 3, 1), Kv3dPoint(3, 5, 1),
                                  Kv3dPoint(5, 9, 1), Kv3dPoint(8, 15, 1)};
    found = kv3d_conic_data_from_points_3d(line, type, a, b, T);
    r.text("line_type", "type", found ? conic_type_name(type) : "none");
    r.direction("line_direction", "along", Kv3dDirection(0, 1, 0).apply(T));
    r.end_section();
}

}  // namespace kv3dcli
