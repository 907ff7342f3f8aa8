#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dBSphere.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTransform.h>

#include <cmath>
#include <sstream>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo sections on the bounding volumes.

namespace kv3dcli {

void demo_bounding_box(ReportWriter& r) {
    const double tol = Kv3dResObj::same_point_tol();
    // The corners of a small bracket.
    const KvArray<Kv3dPoint> bracket{Kv3dPoint(0, 0, 0),  Kv3dPoint(40, 0, 0),  Kv3dPoint(40, 5, 0),
                                     Kv3dPoint(5, 5, 0),  Kv3dPoint(5, 30, 0),  Kv3dPoint(0, 30, 0),
                                     Kv3dPoint(0, 0, 12), Kv3dPoint(40, 30, 12)};
    const Kv3dBBox box(bracket);
    r.begin_section("bounding_box", "Bounding box");
    r.count("points", "points of the bracket", bracket.size());
    r.point("min", "minimum", box.bbmin());
    r.point("max", "maximum", box.bbmax());
    r.vector("size", "size", box.bbmax() - box.bbmin());
    r.flag("empty_box_is_empty", "default box is empty", Kv3dBBox().is_empty());
    r.flag("contains_tol_outside", "contains a point tol outside",
           box.contains(Kv3dPoint(40 + tol, 10, 6)));
    r.flag("contains_2tol_outside", "contains a point 2 tol outside",
           box.contains(Kv3dPoint(40 + 2 * tol, 10, 6)));

    Kv3dBBox other(Kv3dPoint(30, 20, 10));
    other.update_bbox(Kv3dPoint(60, 50, 20));
    Kv3dBBox common;
    r.point("other_min", "other box minimum", other.bbmin());
    r.point("other_max", "other box maximum", other.bbmax());
    r.flag("intersects_other", "intersects the other box", box.intersect(other, &common));
    r.point("common_min", "common part minimum", common.bbmin());
    r.point("common_max", "common part maximum", common.bbmax());
    const Kv3dBBox far_box(Kv3dPoint(40.5, 0, 0));
    r.flag("intersects_0_5_away", "intersects a box 0.5 away", box.intersect(far_box, nullptr));
    r.flag("intersect_extended_0_25", "... with both widened by 0.25",
           box.intersect_extended(far_box, 0.25));

    // A quarter turn about z: (x, y, z) -> (-y, x, z).
    const double quarter_turn[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Kv3dBBox turned = box;
    turned.apply(Kv3dTransform(quarter_turn));
    r.point("turned_min", "turned a quarter about z: min", turned.bbmin());
    r.point("turned_max", "turned a quarter about z: max", turned.bbmax());

    std::ostringstream text;
    KvJournal journal(text);
    journal << box;
    r.lines("journal", "journal text", split_lines(text.str()));
    r.end_section();
}

void demo_bounding_sphere(ReportWriter& r) {
    // A flange: two rings of bolt holes and a boss on top.
    KvArray<Kv3dPoint> flange;
    for (int i = 0; i < 12; ++i) {
        const double a = i * 0.5235987755982988;
        flange.append(Kv3dPoint(60 * std::cos(a), 60 * std::sin(a), 0));
        flange.append(Kv3dPoint(35 * std::cos(a), 35 * std::sin(a), 8));
    }
    flange.append(Kv3dPoint(0, 0, 30));
    const Kv3dBSphere sphere(flange);
    const Kv3dBBox box(flange);
    r.begin_section("bounding_sphere", "Bounding sphere");
    r.count("points", "points of the flange", flange.size());
    r.point("center", "enclosing sphere: centre", sphere.center());
    r.number("radius", "enclosing sphere: radius", sphere.radius());
    r.number("box_sphere_radius", "sphere around the box: radius", Kv3dBSphere(box).radius());
    r.flag("contains_all", "contains every point", sphere.contains(flange));
    r.number("point_sphere_radius", "radius() of a point sphere",
             Kv3dBSphere(Kv3dPoint(1, 2, 3)).radius());

    Kv3dBSphere grown(Kv3dPoint(0, 0, 0), 1.0);
    grown.update_bsphere(Kv3dPoint(3, 0, 0));
    r.point("grown_center", "unit sphere grown by (3, 0, 0): centre", grown.center());
    r.number("grown_radius", "... radius (2 + b)", grown.radius());
    Kv3dBSphere meet;
    Kv3dBSphere(Kv3dPoint(0, 0, 0), 2.0).intersect(Kv3dBSphere(Kv3dPoint(3, 0, 0), 2.0), &meet);
    r.point("meet_center", "spheres r 2 at 0 and 3 on x meet: centre", meet.center());
    r.number("meet_radius", "... radius", meet.radius());
    Kv3dBBox unit(Kv3dPoint(0, 0, 0));
    unit.update_bbox(Kv3dPoint(1, 1, 1));
    r.flag("meets_box_over_edge", "sphere r 0.1 over a box edge meets it",
           Kv3dBSphere(Kv3dPoint(1.05, 1.05, 0.5), 0.1).intersect(unit));
    Kv3dBSphere scaled = sphere;
    scaled.apply(Kv3dTransform(2.0, Kv3dPoint(0, 0, 0)));
    r.number("scaled_radius", "scaled by 2: radius", scaled.radius());

    std::ostringstream text;
    KvJournal journal(text);
    journal << Kv3dBSphere(Kv3dPoint(1, 2, 3), 4.0);
    r.lines("journal", "journal text", split_lines(text.str()));
    r.end_section();
}

}  // namespace kv3dcli
