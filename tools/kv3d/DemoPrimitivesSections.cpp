#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv/KvTrianglePar.h>
#include <kv/KvUVPar.h>
#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dLine.h>
#include <kv3d/Kv3dParabola.h>
#include <kv3d/Kv3dPlane.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dRay.h>
#include <kv3d/Kv3dTriangle.h>
#include <kv3d/Kv3dTypes.h>

#include <sstream>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo sections on the primitives.

namespace kv3dcli {

namespace {

const char* intersection_name(Kv3d::IntersectionType type) {
    switch (type) {
        case Kv3d::COINCIDENT:
            return "coincident";
        case Kv3d::PARALLEL:
            return "parallel";
        case Kv3d::CONTAINED:
            return "contained";
        case Kv3d::INTERSECTING:
            return "intersecting";
        case Kv3d::SKEW:
            return "skew";
    }
    return "unknown";
}

}  // namespace

void demo_line_and_plane(ReportWriter& r) {
    const Kv3dLine x_axis(Kv3dPoint(0, 0, 0), Kv3dPoint(1, 0, 0));
    const Kv3dLine crossing(Kv3dPoint(2, -1, 0), Kv3dVector(0, 1, 0));
    const Kv3dLine above(Kv3dPoint(2, -1, 3), Kv3dVector(0, 1, 0));
    const Kv3dPoint q(3, 4, 0);
    r.begin_section("line_and_plane", "Lines, rays and planes");
    r.point("line_image", "foot of (3,4,0) on the x axis", x_axis.image(q));
    r.number("line_distance", "distance of (3,4,0) from the x axis", x_axis.distance(q));
    Kv3dPoint common;
    double t_this = 0.0;
    double t_other = 0.0;
    r.text("lines_crossing", "x axis and line x=2 in z=0",
           intersection_name(x_axis.intersect(crossing, &common, &t_this, &t_other)));
    r.point("lines_common_point", "common point", common);
    r.text("lines_skew", "x axis and line x=2 in z=3",
           intersection_name(x_axis.intersect(above, nullptr, nullptr, nullptr)));
    r.number("lines_distance", "distance between them", x_axis.distance(above));
    r.flag("line_meets_box", "x axis meets box (5,-1,-1)..(6,1,1)", [&] {
        Kv3dBBox box(Kv3dPoint(5, -1, -1));
        box.update_bbox(Kv3dPoint(6, 1, 1));
        return x_axis.intersect(box);
    }());
    const Kv3dRay ray(Kv3dPoint(0, 0, 0), Kv3dDirection(1, 1, 0));
    r.number("ray_distance", "(3,4,0) from ray (0,0,0) along (1,1,0)", ray.distance(q));

    const Kv3dPlane tilted(Kv3dPoint(0, 0, 1), Kv3dPoint(1, 0, 2), Kv3dPoint(0, 1, 1));
    r.direction("plane_normal", "normal of plane through 3 points", tilted.normal());
    r.number("plane_distance", "signed distance of (3,4,0)", tilted.distance(q));
    r.point("plane_image", "foot of (3,4,0) on the plane", tilted.image(q));
    Kv3dPoint hit;
    KvUVPar uv;
    double t = 0.0;
    const Kv3dLine vertical(Kv3dPoint(1, 1, -5), Kv3dVector(0, 0, 1));
    r.text("plane_line", "plane and vertical line at x=y=1",
           intersection_name(tilted.intersect(vertical, &hit, &uv, &t)));
    r.point("plane_line_point", "common point", hit);
    Kv3dLine cut;
    r.text("plane_plane", "plane and z = 0",
           intersection_name(tilted.intersect(Kv3dPlane(), &cut)));
    r.point("plane_plane_point", "common line through", cut.basepoint());
    r.direction("plane_plane_direction", "common line along", cut.direction());
    r.end_section();
}

void demo_triangle(ReportWriter& r) {
    const Kv3dTriangle t(Kv3dPoint(0, 0, 0), Kv3dPoint(1, 0, 0), Kv3dPoint(0, 1, 0));
    const KvTrianglePar w = t.find_parameter(Kv3dPoint(0.25, 0.25, 7));
    r.begin_section("triangle", "Triangle (0,0,0), (1,0,0), (0,1,0)");
    r.direction("normal", "normal", t.normal());
    r.number("area", "area", t.area());
    r.point("center_of_area", "centre of area", t.center_of_area());
    r.point("bbox_max", "box maximum", t.bbox().bbmax());
    r.triple("weights", "weights of (0.25, 0.25, 7)", w[0], w[1], w[2]);
    r.point("image", "image of (0.25, 0.25, 7)", t.image(Kv3dPoint(0.25, 0.25, 7)));
    r.flag("segment_through", "meets segment (.25,.25,-1)-(.25,.25,1)",
           t.intersect(Kv3dLine(Kv3dPoint(0.25, 0.25, -1), Kv3dPoint(0.25, 0.25, 1))));
    r.flag("segment_beside", "meets segment (.75,.75,-1)-(.75,.75,1)",
           t.intersect(Kv3dLine(Kv3dPoint(0.75, 0.75, -1), Kv3dPoint(0.75, 0.75, 1))));
    r.flag("chain_link", "meets a triangle linked like a chain",
           t.intersect(Kv3dTriangle(Kv3dPoint(0.2, 0.2, -1), Kv3dPoint(0.2, 0.2, 1),
                                    Kv3dPoint(-1, -1, 0))));
    r.flag("parallel_above", "meets its copy lifted by 1",
           t.intersect(Kv3dTriangle(Kv3dPoint(0, 0, 1), Kv3dPoint(1, 0, 1), Kv3dPoint(0, 1, 1))));
    r.flag("coplanar_inside", "meets a smaller coplanar one inside it",
           t.intersect(Kv3dTriangle(Kv3dPoint(0.1, 0.1, 0), Kv3dPoint(0.3, 0.15, 0),
                                    Kv3dPoint(0.15, 0.4, 0))));
    r.flag(
        "degenerate_valid", "triangle with a repeated vertex valid",
        Kv3dTriangle(Kv3dPoint(1, 1, 1), Kv3dPoint(1, 1, 1), Kv3dPoint(2, 2, 2)).numerical_valid());
    r.end_section();
}

void demo_parabola(ReportWriter& r) {
    const Kv3dParabola arc(
        KvArray<Kv3dPoint>{Kv3dPoint(0, 0, 0), Kv3dPoint(1, 2, 0), Kv3dPoint(2, 0, 0)});
    const Kv3dPoint above(1, 3, 0);
    r.begin_section("parabola", "Parabola through three control points");
    r.point("p0", "p0", arc[0]);
    r.point("p1", "p1 (where the end tangents meet)", arc[1]);
    r.point("p2", "p2", arc[2]);
    r.flag("valid", "valid", arc.is_valid());
    r.point("at_0_5", "point at t = 0.5", arc.evaluate(0.5));
    r.point("query", "query point q", above);
    r.number("foot_parameter", "parameter of the foot of q", arc.find_parameter(above, nullptr));
    r.number("distance", "distance of q", arc.distance(above));
    r.flag("contains_apex", "contains (1, 1, 0)", arc.contains(Kv3dPoint(1, 1, 0)));
    r.flag("contains_q", "contains q", arc.contains(above));
    std::ostringstream text;
    KvJournal journal(text);
    journal << arc;
    r.lines("journal", "journal text", split_lines(text.str()));
    r.end_section();
}

}  // namespace kv3dcli
