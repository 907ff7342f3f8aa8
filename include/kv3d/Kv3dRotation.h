#pragma once

#include <kv/KvArray.h>
#include <kv/KvMatrix.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

// A vector perpendicular to v with the length of v: the global unit axis
// along v's smallest component (ties to the lower index) minus its part along
// v, normalised and scaled. The zero vector for a numerically zero v.
KV3D_API Kv3dVector Kv3d_orthogonal_vector(const Kv3dVector& v);

// The unit direction perpendicular to d that Kv3d_orthogonal_vector scales:
// the global axis along d's smallest component minus its part along d,
// normalised; the x axis for the zero direction.
KV3D_API Kv3dDirection Kv3d_orthogonal_direction(const Kv3dDirection& d);

// v rotated by angle (radians, right-handed) about axis (Rodrigues); the
// axis length does not matter, a zero axis gives cos(angle) v.
KV3D_API Kv3dVector Kv3d_rotate_vector(const Kv3dVector& v, const Kv3dVector& axis, double angle);

// R becomes the 3 x 3 rotation cos I + [k]x + k k^T / (1 + cos), k = from × to,
// taking from to to; with allow_flip, to -to when that is the smaller turn.
// When |cos| >= 0.999999 (within about 1.4e-3 rad of parallel) R is cos I (so
// nearly opposite directions without allow_flip give a point reflection).
KV3D_API void Kv3d_get_rotation_matrix(const Kv3dDirection& from, const Kv3dDirection& to,
                                       KvMatrix<double>& R, bool allow_flip);
// R becomes the 3 x 3 rotation by angle (radians, right-handed) about the unit axis.
KV3D_API void Kv3d_get_rotation_matrix(const Kv3dDirection& axis, const double& angle,
                                       KvMatrix<double>& R);

// v becomes M v (upper-left 3 x 3 block). A matrix with fewer than 3 rows or
// columns leaves v unchanged.
KV3D_API void Kv3d_apply(const KvMatrix<double>& M, Kv3dVector& v);
// Every element becomes M times itself, in array order; unchanged when M is
// smaller than 3 x 3.
KV3D_API void Kv3d_apply(const KvMatrix<double>& M, KvArray<Kv3dVector>& vectors);

// Cylindrical coordinates are held in the same objects: component 0 the
// radius r, 1 the angle phi (radians), 2 the height z. An attached vector
// holds the radial rate, the angular rate d(phi) and the z rate.

// (x, y, z) -> (r, phi, z); a point within the point tolerance of the z axis
// gives (0, 0, z).
KV3D_API void Kv3d_trafo_cartesian_to_cylindrical(Kv3dPoint& p);
// The point as above, and the vector v attached at it.
KV3D_API void Kv3d_trafo_cartesian_to_cylindrical(Kv3dPoint& p, Kv3dVector& v);
// (r, phi, z) -> (r cos phi, r sin phi, z).
KV3D_API void Kv3d_trafo_cylindrical_to_cartesian(Kv3dPoint& p);
// The point as above, and the vector v attached at it.
KV3D_API void Kv3d_trafo_cylindrical_to_cartesian(Kv3dPoint& p, Kv3dVector& v);
