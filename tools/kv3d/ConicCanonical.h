#pragma once

namespace kv3dcli {

// The canonical plane conics of Kv3d_classify_conic_2d, by type code, in
// their canonical frame (x, y) with shape values a and b:
//   0 ellipse x^2/a^2 + y^2/b^2 = 1      1 hyperbola x^2/a^2 - y^2/b^2 = 1
//   2 parabola x^2/a^2 + 2 y = 0          3 crossing lines x = +-a y
//   4 parallel lines x = +-a              5 the line x = 0
// and -1, no real curve.

// "ellipse", "hyperbola", "parabola", "crossing lines", "parallel lines",
// "line"; "none" for any other code.
const char* conic_type_name(int type);
// The canonical equation as text; "" for any other code.
const char* conic_equation(int type);
// What the canonical origin is: "centre", "vertex", ...; "" for any other code.
const char* conic_origin_name(int type);

// Distance from (x, y) to the canonical curve of the type. NaN for another
// type or for shape values the type cannot have.
double conic_distance_2d(int type, double a, double b, double x, double y);

}  // namespace kv3dcli
