#pragma once

#include <kv/KvArray.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

// In-place application of a transform to packed records. kind 1: records of
// 3 doubles, each a point (A p + t); kind 3: records of 4 doubles, each
// multiplied by the full 4 x 4 matrix (no division); any other kind: records
// of 3 doubles, each a vector (A v). A count of 0 or less does nothing.
KV3D_API void Kv3d_apply(const Kv3dTransform& T, int count, int kind, double* data);
// Every element as a point.
KV3D_API void Kv3d_apply(const Kv3dTransform& T, KvArray<Kv3dPoint>& points);
// Every element as a vector.
KV3D_API void Kv3d_apply(const Kv3dTransform& T, KvArray<Kv3dVector>& vectors);
