#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv3d/Kv3dParabola.h>
#include <kv3d/Kv3dPoint.h>

#include <sstream>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo sections on the primitives.

namespace kv3dcli {

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
