// Canonical form of a plane conic x^T Q x + L x + c = 0.
//
// With Q = E diag(l0, l1) E^T (unit eigenvectors as the columns of E) and the
// rotation R = E^T, the coordinates x' = R x turn the conic into
//   l0 x'^2 + l1 y'^2 + L'0 x' + L'1 y' + c = 0,  L' = L E.
// Completing the square on every axis with l != 0 moves the origin by t:
//   x'' = x' + L'0 / (2 l0)  and  k4 = -c + L'0^2 / (4 l0),
// which leaves k0 x''^2 + k1 y''^2 + k2 x'' + k3 y'' = k4 with k2 = 0 where
// k0 != 0 (likewise k3). The signs and the order of k then decide the type;
// swapping the axes and multiplying the equation by -1 bring each type to its
// canonical form.

#include <kv/KvArray.h>
#include <kv3d/Kv3dFitting.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>
#include <kvla/KvLaDblVec.h>

#include <cmath>
#include <utility>

namespace {

// Eigenvalues, linear terms and the constant below this are rounding.
constexpr double kZero = 1e-10;

double flushed(double v) { return std::fabs(v) < kZero ? 0.0 : v; }

// Element (i, j) of m; 0.0 where m has no such element.
double element_or_zero(const KvLaDblMat& m, int i, int j) {
    return i < m.rows() && j < m.cols() ? m(i, j) : 0.0;
}

// The conic k0 x''^2 + k1 y''^2 + k2 x'' + k3 y'' = k4 in the frame
// x'' = R x + t.
struct CanonicalFrame {
    KvLaDblVec k = KvLaDblVec(5, 0, 0.0);
    KvLaDblMat R;
    KvLaDblMat t = KvLaDblMat(2, 1, 0.0);

    // Exchanges the roles of x'' and y''.
    void swap_axes_if(bool swap) {
        if (swap) {
            std::swap(k(0), k(1));
            std::swap(k(2), k(3));
            R.swap_rows(0, 1);
            t.swap_rows(0, 1);
        }
    }
    // Multiplies the equation by -1; the frame stays.
    void negate_if(bool negate) {
        if (negate) {
            k *= -1.0;
        }
    }
};

// The type code of k0 x^2 + k1 y^2 + k2 x + k3 y = k4, by exact comparisons.
int conic_type(const KvLaDblVec& k) {
    const double p = k(0) * k(1);
    if (p > 0.0) {
        return k(0) * k(4) > 0.0 ? 0 : -1;
    }
    if (p < 0.0) {
        return k(4) == 0.0 ? 3 : 1;
    }
    // One squared term at most: a parabola when the other axis has a linear
    // term, else lines x = const given by the sign of (squared term) * k4.
    int squared = 0;
    if (k(0) == 0.0) {
        if (k(1) == 0.0) {
            return -1;
        }
        squared = 1;
    }
    if (k(3 - squared) != 0.0) {
        return 2;
    }
    const double q = k(squared) * k(4);
    if (q > 0.0) {
        return 4;
    }
    return q == 0.0 ? 5 : -1;
}

// Signs and axis order of the canonical form of each type.
void normalise(CanonicalFrame& f, int type) {
    const KvLaDblVec& k = f.k;
    switch (type) {
        case 0:  // 0 < k0 <= k1, k4 > 0: a >= b
            f.negate_if(k(0) < 0.0);
            f.swap_axes_if(k(0) > k(1));
            break;
        case 1:  // k0 > 0 > k1, k4 > 0: the curve crosses the x'' axis
            f.negate_if(k(4) < 0.0);
            f.swap_axes_if(k(0) < 0.0);
            break;
        case 2:  // the squared term on x''
            f.swap_axes_if(k(0) == 0.0);
            break;
        case 3:  // 0 < k0 <= |k1|: the x'' axis bisects the angle of at most 90 degrees
            f.swap_axes_if(std::fabs(k(0)) > std::fabs(k(1)));
            f.negate_if(k(0) < 0.0);
            break;
        case 4:  // k0 > 0, k4 > 0: the lines x'' = +-a
            f.negate_if(k(4) < 0.0);
            f.swap_axes_if(k(0) == 0.0);
            break;
        case 5:  // k0 > 0, k4 = 0: the line x'' = 0
            f.swap_axes_if(k(0) == 0.0);
            f.negate_if(k(0) < 0.0);
            break;
        default:
            break;
    }
}

// k0 x''^2 + k3 y'' = k4 becomes k0 x''^2 + 2 y'' = 0 with k0 > 0: the y''
// axis turned to make k0 k3 >= 0, the origin moved to the vertex, the
// equation divided by k3 / 2.
void parabola_step(CanonicalFrame& f) {
    KvLaDblVec& k = f.k;
    if (k(0) * k(3) < 0.0) {
        f.R(1, 0) = -f.R(1, 0);
        f.R(1, 1) = -f.R(1, 1);
        k(3) = -k(3);
    }
    f.t(1, 0) = f.t(1, 0) - k(4) / k(3);
    k(0) = (k(0) * 2.0) / k(3);
    k(3) = 2.0;
    k(4) = 0.0;
}

}  // namespace

