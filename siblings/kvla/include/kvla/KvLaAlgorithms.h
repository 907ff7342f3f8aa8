#pragma once

#include <kv/KvArray.h>
#include <kvla/KvLaDblMat.h>
#include <kvla/kvla_export.h>

// Numerical rank is decided from singular values, scale-free: every non-zero
// column of the matrix is first scaled to unit length, and the rank is the
// number of singular values of the scaled matrix greater than tolerance times
// the largest one (0 for a zero matrix). Non-finite entries give rank 0.

// Writes the rank; with full rank (square a) also the inverse, and returns true.
// Up to 6 x 6 nothing is allocated (kvla/KvLaInverse.h).
KVLA_API bool kvla_inverse(const KvLaDblMat& a, KvLaDblMat& inverse, double tolerance, int* rank);

// Least-squares solution of a x = b (minimum norm where a is rank-deficient),
// the rank, and the null space of a: cols - rank unit columns, the right
// singular vectors of the singular values left out of the rank, mapped back
// through the column scaling, the smallest singular value first. False when
// the row counts of a and b disagree (nothing written), and when a or b holds
// a non-finite value or the solution overflows (x then empty; a non-finite a
// gives rank 0 and an empty null space). rank and nullspace may be null.
KVLA_API bool kvla_linearsolve(const KvLaDblMat& a, const KvLaDblMat& b, KvLaDblMat& x,
                               double tolerance, int* rank, KvLaDblMat* nullspace);

// Solves a x = b; false, writing nothing, when the rank (tolerance 1e-12) is
// below the column count or the sizes disagree. The last argument is unused.
KVLA_API bool kvla_linearsolve(const KvLaDblMat& a, const KvLaDblMat& b, KvLaDblMat& x,
                               KvLaDblMat* unused);

// Eigen-decomposition of the symmetric matrix m (which may be overwritten):
// unit eigenvectors as the columns of eigenvectors, eigenvalues in descending
// order, eigenvalue i belonging to column i. False for a non-square or
// non-finite m (outputs then hold the identity and zeros).
KVLA_API bool kvla_eigenvector_basis(KvLaDblMat& m, KvArray<double>& eigenvalues,
                                     KvLaDblMat& eigenvectors);

// Lawson and Hanson's Householder transformation H12, indices from 0.
// kvla_h1 constructs: u holds count elements u[0], u[stride], ...; the
// reflection maps u onto a multiple of unit vector `pivot`, annihilating the
// elements first .. count-1. Afterwards u[pivot] holds -sign(u[pivot]) * |u|
// (the norm taken over the pivot and the elements from first on), and up the
// saved value that kvla_h2 needs.
KVLA_API void kvla_h1(int pivot, int first, int count, double* u, int stride, double& up);

// kvla_h2 applies the reflection built by kvla_h1 to nvec vectors c (element
// stride c_stride, vector stride vec_stride). Afterwards a vector holds in its
// pivot element its component along u's reflected direction, in the same
// signed scale as u[pivot], and in the elements from first on its part
// perpendicular to it, its length unchanged.
KVLA_API void kvla_h2(int pivot, int first, int count, const double* u, int stride, double up,
                      double* c, int c_stride, int vec_stride, int nvec);

// The right singular vector of the smallest singular value of the
// column-scaled a, mapped back and normalised (the least-squares solution of
// a x = 0 at unit norm), as a cols x 1 matrix; the rank as above. False for
// an empty matrix.
KVLA_API bool kvla_smallest_singular_vector(const KvLaDblMat& a, double tolerance, int* rank,
                                            KvLaDblMat& v);

// Singular value decomposition a = U diag(sigma) V^T, thin: with k = min(rows,
// cols), U is rows x k and V is cols x k, both with orthonormal columns, and
// sigma holds the k singular values in descending order, column i of U and V
// belonging to sigma[i]. No column scaling: these are the singular values of a
// itself. False, writing nothing, for an empty a, one holding a non-finite
// value, and one whose largest singular value overflows.
KVLA_API bool kvla_svd(const KvLaDblMat& a, KvLaDblMat& u, KvArray<double>& sigma, KvLaDblMat& v);

// The largest singular value (spectral norm) of the 3 x 3 matrix held in the
// nine values a[0..8], row by row (a[3 * i + j] is entry (i, j)). A matrix
// and its transpose have the same singular values, so column-major storage
// gives the same bound, up to rounding. It is raised by 2^-44 relative (256
// units of roundoff) so that it is never below the exact norm:
// |A v| <= result |v| for every v. Allocates nothing. NaN when an entry is
// NaN, infinity when one is infinite and none is NaN; 0.0 for the zero matrix.
KVLA_API double kvla_spectral_norm_3x3(const double* a);
