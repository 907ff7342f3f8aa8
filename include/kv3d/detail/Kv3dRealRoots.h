#pragma once

#include <kv/KvArray.h>
#include <kv3d/kv3d_export.h>

#include <cstddef>

// Real roots of a polynomial of degree at most 3, given by its coefficients in
// ascending order (the constant first). It serves the parabola's foot-point
// search, whose distance derivative is a cubic.
//
// Leading coefficients of magnitude below 1e-12 are dropped first; when all of
// them drop, the polynomial counts as identically zero and 0.0 is its single
// root. A non-zero constant and a polynomial of degree above 3 have no roots.
// Otherwise the polynomial is made monic and solved in closed form:
// - degree 1: -c0;
// - degree 2: a discriminant within 1e-12 of zero gives the double root once,
//   a positive one the smaller root, then the larger;
// - degree 3 (Cardano with a3 = c2 / 3, Q = a3^2 - c1 / 3,
//   R = ((2 a3^2 - c1) a3 + c0) / 2, D = R^2 - Q^3): |D| < 1e-12 gives the
//   double root, then the simple one; D > 0 the single real root; D < 0 the
//   three roots of the trigonometric form for the angles (theta - 2 pi) / 3,
//   theta / 3 and (theta + 2 pi) / 3, in this order.
// A NaN discriminant gives no roots.
class KV3D_API Kv3dRealRoots {
public:
    // Reads count coefficients, writes at most three roots to roots and
    // returns how many it wrote. Allocates nothing.
    static int solve(const double* coeffs, std::size_t count, double roots[3]);
    // The same on arrays: roots is emptied, then receives the roots in order.
    // coeffs may be the same array as roots.
    static void solve(const KvArray<double>& coeffs, KvArray<double>& roots);

private:
    // Sign-preserving real cube root, via pow with exponent 0.3333333333333333.
    static double cube_root(double x);
    static int solve_quadratic(const double* c, double roots[3]);
    static int solve_cubic(const double* c, double roots[3]);
};
