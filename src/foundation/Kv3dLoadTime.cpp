// The library's load-time initialisers, in one translation unit so that they
// run in the order of their definitions below: the bounding-sphere tolerance
// (from the point tolerance), the error domain's string, then the two cosine
// bounds of the angle tolerance. The constant-initialised members of the
// model resolution are valid before any of them.

#include <kv3d/Kv3dResObj.h>
#include <kv3d/detail/Kv3dLoadTime.h>

#include <cmath>

namespace {

const double kBSphereTol = Kv3dResObj::same_point_tol() * 0.001;

}  // namespace

namespace kv3d_detail {

double bsphere_tol() { return kBSphereTol; }

const KvString error_domain_string("Kv3dErr");

}  // namespace kv3d_detail

// pi/2 - 1e-7 is written as the double that the run-time subtraction gives.
double Kv3dResObj::same_angle_cos_ = std::cos(1e-7) - widen_;
double Kv3dResObj::same_ortho_cos_ = std::cos(1.5707962267948965) + widen_;
