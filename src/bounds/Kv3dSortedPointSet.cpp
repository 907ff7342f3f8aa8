#include "Kv3dSortedPointSet.h"

#include <kv3d/Kv3dPointCompare.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/detail/Kv3dKeySort.h>

#include <algorithm>

#include "Kv3dKeyBound.h"

std::size_t Kv3dSortedPointSet::scratch_bytes(std::size_t n) {
    return n * (2 * sizeof(double) + 2 * sizeof(std::uint32_t)) +
           kv3d_detail::kKeySortCounts * sizeof(std::uint32_t);
}

Kv3dSortedPointSet::Kv3dSortedPointSet(const Kv3dPoint* points, std::size_t n, double b,
                                       unsigned char* scratch)
    : points_(points), n_(n), all_(n), b_(b) {
    keys_ = reinterpret_cast<double*>(scratch);
    key_scratch_ = keys_ + n;
    index_ = reinterpret_cast<std::uint32_t*>(key_scratch_ + n);
    index_scratch_ = index_ + n;
    counts_ = index_scratch_ + n;
    restart();
}

void Kv3dSortedPointSet::restart() {
    n_ = all_;
    for (std::size_t i = 0; i < n_; ++i) {
        index_[i] = static_cast<std::uint32_t>(i);
    }
}

std::size_t Kv3dSortedPointSet::kept_in_input_order(std::uint32_t* out) {
    // A mark per input index, in the space of the keys.
    unsigned char* kept = reinterpret_cast<unsigned char*>(keys_);
    std::fill(kept, kept + all_, static_cast<unsigned char>(0));
    for (std::size_t r = 0; r < n_; ++r) {
        kept[index_[r]] = 1;
    }
    std::size_t m = 0;
    for (std::size_t i = 0; i < all_; ++i) {
        if (kept[i] != 0) {
            out[m++] = static_cast<std::uint32_t>(i);
        }
    }
    return m;
}

void Kv3dSortedPointSet::order_by(const Kv3dPoint& o) {
    origin_ = o;
    const Kv3dPointCompare order(o);
    for (std::size_t r = 0; r < n_; ++r) {
        keys_[r] = order.key(points_[index_[r]]);
    }
    if (n_ < 2) {
        return;
    }
    kv3d_detail::sort_by_key(keys_, index_, n_, key_scratch_, index_scratch_, counts_);
    // Each point within b of the last point kept is dropped; the rest move
    // down, keys along.
    std::size_t kept = 0;
    for (std::size_t r = 1; r < n_; ++r) {
        if (!Kv3d_distance_less_than_maximum_distance(points_[index_[kept]], points_[index_[r]],
                                                      b_)) {
            ++kept;
            index_[kept] = index_[r];
            keys_[kept] = keys_[r];
        }
    }
    n_ = kept + 1;
}

void Kv3dSortedPointSet::grow_box(Kv3dBBox& box) const {
    for (std::size_t r = 0; r < n_; ++r) {
        box.update_bbox(points_[index_[r]]);
    }
}

bool Kv3dSortedPointSet::all_within(const Kv3dPoint& x, double r, bool& costly) const {
    costly = false;
    // Keys below the bound are inside for certain; the rest are tested from
    // the farthest down, where an outside point shows up first. Keys ascend,
    // NaN keys last.
    const double bound = kv3d_detail::certified_key_bound(origin_, x, r);
    std::size_t lo = 0;
    std::size_t hi = n_;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (keys_[mid] < bound) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    for (std::size_t i = n_; i > lo; --i) {
        if (!Kv3d_distance_less_than_maximum_distance(points_[index_[i - 1]], x, r)) {
            return false;
        }
    }
    return true;
}
