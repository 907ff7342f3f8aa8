#pragma once

#include <kv/KvIterator.h>
#include <kv3d/Kv3dBSphere.h>
#include <kv3d/Kv3dPoint.h>

#include <cstddef>

// The construction behind Kv3dBSphere::update_bsphere of a point set: the
// sphere S is made to enclose itself as it was (S0) and every point.
//
// It works on a working array A of the points, sorted by distance from a
// reference point and thinned (a point within b of the last point kept is
// dropped). S starts as the sphere around the bounding box of S0 and A; at
// most eight refinement passes follow, each on the candidate T = S:
//   - A is sorted and thinned around T's centre, so that P1, P2, P3 are its
//     farthest, second and third farthest points; the far point F of S0 takes
//     P1's place when S0 sticks out of T;
//   - the sphere on P1 and P2 as diameter, widened, is tried;
//   - then the sphere about the point Q on the way from T's centre to P1 that
//     lies as far from P2 as from P1;
//   - then a bisection of the centre along a segment (Q to T's centre, or the
//     two-point centre M to Q when the Q sphere enclosed everything but P1,
//     P2, P3 are not three distinct points on its shell), with a radius
//     reaching P1.
// A trial replaces T when it encloses everything: all of A and S0. S takes T
// while T keeps shrinking by more than b, and encloses everything.
//
// The working array is a Kv3dCleanPointSet when no two points lie within b
// of each other (thinning then never drops a point and nothing needs
// sorting), otherwise a Kv3dSortedPointSet, which after its first sort and
// thinning hands the points it kept to a Kv3dCleanPointSet when they are
// clean; all give the same result. The
// scratch memory of either is allocated once per call.
class Kv3dEnclosingSphere {
public:
    // Encloses S and points[0..n).
    static void enclose(Kv3dBSphere& S, const Kv3dPoint* points, std::size_t n);
    // Encloses S and the iterator's elements, in order (restarted first).
    static void enclose(Kv3dBSphere& S, KvIterator<Kv3dPoint>& it);

private:
    explicit Kv3dEnclosingSphere(const Kv3dBSphere& S);

    // Runs on the points, with the scratch block that enclose() allocates.
    void run(Kv3dBSphere& S, const Kv3dPoint* points, std::size_t n, unsigned char* scratch);
    // The construction from the box on, on a working array after its first
    // sort and thinning.
    template <class Set>
    void run(Kv3dBSphere& S, Set& A);
    // Grows S by each point it does not contain (after a thinning dropped
    // points).
    static void take_dropped(Kv3dBSphere& S, const Kv3dPoint* points, std::size_t n);
    // X is not empty and holds every point of A and S0; costly is set when
    // the test had to read many points.
    template <class Set>
    bool encloses(const Set& A, const Kv3dBSphere& X, bool& costly) const;
    template <class Set>
    bool encloses(const Set& A, const Kv3dBSphere& X) const;
    // One refinement pass; true when T changed.
    template <class Set>
    bool refine(Set& A, Kv3dBSphere& T) const;
    // The bisection of the centre along a0 -> a1; true when T changed.
    template <class Set>
    bool bisect(Set& A, const Kv3dPoint& a0, const Kv3dPoint& a1, const Kv3dPoint& p1,
                Kv3dBSphere& T) const;

    const double b_;
    const Kv3dBSphere old_;
};
