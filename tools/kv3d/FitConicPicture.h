#pragma once

#include <kv/KvArray.h>
#include <kv3d/Kv3dPoint.h>

#include <string>

#include "ConicFit.h"

namespace kv3dcli {

// The points and the fitted curve in the curve's plane, in its canonical
// frame (x to the right, y up), with the axes, the centre (or vertex, ...)
// and a scale bar; without a curve, the points in their least-squares plane.
// Numbers with the given significant digits; a large set is sampled evenly.
std::string fit_conic_picture(const std::string& name, const KvArray<Kv3dPoint>& points,
                              const ConicFit& fit, int digits);

}  // namespace kv3dcli
