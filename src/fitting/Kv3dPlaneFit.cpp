// Centre of gravity and least-squares planes. The plane through the centroid
// c that minimises sum ((p - c) . n)^2 has as its normal n the eigenvector of
// the smallest eigenvalue of the scatter matrix M = sum (p - c)(p - c)^T; the
// eigenvectors of the two larger eigenvalues span the plane.
//
// Each element of M is a sum in point order, accumulated from 0.0; the six
// elements of the upper triangle are accumulated side by side in one pass
// over the points, which gives every element the same additions in the same
// order as six separate passes would.

#include <kv/KvArray.h>
#include <kv3d/Kv3dFitting.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <cstddef>

namespace {

// The upper triangle (with the diagonal) of a symmetric 3 x 3 matrix.
struct Scatter {
    double xx = 0.0, xy = 0.0, xz = 0.0, yy = 0.0, yz = 0.0, zz = 0.0;
};

// The plane through c spanned by the eigenvectors of the two largest
// eigenvalues of the scatter matrix s. The eigen routine's result is not
// needed: for a matrix it cannot decompose it still leaves a 3 x 3 basis.
Kv3dPlane plane_from_scatter(const Kv3dPoint& c, const Scatter& s) {
    KvLaDblMat M(3, 3, 0.0);
    M(0, 0) = s.xx;
    M(0, 1) = s.xy;
    M(0, 2) = s.xz;
    M(1, 1) = s.yy;
    M(1, 2) = s.yz;
    M(2, 2) = s.zz;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < i; ++j) {
            M(i, j) = M(j, i);
        }
    }
    KvArray<double> eigenvalues;
    KvLaDblMat E;
    kvla_eigenvector_basis(M, eigenvalues, E);
    if (E.rows() < 3 || E.cols() < 2) {
        return Kv3dPlane();
    }
    const Kv3dVector u(E(0, 0), E(1, 0), E(2, 0));
    const Kv3dVector v(E(0, 1), E(1, 1), E(2, 1));
    return Kv3dPlane(c, u, v);
}

}  // namespace

Kv3dPoint Kv3d_center_of_gravity(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) {
    const std::size_t count = points.size();
    if (count == 0) {
        return Kv3dPoint(0.0, 0.0, 0.0);
    }
    // Dividing every term keeps the partial sums within the range of the
    // coordinates, however many points there are.
    const double n = static_cast<double>(count);
    const Kv3dPoint* p = points.data();
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        x += p[k].x() / n;
        y += p[k].y() / n;
        z += p[k].z() / n;
    }
    return Kv3dPoint(x, y, z);
}

Kv3dPlane Kv3d_fit_plane_to_points(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) {
    const std::size_t count = points.size();
    if (count == 0) {
        return Kv3dPlane();
    }
    const Kv3dPoint c = Kv3d_center_of_gravity(points);
    const double cx = c.x();
    const double cy = c.y();
    const double cz = c.z();
    const Kv3dPoint* p = points.data();
    Scatter s;
    for (std::size_t k = 0; k < count; ++k) {
        const double dx = p[k].x() - cx;
        const double dy = p[k].y() - cy;
        const double dz = p[k].z() - cz;
        s.xx += dx * dx;
        s.xy += dx * dy;
        s.xz += dx * dz;
        s.yy += dy * dy;
        s.yz += dy * dz;
        s.zz += dz * dz;
    }
    return plane_from_scatter(c, s);
}

Kv3dPlane Kv3d_fit_plane_to_points(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points,
                                   const KvArray<double, KvAllocator<double>>& weights) {
    const std::size_t count = points.size();
    const std::size_t weighted = weights.size() < count ? weights.size() : count;
    // A point beyond the end of the weights has weight 0.
    const auto weight_sqr = [&weights, weighted](std::size_t k) {
        const double w = k < weighted ? weights[k] : 0.0;
        return w * w;
    };
    const Kv3dPoint* p = points.data();
    double sum = 0.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        const double ww = weight_sqr(k);
        sum += ww;
        x += ww * p[k].x();
        y += ww * p[k].y();
        z += ww * p[k].z();
    }
    // No point with a weight: the centre would be 0 / 0.
    if (sum == 0.0) {
        return Kv3dPlane();
    }
    const Kv3dPoint c(x / sum, y / sum, z / sum);
    Scatter s;
    for (std::size_t k = 0; k < count; ++k) {
        const double ww = weight_sqr(k);
        const double dx = p[k].x() - c.x();
        const double dy = p[k].y() - c.y();
        const double dz = p[k].z() - c.z();
        s.xx += (dx * ww) * dx;
        s.xy += (dx * ww) * dy;
        s.xz += (dx * ww) * dz;
        s.yy += (dy * ww) * dy;
        s.yz += (dy * ww) * dz;
        s.zz += (dz * ww) * dz;
    }
    return plane_from_scatter(c, s);
}
