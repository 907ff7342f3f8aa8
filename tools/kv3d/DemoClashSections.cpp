#include <kv3d/Kv3dInterference.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTriangle.h>
#include <kv3d/Kv3dVector.h>

#include <cstddef>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo section on interference checking.

namespace kv3dcli {

namespace {

// The four faces of the tetrahedron with corner o and edges of length s
// along the axes.
KvArray<Kv3dTriangle> tetrahedron(const Kv3dPoint& o, double s) {
    const Kv3dPoint x = o + Kv3dVector(s, 0, 0);
    const Kv3dPoint y = o + Kv3dVector(0, s, 0);
    const Kv3dPoint z = o + Kv3dVector(0, 0, s);
    return {Kv3dTriangle(o, y, x), Kv3dTriangle(o, x, z), Kv3dTriangle(o, z, y),
            Kv3dTriangle(x, y, z)};
}

}  // namespace

void demo_clash(ReportWriter& r) {
    // A: a tetrahedron, and a plate far away. B: a smaller tetrahedron
    // poking through A's slanted face, and a plate lying on A's base, inside it.
    KvArray<Kv3dTriangle> a = tetrahedron(Kv3dPoint(0, 0, 0), 2.0);
    a.append(Kv3dTriangle(Kv3dPoint(10, 0, 0), Kv3dPoint(11, 0, 0), Kv3dPoint(10, 1, 0)));
    KvArray<Kv3dTriangle> b = tetrahedron(Kv3dPoint(0.5, 0.5, 0.5), 1.0);
    b.append(Kv3dTriangle(Kv3dPoint(0.2, 0.2, 0), Kv3dPoint(0.6, 0.3, 0), Kv3dPoint(0.3, 0.7, 0)));
    KvArray<KvPair<std::size_t, std::size_t>> pairs;
    Kv3dInterferenceCounts counts;
    Kv3d_find_intersecting_triangles(a, b, pairs, 1, &counts);
    r.begin_section("clash", "Interference of two triangle sets");
    r.note("A: tetrahedron (0,0,0) edge 2 (faces 0-3), a plate at x = 10 (4)");
    r.note("B: tetrahedron (0.5,0.5,0.5) edge 1 (faces 0-3), a plate on A's base (4)");
    r.count("triangles_a", "triangles in A", a.size());
    r.count("triangles_b", "triangles in B", b.size());
    r.count("candidates", "pairs tested (boxes within tolerance)", counts.candidates);
    r.count("count", "intersecting pairs", pairs.size());
    r.index_pairs("pairs", "pairs (index in A, index in B)", pairs);
    r.end_section();
}

}  // namespace kv3dcli
