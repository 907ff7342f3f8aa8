// Builds against the installed kv3d package and makes a few calls.
#include <kv3d/kv3d.h>

#include <cstdio>
#include <iostream>

int main() {
    const Kv3dPoint a(0.0, 0.0, 0.0);
    const Kv3dPoint b(3.0, 4.0, 0.0);
    const Kv3dVector ab = b - a;
    const Kv3dDirection d = ab.direction();

    KvJournal journal(std::cout);
    journal << "distance " << a.distance(b) << kvEndExpr;
    journal << d << kvEndExpr;
    journal << "same point within tolerance: " << (a.geom_equal(Kv3dPoint(0.0005, 0, 0)) ? 1 : 0)
            << kvEndExpr;

    if (a.distance(b) != 5.0 || !d.parallel(Kv3dVector(-3.0, -4.0, 0.0))) {
        std::fprintf(stderr, "unexpected result\n");
        return 1;
    }
    return 0;
}
