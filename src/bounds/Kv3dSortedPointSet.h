#pragma once

#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dPoint.h>

#include <cstddef>
#include <cstdint>

// The working array of the enclosing-sphere construction, for any input:
// the points in their current order, sorted by distance from a reference
// point and thinned (a point within b of the last point kept is dropped).
//
// The points stay where the caller has them; the set holds their indices in
// the current order and their keys (squared distances from the reference)
// beside them. The sort is a stable radix sort of (key, index), so points at
// equal distance keep the order of the previous sort, as a stable comparison
// sort with Kv3dPointCompare would leave them.
class Kv3dSortedPointSet {
public:
    // Scratch bytes for n points (8-byte aligned).
    static std::size_t scratch_bytes(std::size_t n);

    Kv3dSortedPointSet(const Kv3dPoint* points, std::size_t n, double b, unsigned char* scratch);

    // The first sort and thinning, by distance from (0, 0, 0).
    void begin() { order_by(Kv3dPoint(0.0, 0.0, 0.0)); }
    // Writes the input indices of the points kept, ascending, to out and
    // returns their number. The keys are lost: begin() must run again
    // before the set is used.
    std::size_t kept_in_input_order(std::uint32_t* out);
    // Every point again, unsorted.
    void restart();
    // Sorts the points kept so far by distance from o and thins them.
    void order_by(const Kv3dPoint& o);
    std::size_t size() const { return n_; }
    // The point at rank r, 0 the nearest.
    const Kv3dPoint& at_rank(std::size_t r) const { return points_[index_[r]]; }
    // Adds every point kept to the box.
    void grow_box(Kv3dBBox& box) const;
    // Every point kept lies within r of x (Kv3d_distance_less_than_maximum_distance).
    // costly stays false: keys from another point would need another sort,
    // and the order of this one carries the ties of the next.
    bool all_within(const Kv3dPoint& x, double r, bool& costly) const;
    // Nothing to do (see all_within).
    void rekey(const Kv3dPoint&) {}

private:
    const Kv3dPoint* points_;
    // Points kept, and given.
    std::size_t n_;
    std::size_t all_;
    double b_;
    Kv3dPoint origin_;
    double* keys_;
    double* key_scratch_;
    std::uint32_t* index_;
    std::uint32_t* index_scratch_;
    std::uint32_t* counts_;
};
