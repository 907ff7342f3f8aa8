#pragma once

#include <kv/KvArray.h>
#include <kv/KvIterator.h>
#include <kv/KvJournal.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/detail/Kv3dLoadTime.h>
#include <kv3d/kv3d_export.h>

class Kv3dBBox;
class Kv3dTransform;

// Bounding sphere: a centre and a radius; empty when the radius is negative.
//
// Its tolerance b is the bounding-sphere tolerance fixed when the library was
// loaded (0.001 times the point tolerance then, 1e-6). "q lies within m of p"
// below means Kv3d_distance_less_than_maximum_distance(q, p, m): strictly
// closer than m, never for a negative m. A point sphere has radius b; the
// constructor from a point and contract_to_point() make one.
//
// radius() refers to the stored radius only when it exceeds b and to a zero
// otherwise, so a point sphere or an empty sphere reports 0.0; every test and
// growth rule works on the stored radius.
class KV3D_API Kv3dBSphere {
public:
    // Centre (0, 0, 0), radius -1.0: empty.
    Kv3dBSphere() : radius_(-1.0) {}
    // The point sphere at p (radius b).
    explicit Kv3dBSphere(const Kv3dPoint& p) : center_(p), radius_(tol()) {}
    // r is stored unchanged, also when it is negative.
    Kv3dBSphere(const Kv3dPoint& p, const double& r) : center_(p), radius_(r) {}
    Kv3dBSphere(const Kv3dBSphere&) = default;
    // The sphere through the corners of a box: the point sphere at its
    // minimum corner grown by its maximum corner; empty for an empty box.
    explicit Kv3dBSphere(const Kv3dBBox& box);
    // The empty sphere made to enclose the points (update_bsphere).
    explicit Kv3dBSphere(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points);
    explicit Kv3dBSphere(KvIterator<Kv3dPoint>& it);
    Kv3dBSphere& operator=(const Kv3dBSphere&) = default;

    bool is_empty() const { return zero_ > radius_; }
    // Empty (radius -1.0); the centre stays.
    void clear() { radius_ = -1.0; }
    void contract_to_point(const Kv3dPoint& p) {
        center_ = p;
        radius_ = tol();
    }
    void set_center(const Kv3dPoint& c) { center_ = c; }
    void set_radius(const double& r) { radius_ = r; }
    const Kv3dPoint& center() const { return center_; }
    // The stored radius when it is greater than b, otherwise 0.0.
    const double& radius() const { return radius_ > tol() ? radius_ : zero_; }

    // Grows the sphere just enough to take p, keeping the far side of the old
    // shell: with d = |p - c| and k = (d - r) / 2 the centre moves k towards p
    // and the radius becomes r + k + b, so that p ends up b inside. An empty
    // sphere becomes the point sphere at p; a point within r changes nothing.
    void update_bsphere(const Kv3dPoint& p);
    // Grows the sphere to take o as well: the larger one when one contains the
    // other, else the sphere through the far sides of both, widened by b.
    void update_bsphere(const Kv3dBSphere& o);
    // Encloses the box too: a box that holds this sphere replaces it by its own
    // sphere; otherwise the box corners are enclosed as a point set.
    void update_bsphere(const Kv3dBBox& box);
    // Encloses the sphere as it was and every point, unless all points already
    // lie within the radius. The enclosing sphere starts as the sphere around
    // the bounding box and is refined by at most eight passes, each trying a
    // sphere on the two farthest points, a centre equidistant from them, then
    // a bisection of the centre along a segment; a candidate is kept only when
    // it encloses everything and is no larger. Points closer than b to a point
    // kept count as that point meanwhile; any of them left outside is taken
    // at the end by point growth. Not the minimal sphere.
    void update_bsphere(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points);
    void update_bsphere(KvIterator<Kv3dPoint>& it);

    // Point tests: within the radius of the centre (strict). All false for an
    // empty sphere; an empty array or iterator is contained by any other
    // sphere.
    bool contains(const Kv3dPoint& p) const {
        return !is_empty() && Kv3d_distance_less_than_maximum_distance(p, center_, radius_);
    }
    bool contains(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) const;
    bool contains(KvIterator<Kv3dPoint>& it) const;
    // All eight corners within the radius; true for an empty box.
    bool contains(const Kv3dBBox& box) const;
    // True for an empty o; radii within b with centres within b; otherwise
    // o's centre within r - ro of the centre.
    bool contains(const Kv3dBSphere& o) const;
    // On the shell within about b: (r - 2b) r < |p - c|^2 < (r + 2b) r
    // (strict), in every direction alike. A point within b of the centre is
    // on the shell only of a sphere of radius exactly 0.0.
    bool on_shell(const Kv3dPoint& p) const;
    // Radii closer than b and centres within b. Two empty spheres are equal;
    // an empty sphere equals no other.
    bool geom_equal(const Kv3dBSphere& o) const;

    // Overlap: centres closer than r + ro. result (may be null, this or o)
    // receives the smaller sphere when one centre lies inside the other
    // sphere, else the sphere on the circle in which the shells meet.
    bool intersect(const Kv3dBSphere& o, Kv3dBSphere* result) const;
    // Overlap with a box: the centre lies in the box grown by r on every
    // side and either in the box grown by r along one axis (within the point
    // tolerance) or within r of the box point nearest to it (over a corner or
    // an edge). False when the sphere or the box is empty.
    bool intersect(const Kv3dBBox& box) const;
    // Both spheres widened by margin overlap: r + ro + 2 margin > |co - c|.
    bool intersect_extended(const Kv3dBSphere& o, double margin) const;

    // The point of the shell farthest from p: seen from p, diametrically
    // beyond the centre; the top of the sphere (c + r z) when p lies within b
    // of the centre. out is untouched for an empty sphere.
    void compute_furthermost_point_on_shell(const Kv3dPoint& p, Kv3dPoint& out) const;

    // The six axis-extreme points, c +- radius() along x, then y, then z
    // (+ before -). Returns how many it wrote: 0 for an empty sphere, else 6.
    int axis_extreme_points(Kv3dPoint (&points)[6]) const;

    // The centre moves as a point; the radius is multiplied by the largest
    // singular value of the linear part (an upper bound of it, 2^-44 relative
    // above), so that the sphere still bounds the image of what it bounded. A transform marked
    // orthonormal leaves the radius exactly as it is; an empty sphere stays empty.
    Kv3dBSphere& apply(const Kv3dTransform& T);

    void debug(KvJournal& journal, KvDebug level, bool flag, int depth) const;

private:
    // The enclosing-sphere construction reads and writes the stored radius.
    friend class Kv3dEnclosingSphere;

    static double tol() { return kv3d_detail::bsphere_tol(); }

    Kv3dPoint center_;
    double radius_;
    // The zero that radius() refers to for point and empty spheres; every
    // constructor sets it and nothing else writes it.
    double zero_ = 0.0;
};

// "Kv3dBSphere( <centre> , " end, "          <radius()>  ) " end.
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dBSphere& s);
