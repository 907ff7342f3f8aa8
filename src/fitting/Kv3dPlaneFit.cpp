// Centre of gravity and least-squares planes. The plane through the centroid
// c that minimises sum ((p - c) . n)^2 has as its normal n the eigenvector of
// the smallest eigenvalue of the scatter matrix M = sum (p - c)(p - c)^T; the
// eigenvectors of the two larger eigenvalues span the plane.
//
// Every sum runs in point order from 0.0, exactly as written; the speed comes
// from how the terms are formed. The centroid's terms p / n are divided a
// block of points at a time, in a loop the compiler vectorises (and that has
// AVX-512 and AVX2 versions chosen by the processor): a division is correctly
// rounded in every instruction set, and the block's quotients are then added
// in point order. The six sums of the scatter matrix are accumulated side by
// side in one pass, as lanes of 2-wide vectors, each lane doing the scalar
// operations of its element in point order.

#include <kv/KvArray.h>
#include <kv3d/Kv3dFitting.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <cstddef>
#include <cstring>

namespace {

// The upper triangle (with the diagonal) of a symmetric 3 x 3 matrix.
struct Scatter {
    double xx = 0.0, xy = 0.0, xz = 0.0, yy = 0.0, yz = 0.0, zz = 0.0;
};

// Points per block of the centroid pass.
constexpr std::size_t kBlock = 32;

static_assert(sizeof(Kv3dPoint) == 3 * sizeof(double), "a point is three doubles, x, y, z");

// The sum of p / n over the count points of p, in point order. Full blocks
// are copied and divided in a loop the compiler vectorises, then added; the
// points after the last full block are divided one by one. Always inlined, so
// that each caller compiles it for its own instruction set.
__attribute__((always_inline)) inline Kv3dPoint sum_of_quotients(const Kv3dPoint* p,
                                                                 std::size_t count, double n) {
    double q[3 * kBlock];
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    std::size_t k = 0;
    for (; k + kBlock <= count; k += kBlock) {
        std::memcpy(q, p + k, sizeof q);
        for (std::size_t i = 0; i < 3 * kBlock; ++i) {
            q[i] = q[i] / n;
        }
        for (std::size_t i = 0; i < kBlock; ++i) {
            x += q[3 * i];
            y += q[3 * i + 1];
            z += q[3 * i + 2];
        }
    }
    for (; k < count; ++k) {
        x += p[k].x() / n;
        y += p[k].y() / n;
        z += p[k].z() / n;
    }
    return Kv3dPoint(x, y, z);
}

using SumOfQuotients = Kv3dPoint (*)(const Kv3dPoint* p, std::size_t count, double n);

Kv3dPoint sum_of_quotients_default(const Kv3dPoint* p, std::size_t count, double n) {
    return sum_of_quotients(p, count, n);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KV3D_WIDE_DIVISION 1
__attribute__((target("avx512f"))) Kv3dPoint sum_of_quotients_avx512(const Kv3dPoint* p,
                                                                     std::size_t count, double n) {
    return sum_of_quotients(p, count, n);
}
__attribute__((target("avx2"))) Kv3dPoint sum_of_quotients_avx2(const Kv3dPoint* p,
                                                                std::size_t count, double n) {
    return sum_of_quotients(p, count, n);
}
#endif

// The version with the widest divisions the processor runs.
SumOfQuotients sum_of_quotients_for_this_processor() {
#ifdef KV3D_WIDE_DIVISION
    if (__builtin_cpu_supports("avx512f")) {
        return sum_of_quotients_avx512;
    }
    if (__builtin_cpu_supports("avx2")) {
        return sum_of_quotients_avx2;
    }
#endif
    return sum_of_quotients_default;
}

// Sum over the points of (p - c)(p - c)^T, upper triangle, every element in
// point order. Lanes: (xx, yy), (xy, yz), (xz, zz).
Scatter scatter(const Kv3dPoint* p, std::size_t count, const Kv3dPoint& c) {
    using Pair = double __attribute__((vector_size(16)));
    const Pair cxy = {c.x(), c.y()};
    const double cz = c.z();
    Pair sq = {0.0, 0.0};
    Pair next = {0.0, 0.0};
    Pair z = {0.0, 0.0};
    for (std::size_t k = 0; k < count; ++k) {
        const Pair dxy = Pair{p[k].x(), p[k].y()} - cxy;
        const double dz = p[k].z() - cz;
        sq += dxy * dxy;
        next += dxy * Pair{dxy[1], dz};
        z += Pair{dxy[0], dz} * Pair{dz, dz};
    }
    Scatter s;
    s.xx = sq[0];
    s.yy = sq[1];
    s.xy = next[0];
    s.yz = next[1];
    s.xz = z[0];
    s.zz = z[1];
    return s;
}

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
    return sum_of_quotients_for_this_processor()(points.data(), count, n);
}

Kv3dPlane Kv3d_fit_plane_to_points(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) {
    const std::size_t count = points.size();
    if (count == 0) {
        return Kv3dPlane();
    }
    const Kv3dPoint c = Kv3d_center_of_gravity(points);
    const Scatter s = scatter(points.data(), count, c);
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
