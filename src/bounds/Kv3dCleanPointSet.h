#pragma once

#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dBSphere.h>
#include <kv3d/Kv3dPoint.h>

#include <cstddef>
#include <cstdint>

// The working array of the enclosing-sphere construction for a clean point
// set: no two points lie within b of each other, so thinning never drops a
// point and the sorted array is always the whole set. Such a set is never
// sorted. What the construction reads of the sorted array is only
//   - its three last points, which are the three points that come last in
//     the order a stable sort would give: by the key of this pass, equal keys
//     by the key of the pass before, and so on back to the distance from the
//     origin and finally the input index;
//   - whether all points lie within a sphere, which does not depend on order.
// Each pass therefore makes one sweep over the points for their keys and the
// three last points, and keeps the points with the largest keys sorted (the
// tail). A sphere test skips every point that its key proves to be inside,
// which for the spheres the construction tries is all points but a part of
// the tail.
class Kv3dCleanPointSet {
public:
    // Scratch bytes for n points (8-byte aligned); never more than a
    // Kv3dSortedPointSet needs.
    static std::size_t scratch_bytes(std::size_t n);

    // The points points[members[k]], k < n, or points[0..n) when members is
    // null. Members ascend, so that their positions order ties as their
    // input indices do: the points that a first sort and thinning kept can
    // go on as a clean set.
    Kv3dCleanPointSet(const Kv3dPoint* points, const std::uint32_t* members, std::size_t n,
                      double b, unsigned char* scratch);

    // Below this many points the sorted set is as fast.
    static constexpr std::size_t kMinPoints = 256;

    // True when the set is clean and its box can be formed in any order:
    // enough points, all coordinates finite, below 1e150 in magnitude and
    // none -0.0 (so that no minimum or maximum depends on which of +0.0 and
    // -0.0 comes first), the same for the box of the old sphere, and no two
    // points within b of each other. Only then may the members below be used.
    bool prepare(const Kv3dBSphere& old);

    // The first pass, by distance from the origin: it only starts the history.
    void begin();
    // The keys from o, the three last points and the tail.
    void order_by(const Kv3dPoint& o);
    // The keys from o and the tail, for the sphere tests that follow (the
    // three last points stay).
    void rekey(const Kv3dPoint& o);
    std::size_t size() const { return n_; }
    // The point at rank r; only the ranks n - 3 to n - 1 are known.
    const Kv3dPoint& at_rank(std::size_t r) const { return point(last_[n_ - 1 - r]); }
    // Without -0.0 the box of the points is the same in any order: it is
    // formed once, in prepare(), and added as a box.
    void grow_box(Kv3dBBox& box) const;
    // Every point lies within r of x; costly is set when the points below
    // the tail had to be read.
    bool all_within(const Kv3dPoint& x, double r, bool& costly) const;

private:
    const Kv3dPoint& point(std::size_t k) const {
        return members_ != nullptr ? points_[members_[k]] : points_[k];
    }
    // Reference points: the origin and the centres of at most 8 passes.
    static constexpr int kMaxHistory = 9;

    // No two points within b, from their distances from the first point (the
    // farthest at `farthest`): keys and index hold n elements, the distances
    // are overwritten.
    bool no_close_pairs(std::uint32_t* keys, std::uint32_t* index, double* distance,
                        double farthest) const;
    // Point i comes after point j in the order of this pass.
    bool comes_after(std::uint32_t i, double key_i, std::uint32_t j, double key_j) const;
    void keep_last(std::uint32_t i, double key);
    void collect_tail(double lowest, double highest);

    const Kv3dPoint* points_;
    const std::uint32_t* members_;
    std::size_t n_;
    double b_;
    unsigned char* scratch_;
    Kv3dBBox box_;
    Kv3dPoint history_[kMaxHistory];
    int passes_ = 0;
    // Keys by input index, from key_origin_.
    double* keys_ = nullptr;
    Kv3dPoint key_origin_;
    // The three last points, last_[0] the very last.
    std::uint32_t last_[3] = {0, 0, 0};
    double last_key_[3] = {0.0, 0.0, 0.0};
    // The tail: every point with a key >= tail_floor_, keys ascending.
    double* tail_keys_ = nullptr;
    std::uint32_t* tail_index_ = nullptr;
    std::size_t tail_n_ = 0;
    double tail_floor_ = 0.0;
    std::uint32_t* counts_ = nullptr;
};
