#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dRotation.h>

#include <cmath>
#include <cstddef>

namespace {

constexpr double kHalfPi = 1.5707963267948966;

// R becomes 3 x 3 (elements that fit the old shape carried over, then all
// nine overwritten by the callers).
void make_3x3(KvMatrix<double>& R) {
    if (R.rows() != 3 || R.cols() != 3) {
        R.resize(3, 3);
    }
}

bool has_3x3(const KvMatrix<double>& M) { return M.rows() >= 3 && M.cols() >= 3; }

// v <- M v over the upper-left 3 x 3 block, each component summed from 0.0.
void multiply3(const KvMatrix<double>& M, Kv3dVector& v) {
    double out[3];
    for (int i = 0; i < 3; ++i) {
        double s = 0.0;
        for (int k = 0; k < 3; ++k) {
            s += M(i, k) * v[k];
        }
        out[i] = s;
    }
    v = Kv3dVector(out[0], out[1], out[2]);
}

}  // namespace

Kv3dDirection Kv3d_orthogonal_direction(const Kv3dDirection& d) {
    // The unit axis e_k along d's smallest component, minus its part along
    // d: e_k - d_k d, which is perpendicular to d and never short.
    int k = 0;
    if (std::fabs(d[0]) > std::fabs(d[1])) {
        k = 1;
    }
    if (std::fabs(d[k]) > std::fabs(d[2])) {
        k = 2;
    }
    // Each component selected rather than o[k] written through an index:
    // the same values, without a store and reload on the way to the root.
    const Kv3dVector o = d * (-d[k]);
    return Kv3dDirection(k == 0 ? o[0] + 1.0 : o[0], k == 1 ? o[1] + 1.0 : o[1],
                         k == 2 ? o[2] + 1.0 : o[2]);
}

Kv3dVector Kv3d_orthogonal_vector(const Kv3dVector& v) {
    return Kv3d_orthogonal_direction(v.direction()) * v.length();
}

Kv3dVector Kv3d_rotate_vector(const Kv3dVector& v, const Kv3dVector& axis, double angle) {
    // Rodrigues: the part p along the axis stays, the rest r turns in the
    // plane spanned by r and d x r.
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const Kv3dDirection d = axis.direction();
    const Kv3dVector p = d * (v % d);
    const Kv3dVector r = v - p;
    return (p + r * c) + (d * r) * s;
}

void Kv3d_get_rotation_matrix(const Kv3dDirection& from, const Kv3dDirection& to,
                              KvMatrix<double>& R, bool allow_flip) {
    Kv3dVector k = from * to;
    double c = from % to;
    if (allow_flip && c < 0.0) {
        k = -k;
        c = -c;
    }
    make_3x3(R);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            R(i, j) = i == j ? c : 0.0;
        }
    }
    // R = c I + [k]x + k k^T / (1 + c), with |k| = sin of the angle. Near
    // c = +-1 the quotient is unreliable and R stays c I.
    if (!(std::fabs(c) < 0.999999)) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            R(i, j) += k[i] * k[j] / (1.0 + c);
        }
    }
    R(0, 1) -= k.z();
    R(0, 2) += k.y();
    R(1, 0) += k.z();
    R(1, 2) -= k.x();
    R(2, 0) -= k.y();
    R(2, 1) += k.x();
}

void Kv3d_get_rotation_matrix(const Kv3dDirection& axis, const double& angle, KvMatrix<double>& R) {
    // R = c I + s [d]x + (1 - c) d d^T.
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const Kv3dDirection& d = axis;
    make_3x3(R);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            R(i, j) = (1.0 - c) * d[i] * d[j];
        }
        R(i, i) += c;
    }
    R(1, 2) -= s * d.x();
    R(2, 1) += s * d.x();
    R(2, 0) -= s * d.y();
    R(0, 2) += s * d.y();
    R(0, 1) -= s * d.z();
    R(1, 0) += s * d.z();
}

void Kv3d_apply(const KvMatrix<double>& M, Kv3dVector& v) {
    if (!has_3x3(M)) {
        return;
    }
    multiply3(M, v);
}

void Kv3d_apply(const KvMatrix<double>& M, KvArray<Kv3dVector>& vectors) {
    if (!has_3x3(M)) {
        return;
    }
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        multiply3(M, vectors[i]);
    }
}

void Kv3d_trafo_cartesian_to_cylindrical(Kv3dPoint& p) {
    const double tol = Kv3dResObj::same_point_tol();
    const double x = p.x();
    const double y = p.y();
    const double r = std::sqrt(x * x + y * y);
    if (tol > r) {
        p = Kv3dPoint(0.0, 0.0, p.z());
        return;
    }
    // Near the y axis the angle is +-pi/2 outright.
    double phi;
    if (tol > std::fabs(x)) {
        phi = y < 0.0 ? -kHalfPi : kHalfPi;
    } else {
        phi = std::atan2(y, x);
    }
    p = Kv3dPoint(r, phi, p.z());
}

void Kv3d_trafo_cartesian_to_cylindrical(Kv3dPoint& p, Kv3dVector& v) {
    const double x = p.x();
    const double y = p.y();
    Kv3d_trafo_cartesian_to_cylindrical(p);
    // p.x() is now r, or 0 on the axis. dr = (x vx + y vy) / r,
    // dphi = (x vy - y vx) / r^2.
    const double r = p.x();
    if (r >= Kv3dResObj::same_point_tol()) {
        const double r2 = r * r;
        v = Kv3dVector((x / r) * v.x() + (y / r) * v.y(), (x / r2) * v.y() - (y / r2) * v.x(),
                       v.z());
    } else {
        v = Kv3dVector(0.0, 0.0, v.z());
    }
}

void Kv3d_trafo_cylindrical_to_cartesian(Kv3dPoint& p) {
    const double r = p.x();
    const double phi = p.y();
    p = Kv3dPoint(r * std::cos(phi), r * std::sin(phi), p.z());
}

void Kv3d_trafo_cylindrical_to_cartesian(Kv3dPoint& p, Kv3dVector& v) {
    const double r = p.x();
    const double phi = p.y();
    const double c = std::cos(phi);
    const double s = std::sin(phi);
    Kv3d_trafo_cylindrical_to_cartesian(p);
    const double vr = v.x();
    const double vphi = v.y();
    v = Kv3dVector(vr * c - vphi * (r * s), vphi * (r * c) + vr * s, v.z());
}