void Kv3d_classify_conic_2d(const KvLaDblMat& Q, const KvLaDblMat& L, const double& c, int& type,
                            double& a, double& b, KvLaDblMat& rotation, KvLaDblMat& translation) {
    KvLaDblMat q(2, 2, 0.0);
    KvLaDblMat l(1, 2, 0.0);
    for (int j = 0; j < 2; ++j) {
        q(0, j) = element_or_zero(Q, 0, j);
        q(1, j) = element_or_zero(Q, 1, j);
        l(0, j) = element_or_zero(L, 0, j);
    }
    KvArray<double> eigenvalues;
    KvLaDblMat E;
    kvla_eigenvector_basis(q, eigenvalues, E);
    if (eigenvalues.size() < 2 || E.rows() != 2 || E.cols() != 2) {
        type = -1;
        return;
    }

    CanonicalFrame f;
    f.R = E.tr();
    const KvLaDblMat lin = l * f.R.tr();
    KvLaDblVec& k = f.k;
    k(0) = flushed(eigenvalues[0]);
    k(1) = flushed(eigenvalues[1]);
    k(2) = lin(0, 0);
    k(3) = lin(0, 1);
    k(4) = -c;

    if (k(0) != 0.0) {
        f.t(0, 0) = f.t(0, 0) + k(2) / (k(0) * 2.0);
        k(4) = k(4) + (k(2) * k(2)) / (k(0) * 4.0);
        k(2) = 0.0;
    }
    if (k(1) != 0.0) {
        f.t(1, 0) = f.t(1, 0) + k(3) / (k(1) * 2.0);
        k(4) = k(4) + (k(3) * k(3)) / (k(1) * 4.0);
        k(3) = 0.0;
    }
    for (int i = 2; i < 5; ++i) {
        k(i) = flushed(k(i));
    }

    normalise(f, conic_type(k));
    type = conic_type(k);
    switch (type) {
        case 0:
            a = std::sqrt(k(4) / k(0));
            b = std::sqrt(k(4) / k(1));
            break;
        case 1:
            a = std::sqrt(k(4) / k(0));
            b = std::sqrt(-(k(4) / k(1)));
            break;
        case 2:
            parabola_step(f);
            a = std::sqrt(1.0 / k(0));
            b = 0.0;
            break;
        case 3:
            a = std::sqrt(-(k(1) / k(0)));
            b = 1.0;
            break;
        case 4:
            a = std::sqrt(k(4) / k(0));
            b = 0.0;
            break;
        case 5:
            a = 1.0;
            b = 0.0;
            break;
        default:
            return;
    }
    // x = R^T (x'' - t): the canonical axes are the rows of R, the canonical
    // origin is -R^T t.
    rotation = f.R.tr();
    translation = (-rotation) * f.t;
}
