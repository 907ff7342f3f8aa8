#include "Kv3dEnclosingSphere.h"

#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/detail/Kv3dSegmentPoint.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "Kv3dCleanPointSet.h"
#include "Kv3dSortedPointSet.h"

namespace {

bool within(const Kv3dPoint& q, const Kv3dPoint& p, const double& m) {
    return Kv3d_distance_less_than_maximum_distance(q, p, m);
}

bool finite(const Kv3dPoint& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

// Scratch for the construction on n points: a copy of them when asked, the
// working array, and room for n indices. Null when n is too large or memory
// ran out.
std::unique_ptr<unsigned char[]> scratch(std::size_t n, std::size_t copy) {
    if (n > std::numeric_limits<std::uint32_t>::max()) {
        return nullptr;
    }
    const std::size_t bytes =
        copy * sizeof(Kv3dPoint) + Kv3dSortedPointSet::scratch_bytes(n) + n * sizeof(std::uint32_t);
    return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[bytes]);
}

}  // namespace

Kv3dEnclosingSphere::Kv3dEnclosingSphere(const Kv3dBSphere& S)
    : b_(kv3d_detail::bsphere_tol()), old_(S) {}

void Kv3dEnclosingSphere::enclose(Kv3dBSphere& S, const Kv3dPoint* points, std::size_t n) {
    const std::unique_ptr<unsigned char[]> block = scratch(n, 0);
    if (!block) {
        // Without scratch memory the sphere still grows to take every point.
        for (std::size_t i = 0; i < n; ++i) {
            S.update_bsphere(points[i]);
        }
        return;
    }
    Kv3dEnclosingSphere(S).run(S, points, n, block.get());
}

void Kv3dEnclosingSphere::enclose(Kv3dBSphere& S, KvIterator<Kv3dPoint>& it) {
    std::size_t n = 0;
    for (it.restart(); !it.at_end(); it.advance()) {
        n += it.current() != nullptr ? 1 : 0;
    }
    const std::unique_ptr<unsigned char[]> block = scratch(n, n);
    if (!block) {
        for (it.restart(); !it.at_end(); it.advance()) {
            if (it.current() != nullptr) {
                S.update_bsphere(*it.current());
            }
        }
        return;
    }
    // The elements are copied to the front of the block, the scratch follows.
    Kv3dPoint* points = reinterpret_cast<Kv3dPoint*>(block.get());
    std::size_t copied = 0;
    for (it.restart(); !it.at_end() && copied < n; it.advance()) {
        if (it.current() != nullptr) {
            points[copied++] = *it.current();
        }
    }
    Kv3dEnclosingSphere(S).run(S, points, copied, block.get() + n * sizeof(Kv3dPoint));
}

template <class Set>
bool Kv3dEnclosingSphere::encloses(const Set& A, const Kv3dBSphere& X, bool& costly) const {
    costly = false;
    return !X.is_empty() && X.contains(old_) && A.all_within(X.center_, X.radius_, costly);
}

template <class Set>
bool Kv3dEnclosingSphere::encloses(const Set& A, const Kv3dBSphere& X) const {
    bool costly = false;
    return encloses(A, X, costly);
}

template <class Set>
void Kv3dEnclosingSphere::run(Kv3dBSphere& S, Set& A) {
    Kv3dBBox box(S);
    A.grow_box(box);
    if (box.is_empty()) {
        S.center_ = Kv3dPoint(0.0, 0.0, 0.0);
        S.radius_ = -1.0;
        return;
    }
    S.contract_to_point(box.bbmin());
    S.update_bsphere(box.bbmax());
    Kv3dBSphere T = S;
    for (int pass = 0; pass < 8; ++pass) {
        const bool changed = refine(A, T);
        if (T.is_empty() || !(T.radius() > b_)) {
            return;
        }
        if (std::fabs(T.radius_ - S.radius_) < b_ && within(T.center_, S.center_, b_)) {
            return;  // no progress
        }
        if (T.radius() > S.radius()) {
            return;
        }
        // A T that changed is the last trial of the pass that enclosed
        // everything, over the same points: the test would pass again.
        if (!changed && !encloses(A, T)) {
            return;
        }
        S.center_ = T.center_;
        S.radius_ = T.radius_;
    }
}

