#pragma once

// The bodies of kvla_h1 and kvla_h2 (KvLaAlgorithms.h), inline, so that a hot
// caller with constant pivot, count and strides gets them specialised and
// without a call, bit for bit the same arithmetic as the exported functions,
// which call these.

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kvla_detail {

// H12 in construct mode. With s = max |u_i| over the pivot and the elements
// first..count-1, |u| = s * sqrt(sum (u_i / s)^2) without overflow; the
// reflection I + u' u'^T / (up * u_p) with u' = (up at the pivot, u_i from
// first on) maps u onto cl * e_pivot, cl = -sign(u_p) * |u|. The pivot then
// holds cl, and up = u_p - cl is saved for the apply mode.
inline void householder_construct(int pivot, int first, int count, double* u, int stride,
                                  double& up) {
    if (u == nullptr || stride <= 0 || pivot < 0 || pivot >= first || first >= count) {
        return;
    }
    const std::ptrdiff_t step = stride;
    auto at = [u, step](int i) -> double& { return u[static_cast<std::ptrdiff_t>(i) * step]; };
    double cl = std::fabs(at(pivot));
    for (int j = first; j < count; ++j) {
        cl = std::max(std::fabs(at(j)), cl);
    }
    if (cl <= 0.0) {
        return;
    }
    const double clinv = 1.0 / cl;
    const double p = at(pivot) * clinv;
    double sm = p * p;
    for (int j = first; j < count; ++j) {
        const double t = at(j) * clinv;
        sm += t * t;
    }
    cl = cl * std::sqrt(sm);
    if (at(pivot) > 0.0) {
        cl = -cl;
    }
    up = at(pivot) - cl;
    at(pivot) = cl;
}

// H12 in apply mode: c <- c + u' (u'^T c) / b with b = up * u_p (never
// positive for a reflection built by householder_construct; zero means no
// reflection).
inline void householder_apply(int pivot, int first, int count, const double* u, int stride,
                              double up, double* c, int c_stride, int vec_stride, int nvec) {
    if (u == nullptr || c == nullptr || stride <= 0 || c_stride <= 0 || vec_stride < 0 ||
        pivot < 0 || pivot >= first || first >= count) {
        return;
    }
    const std::ptrdiff_t us = stride;
    const std::ptrdiff_t cs = c_stride;
    const double up_pivot = u[pivot * us];
    if (std::fabs(up_pivot) <= 0.0 || nvec <= 0) {
        return;
    }
    double b = up * up_pivot;
    if (b >= 0.0) {
        return;
    }
    b = 1.0 / b;
    for (int j = 0; j < nvec; ++j) {
        double* cj = c + static_cast<std::ptrdiff_t>(j) * vec_stride;
        double sm = cj[pivot * cs] * up;
        for (int i = first; i < count; ++i) {
            sm = sm + cj[i * cs] * u[i * us];
        }
        if (sm != 0.0) {
            sm = sm * b;
            cj[pivot * cs] = cj[pivot * cs] + sm * up;
            for (int i = first; i < count; ++i) {
                cj[i * cs] = cj[i * cs] + sm * u[i * us];
            }
        }
    }
}

}  // namespace kvla_detail
