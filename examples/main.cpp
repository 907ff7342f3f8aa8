// Builds against the installed kv3d package and makes a few calls.
#include <kv3d/kv3d.h>

#include <cmath>
#include <cstdio>
#include <iostream>

int main() {
    const Kv3dPoint a(0.0, 0.0, 0.0);
    const Kv3dPoint b(3.0, 4.0, 0.0);
    const Kv3dDirection d = (b - a).direction();

    // A quarter turn about z through the origin, then 5 up along the axis.
    const Kv3dTransform screw(a, Kv3dVector(0.0, 0.0, 1.0), std::acos(0.0), 5.0);
    Kv3dPoint moved = b;
    moved.apply(screw);

    // Where a vertical line meets the plane z = 0, and whether it pierces a triangle.
    const Kv3dLine line(Kv3dPoint(0.25, 0.25, 1.0), Kv3dVector(0.0, 0.0, -2.0));
    Kv3dPoint hit;
    const Kv3d::IntersectionType kind = Kv3dPlane().intersect(line, &hit, nullptr, nullptr);
    const Kv3dTriangle triangle(a, Kv3dPoint(1, 0, 0), Kv3dPoint(0, 1, 0));

    KvJournal journal(std::cout);
    journal << "distance " << a.distance(b) << kvEndExpr;
    journal << d << kvEndExpr;
    journal << "screwed " << moved << kvEndExpr;
    journal << "plane hit " << hit << kvEndExpr;
    journal << "triangle pierced " << (triangle.intersect(line) ? 1 : 0) << kvEndExpr;

    const bool ok = a.distance(b) == 5.0 && d.parallel(Kv3dVector(-3.0, -4.0, 0.0)) &&
                    moved.geom_equal(Kv3dPoint(-4.0, 3.0, 5.0)) && kind == Kv3d::INTERSECTING &&
                    hit.geom_equal(Kv3dPoint(0.25, 0.25, 0.0)) && triangle.intersect(line);
    if (!ok) {
        std::fprintf(stderr, "unexpected result\n");
        return 1;
    }
    return 0;
}