template <class Set>
bool Kv3dEnclosingSphere::refine(Set& A, Kv3dBSphere& T) const {
    if (T.is_empty() || A.size() == 0) {
        return false;
    }
    const Kv3dPoint c = T.center_;
    Kv3dPoint far;
    if (!old_.is_empty()) {
        old_.compute_furthermost_point_on_shell(c, far);
    }
    A.order_by(c);

    // The farthest points; S0's far point first when S0 sticks out of T.
    const std::size_t i1 = A.size() - 1;
    Kv3dPoint p1 = A.at_rank(i1);
    std::size_t i2 = i1 > 0 ? i1 - 1 : 0;
    if (!old_.is_empty() && !within(far, c, T.radius_)) {
        p1 = far;
        i2 = i1;
    }
    const Kv3dPoint p2 = A.at_rank(i2);
    const Kv3dPoint p3 = A.at_rank(i2 > 0 ? i2 - 1 : 0);

    // P1 and P2 as diameter.
    Kv3dBSphere U(p1);
    U.update_bsphere(p2);
    if (encloses(A, U)) {
        T = U;
        return true;
    }
    const Kv3dPoint m = U.center_;

    // Q on the way from c to P1 with |Q - P1| = |Q - P2|: with r1, r2 the
    // distances of P1, P2 from c and D = |P1 - P2|, Q = c + t (P1 - c) for
    // t = h / (D / 2 + h), h = (r2 + r1) / 2 (r1 - r2) / D. Coinciding P1 and
    // P2 (or a vanishing denominator) leave no such point: the trial fails,
    // and so would every sphere on a segment from Q, so the pass ends.
    const double r1 = p1.distance(c);
    const double r2 = p2.distance(c);
    const double D = p1.distance(p2);
    if (!(D > 0.0)) {
        return false;
    }
    const double h = (r2 + r1) * 0.5 * (r1 - r2) / D;
    const double denominator = D * 0.5 + h;
    if (denominator == 0.0) {
        return false;
    }
    const double t = h / denominator;
    const Kv3dPoint q = c + (p1 - c) * t;
    if (!finite(q)) {
        return false;
    }
    U = Kv3dBSphere(q, (1.0 - t) * r1 + b_);
    if (!encloses(A, U)) {
        return bisect(A, q, c, p1, T);
    }
    T = U;
    if (!within(p1, p2, b_) && !within(p2, p3, b_) && !within(p3, p1, b_) && U.on_shell(p1) &&
        U.on_shell(p2) && U.on_shell(p3)) {
        return true;
    }
    bisect(A, m, q, p1, T);
    return true;
}

template <class Set>
bool Kv3dEnclosingSphere::bisect(Set& A, const Kv3dPoint& a0, const Kv3dPoint& a1,
                                 const Kv3dPoint& p1, Kv3dBSphere& T) const {
    // Finer steps for longer segments, measured in units of b.
    const double length = a0.distance(a1) / b_;
    const int steps = length < 100.0 ? 8 : length < 1000.0 ? 16 : length < 10000.0 ? 32 : 64;
    bool changed = false;
    double lo = 0.0;
    double hi = 1.0;
    for (int i = 0; i < steps; ++i) {
        const double mid = (hi + lo) * 0.5;
        const Kv3dPoint x = kv3d_detail::segment_point(a0, a1, mid);
        const Kv3dBSphere U(x, p1.distance(x) + b_);
        bool costly = false;
        if (encloses(A, U, costly)) {
            T = U;
            changed = true;
            hi = mid;
        } else {
            lo = mid;
        }
        // The next centres lie closer to x than to the keys' reference (they
        // close in on one point): keys from x prove more of them inside.
        if (costly) {
            A.rekey(x);
        }
    }
    return changed;
}

void Kv3dEnclosingSphere::run(Kv3dBSphere& S, const Kv3dPoint* points, std::size_t n,
                              unsigned char* scratch) {
    Kv3dCleanPointSet clean(points, nullptr, n, b_, scratch);
    if (clean.prepare(old_)) {
        clean.begin();
        run(S, clean);
        return;
    }
    Kv3dSortedPointSet sorted(points, n, b_, scratch);
    sorted.begin();
    if (sorted.size() == n) {
        run(S, sorted);
        return;
    }
    // When the points the first thinning kept are clean, no later pass drops
    // one of them, and they go on unsorted.
    if (sorted.size() >= Kv3dCleanPointSet::kMinPoints) {
        std::uint32_t* members =
            reinterpret_cast<std::uint32_t*>(scratch + Kv3dSortedPointSet::scratch_bytes(n));
        const std::size_t m = sorted.kept_in_input_order(members);
        Kv3dCleanPointSet kept(points, members, m, b_, scratch);
        if (kept.prepare(old_)) {
            kept.begin();
            run(S, kept);
            take_dropped(S, points, n);
            return;
        }
        sorted.restart();
        sorted.begin();
    }
    run(S, sorted);
    take_dropped(S, points, n);
}

void Kv3dEnclosingSphere::take_dropped(Kv3dBSphere& S, const Kv3dPoint* points, std::size_t n) {
    // The spheres were tested against the thinned points only: a point the
    // thinning dropped lies within b of one that was kept and may stick out
    // by less than b. Each such point is taken by point growth, which keeps
    // the far side of the sphere, so that the result encloses every point
    // given.
    for (std::size_t i = 0; i < n; ++i) {
        if (!S.contains(points[i])) {
            S.update_bsphere(points[i]);
        }
    }
}
