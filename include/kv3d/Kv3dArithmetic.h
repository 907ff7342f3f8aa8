#pragma once

#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

// Sums and differences with cancellation snapping: each result component r_i
// is set to 0.0 when |a_i| * 1e-12 > |r_i|, a_i being the first operand's
// component (the second operand's magnitude plays no part, and a component
// whose first operand is 0.0 is never snapped). What survives such a
// cancellation is rounding noise of a, not geometry.

KV3D_API Kv3dVector Kv3d_difference(const Kv3dVector& a, const Kv3dVector& b);
KV3D_API Kv3dVector Kv3d_difference(const Kv3dPoint& a, const Kv3dPoint& b);
KV3D_API Kv3dVector Kv3d_sum(const Kv3dVector& a, const Kv3dVector& b);
