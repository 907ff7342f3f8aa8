#include <kv/KvMatrix.h>
#include <kv/KvUVWPar.h>
#include <kv3d/Kv3dCartesCoordSys.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dRotation.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/Kv3dVector.h>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo section on coordinate systems, rotations and cylindrical coordinates.

namespace kv3dcli {

void demo_rotations(ReportWriter& r) {
    constexpr double kHalfPi = 1.5707963267948966;
    r.begin_section("rotations", "Coordinate systems and rotations");
    r.vector("rotate_x_about_z", "(1,0,0) turned 90 degrees about z",
             Kv3d_rotate_vector(Kv3dVector(1, 0, 0), Kv3dVector(0, 0, 1), kHalfPi));
    r.vector("orthogonal_vector", "a vector orthogonal to (1,2,3)",
             Kv3d_orthogonal_vector(Kv3dVector(1, 2, 3)));
    KvMatrix<double> R;
    Kv3d_get_rotation_matrix(Kv3dDirection(1, 0, 0), Kv3dDirection(0, 1, 0), R, false);
    Kv3dVector v(1, 0, 1);
    Kv3d_apply(R, v);
    r.vector("rotation_x_to_y", "(1,0,1) by the turn taking x to y", v);

    Kv3dPoint p(0, 2, 5);
    Kv3d_trafo_cartesian_to_cylindrical(p);
    r.point("cylindrical", "(0,2,5) as (r, phi, z)", p);
    Kv3d_trafo_cylindrical_to_cartesian(p);
    r.point("cartesian_again", "and back", p);

    // A frame at (1, 1, 0) with x along (1, 1, 0) and y towards (-1, 1, 0).
    const Kv3dCartesCoordSys frame(Kv3dPoint(1, 1, 0), Kv3dVector(1, 1, 0), Kv3dVector(-1, 1, 0));
    const KvUVWPar local = frame.find_parameter(Kv3dPoint(2, 2, 3));
    r.triple("local_coordinates", "(2,2,3) in frame at (1,1,0), x (1,1,0)", local.u, local.v,
             local.w);
    Kv3dPoint back(local.u, local.v, local.w);
    back.apply(Kv3dTransform(frame));
    r.point("global_again", "back to global coordinates", back);
    const Kv3dTransform screw(Kv3dPoint(0, 0, 0), Kv3dVector(0, 0, 1), kHalfPi, 2.0);
    Kv3dPoint s(1, 0, 0);
    s.apply(screw);
    r.point("screw", "(1,0,0) turned 90 deg about z, up 2", s);
    r.end_section();
}

}  // namespace kv3dcli
