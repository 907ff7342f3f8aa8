#pragma once

// The two paths of the inversion of small matrices (internal to kvla).
namespace kvla_detail {

// Matrices up to this order are inverted without the heap.
constexpr int kSmallOrder = 6;

// The rank from the singular values of the column-scaled matrix and, at full
// rank, the inverse by LU with partial pivoting: the computation of
// kvla_inverse_by_svd, element for element, in storage inside the call.
// a: rows x cols (both 1 .. kSmallOrder), finite, column by column; the
// inverse is written column by column.
bool small_inverse_by_svd(const double* a, int rows, int cols, double tolerance, int* rank,
                          double* inverse);

// True, with the inverse written column by column, when an LU factorisation
// of the n x n matrix a (1 .. kSmallOrder) proves that the singular-value
// rank test would count all n singular values; false, with inverse
// unspecified, when it cannot prove it.
bool certified_inverse(const double* a, int n, double tolerance, double* inverse);

}  // namespace kvla_detail
