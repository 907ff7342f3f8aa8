#pragma once

#include <kv/KvArray.h>
#include <kv3d/kv3d_export.h>

#include <cstddef>

namespace kv3d_detail {

// Element i + k of a, or 0.0 when it does not exist (no index arithmetic
// that could wrap around). Out of line: inlined into a caller whose array
// size is known, the guarded read draws a spurious bounds warning.
KV3D_API double array_element_or_zero(const KvArray<double>& a, std::size_t i, std::size_t k);

}  // namespace kv3d_detail
