#pragma once

#include <kv/KvString.h>
#include <kv3d/kv3d_export.h>

// State that the library computes once, when it is loaded.
namespace kv3d_detail {

// The bounding-sphere tolerance: Kv3dResObj::same_point_tol() * 0.001 as it
// was at load (1e-6). A later change of the model resolution leaves it as it
// is, so spheres built before and after such a change stay comparable.
KV3D_API double bsphere_tol();

// The string that names this library's error domain (Kv3dErr): built at
// load, destroyed at unload. Conditions are told apart by its address.
extern const KvString error_domain_string;

}  // namespace kv3d_detail
