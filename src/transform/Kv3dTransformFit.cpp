// The transform carrying the first point of each pair onto its second, built
// from frames on the first two, three or four pairs (not a least-squares fit).

#include <kv3d/Kv3dCartesCoordSys.h>
#include <kv3d/Kv3dCoordSys.h>
#include <kv3d/Kv3dRotation.h>
#include <kv3d/Kv3dTransform.h>

namespace {

// |b| / |a|, or 1.0 when a is too short to divide by.
double length_ratio(const Kv3dVector& a, const Kv3dVector& b) {
    const double la = a.length();
    return la > 1e-20 ? b.length() / la : 1.0;
}

}  // namespace

Kv3dTransform::Kv3dTransform(KvArray<KvPair<Kv3dPoint, Kv3dPoint>>& pairs, Kv3dTransformType type)
    : Kv3dTransform() {
    const std::size_t n = pairs.size();
    if (n == 0) {
        return;
    }
    const Kv3dPoint& P0 = pairs[0].first;
    const Kv3dPoint& Q0 = pairs[0].second;
    if (n == 1) {
        *this = Kv3dTransform(Q0 - P0);
        return;
    }
    const bool scaled = type == SIMILARITY || type == AFFINE;
    const Kv3dVector a1 = pairs[1].first - P0;
    const Kv3dVector b1 = pairs[1].second - Q0;
    if (n == 2) {
        // Frames with x along a1 (b1) and y along k, perpendicular to both:
        // the smallest rotation about k taking a1's direction to b1's.
        Kv3dVector k = a1 * b1;
        if (k.geom_zero()) {
            k = Kv3d_orthogonal_vector(a1);
        }
        *this = Kv3dTransform(Kv3dCartesCoordSys(P0, a1, k), Kv3dCartesCoordSys(Q0, b1, k));
        if (scaled) {
            apply(Kv3dTransform(length_ratio(a1, b1), Q0));
        }
        return;
    }
    const Kv3dVector a2 = pairs[2].first - P0;
    const Kv3dVector b2 = pairs[2].second - Q0;
    if (type == AFFINE) {
        // General frames on the point differences; with three pairs the unit
        // normals of the two triangles complete them.
        Kv3dVector a3 = a1 * a2;
        Kv3dVector b3 = b1 * b2;
        if (n >= 4) {
            a3 = pairs[3].first - P0;
            b3 = pairs[3].second - Q0;
        } else {
            a3.normalize();
            b3.normalize();
        }
        *this = Kv3dTransform(Kv3dCoordSys(P0, a1, a2, a3), Kv3dCoordSys(Q0, b1, b2, b3));
        return;
    }
    // RIGID, SIMILARITY, and any other type value as RIGID.
    *this = Kv3dTransform(Kv3dCartesCoordSys(P0, a1, a2), Kv3dCartesCoordSys(Q0, b1, b2));
    if (type == SIMILARITY) {
        apply(Kv3dTransform(length_ratio(a1, b1), Q0));
    }
}
