#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTransform.h>

#include <sstream>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo section on the bounding volumes.

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

}  // namespace kv3dcli
