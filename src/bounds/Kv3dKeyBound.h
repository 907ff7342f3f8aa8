#pragma once

#include <kv3d/Kv3dPoint.h>

namespace kv3d_detail {

// A bound K such that every point q whose squared distance from o, computed
// as Kv3dPointCompare computes it, is below K passes
// Kv3d_distance_less_than_maximum_distance(q, x, r) for certain; -1.0 when no
// such bound is safe (r outside [1e-140, 1e140], non-finite values, or x too
// far from o).
//
// Why it holds: that test passes whenever the exact |q - x| is below
// r (1 - 1e-12), since its rounding errors are a few units of 2^-53 relative
// while squares neither underflow nor overflow; and |q - x| <= |q - o| +
// |o - x|, where sqrt(key) and the computed |o - x| are within a few units of
// 2^-53 (plus an absolute 1e-150 for underflow) of the exact distances. The
// margins below are generous multiples of those errors.
double certified_key_bound(const Kv3dPoint& o, const Kv3dPoint& x, double r);

}  // namespace kv3d_detail
