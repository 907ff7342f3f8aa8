#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv3d/Kv3dApply.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/Kv3dVector.h>

#include <sstream>
#include <vector>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo section on the affine transform.

namespace kv3dcli {

namespace {

template <class T>
T moved(T value, const Kv3dTransform& transform) {
    value.apply(transform);
    return value;
}

}  // namespace

void demo_transform(ReportWriter& r) {
    const double quarter_turn[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const Kv3dTransform turn(quarter_turn);
    const Kv3dTransform shift(Kv3dVector(10, 0, 0));
    const Kv3dTransform scale(2.0, Kv3dPoint(1, 1, 1));
    const Kv3dPoint p(1, 0, 0);

    r.begin_section("transform", "Affine transform");
    r.point("p", "p", p);
    r.point("turned", "turned a quarter about z", moved(p, turn));
    r.point("shifted", "shifted by (10, 0, 0)", moved(p, shift));
    r.point("scaled", "scaled by 2 about (1, 1, 1)", moved(p, scale));
    r.vector("vector_shifted", "vector (1, 0, 0) shifted", moved(Kv3dVector(1, 0, 0), shift));
    r.direction("direction_scaled", "direction (1, 1, 0) scaled by (1, 3, 1)",
                moved(Kv3dDirection(1, 1, 0), Kv3dTransform(1.0, 3.0, 1.0, Kv3dPoint())));

    Kv3dTransform composed = turn;
    composed.apply(shift);
    r.matrix("turn_then_shift", "turn, then shift", composed.as_matrix());
    r.point("composed_p", "p turned, then shifted", moved(p, composed));
    Kv3dTransform inverse = composed;
    const bool inverted = inverse.invert();
    r.flag("invertible", "inverted", inverted);
    r.point("inverse_back", "back through the inverse", moved(moved(p, composed), inverse));
    r.flag("turn_orient_preserving", "turn keeps orientation", turn.is_orient_preserving());
    r.flag("mirror_orient_preserving", "mirror x keeps orientation",
           Kv3dTransform(-1.0, 1.0, 1.0, Kv3dPoint()).is_orient_preserving());
    const double flat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    r.flag("flattening_invertible", "flattening onto z = 0 invertible",
           Kv3dTransform(flat).is_invertible());

    KvArray<Kv3dPoint> square{Kv3dPoint(0, 0, 0), Kv3dPoint(1, 0, 0), Kv3dPoint(1, 1, 0),
                              Kv3dPoint(0, 1, 0)};
    Kv3d_apply(composed, square);
    r.point_list("square_moved", "unit square turned and shifted",
                 std::vector<Kv3dPoint>(square.begin(), square.end()));

    std::ostringstream text;
    KvJournal journal(text);
    composed.debug(journal, static_cast<KvDebug>(1), false, 0);
    r.lines("journal", "journal text", split_lines(text.str()));
    r.end_section();
}

}  // namespace kv3dcli
