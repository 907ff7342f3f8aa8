#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv/KvPair.h>
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

void demo_point_pair_fit(ReportWriter& r) {
    using Pair = KvPair<Kv3dPoint, Kv3dPoint>;
    KvArray<Pair> two{Pair(Kv3dPoint(0, 0, 0), Kv3dPoint(1, 1, 1)),
                      Pair(Kv3dPoint(1, 0, 0), Kv3dPoint(1, 3, 1))};
    const Kv3dPoint p(1, 0, 0);
    r.begin_section("point_pair_fit", "Transform fitted to point pairs");
    r.note("two pairs: (0,0,0) -> (1,1,1) and (1,0,0) -> (1,3,1)");
    r.point("rigid_p", "rigid fit moves (1,0,0) to",
            moved(p, Kv3dTransform(two, Kv3dTransform::RIGID)));
    r.point("similarity_p", "similarity fit moves (1,0,0) to",
            moved(p, Kv3dTransform(two, Kv3dTransform::SIMILARITY)));

    // A triangle and its copy turned a quarter about z and shifted by (5, 0, 2).
    KvArray<Pair> three{Pair(Kv3dPoint(0, 0, 0), Kv3dPoint(5, 0, 2)),
                        Pair(Kv3dPoint(2, 0, 0), Kv3dPoint(5, 2, 2)),
                        Pair(Kv3dPoint(0, 1, 0), Kv3dPoint(4, 0, 2))};
    const Kv3dTransform rigid(three, Kv3dTransform::RIGID);
    r.note("a triangle and its copy turned a quarter about z, shifted by (5, 0, 2)");
    r.matrix("rigid_matrix", "rigid fit", rigid.as_matrix());
    r.flag("rigid_orthonormal", "marked orthonormal", rigid.is_orthonormal());

    // Four pairs fix an affine map: here a shear x' = x + z and a stretch y' = 3 y.
    KvArray<Pair> four{
        Pair(Kv3dPoint(0, 0, 0), Kv3dPoint(0, 0, 0)), Pair(Kv3dPoint(1, 0, 0), Kv3dPoint(1, 0, 0)),
        Pair(Kv3dPoint(0, 1, 0), Kv3dPoint(0, 3, 0)), Pair(Kv3dPoint(0, 0, 1), Kv3dPoint(1, 0, 1))};
    const Kv3dTransform affine(four, Kv3dTransform::AFFINE);
    r.note("four pairs of a shear x' = x + z and a stretch y' = 3 y");
    r.matrix("affine_matrix", "affine fit", affine.as_matrix());
    r.point("affine_1_1_1", "affine fit moves (1,1,1) to", moved(Kv3dPoint(1, 1, 1), affine));
    r.end_section();
}

}  // namespace kv3dcli
