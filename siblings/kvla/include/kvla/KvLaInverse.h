#pragma once

#include <kvla/KvLaDblMat.h>
#include <kvla/kvla_export.h>

// kvla_inverse on plain storage: a holds the n x n matrix column by column.
// The same rank, answer and inverse as kvla_inverse on a KvLaDblMat holding
// it; the inverse (n * n doubles, column by column) is written only when the
// answer is true. Up to 6 x 6 nothing is allocated, and a cheap LU-based
// proof of full rank stands in for the singular value decomposition wherever
// it decides the rank test the same way.
KVLA_API bool kvla_inverse(const double* a, int n, double* inverse, double tolerance, int* rank);

// The inversion by its definition alone: the rank from the singular values
// of a dynamically sized copy of the column-scaled matrix, every time, and
// at full rank the inverse by LU with partial pivoting. The faster paths of
// kvla_inverse are checked against it; it allocates.
KVLA_API bool kvla_inverse_by_svd(const KvLaDblMat& a, KvLaDblMat& inverse, double tolerance,
                                  int* rank);

// The proof of full rank behind kvla_inverse: when the determinant D of the
// column-scaled matrix (every column of unit length; order 6 at most) is
// known to within 1e-15 and |D| exceeds this bound, the singular-value rank
// test at the given tolerance (>= 0) counts every singular value. Callers
// that can form D more cheaply than kvla (a structured matrix, a closed
// form) decide the rank with it exactly as kvla_inverse would.
inline double kvla_full_rank_bound(double tolerance) { return 1.7 * (2e-12 + 2.5 * tolerance); }
