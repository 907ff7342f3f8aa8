#include "Kv3dCleanPointSet.h"

#include <kv3d/Kv3dPointCompare.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/detail/Kv3dKeySort.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Kv3dKeyBound.h"

namespace {

constexpr std::size_t kBuckets = 1024;

// Finite, below 1e150 in magnitude, and not -0.0.
bool in_range(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return std::fabs(v) <= 1e150 && bits != (std::uint64_t{1} << 63);
}

bool in_range(const Kv3dPoint& p) { return in_range(p.x()) && in_range(p.y()) && in_range(p.z()); }

// The tail aims at this many points: enough that the sphere tests of a pass
// rarely reach below it, few enough to sort quickly.
std::size_t tail_target(std::size_t n) { return std::max<std::size_t>(2048, n / 32); }

}  // namespace

std::size_t Kv3dCleanPointSet::scratch_bytes(std::size_t n) {
    // Keys (8n) and a tail of at most n / 2 points with its sort scratch
    // (12n); the close-pair test (16n) comes first and is overwritten.
    // Counters as the sorted set has them.
    return n * 20 + kv3d_detail::kKeySortCounts * sizeof(std::uint32_t);
}

Kv3dCleanPointSet::Kv3dCleanPointSet(const Kv3dPoint* points, const std::uint32_t* members,
                                     std::size_t n, double b, unsigned char* scratch)
    : points_(points), members_(members), n_(n), b_(b), scratch_(scratch) {}

bool Kv3dCleanPointSet::prepare(const Kv3dBSphere& old) {
    if (n_ < kMinPoints) {
        return false;
    }
    if (!old.is_empty()) {
        const Kv3dBBox box(old);
        if (!in_range(box.bbmin()) || !in_range(box.bbmax()) || !in_range(old.center())) {
            return false;
        }
    }
    // One sweep: the range of every coordinate, the box of the points, and
    // each point's distance from the first point.
    std::uint32_t* keys = reinterpret_cast<std::uint32_t*>(scratch_);
    std::uint32_t* index = keys + n_;
    double* distance = reinterpret_cast<double*>(index + n_);
    const Kv3dPoint reference = point(0);
    Kv3dPoint lo = reference;
    Kv3dPoint hi = reference;
    bool range = true;
    double farthest = 0.0;
    for (std::size_t i = 0; i < n_; ++i) {
        const Kv3dPoint& p = point(i);
        for (int axis = 0; axis < 3; ++axis) {
            range = range && in_range(p[axis]);
            lo[axis] = std::min(lo[axis], p[axis]);
            hi[axis] = std::max(hi[axis], p[axis]);
        }
        distance[i] = p.distance(reference);
        farthest = std::max(farthest, distance[i]);
    }
    if (!range) {
        return false;
    }
    box_ = Kv3dBBox(lo);
    box_.update_bbox(hi);
    return no_close_pairs(keys, index, distance, farthest);
}

bool Kv3dCleanPointSet::no_close_pairs(std::uint32_t* keys, std::uint32_t* index, double* distance,
                                       double farthest) const {
    // Two points within b of each other lie at distances from the reference
    // that differ by less than b (1 + 1e-15), and each distance is computed
    // within 1e-15 of itself. So, with the distances scaled to 32-bit fixed
    // point (rounded down, monotone), only keys within the scaled window
    // (plus one for the rounding down, one for the product's rounding) can
    // belong to such a pair. The keys are sorted by their high bits only:
    // a key's partners within the window then lie in its own group or in the
    // following groups up to that of key + reach. Clustered input (many
    // points at nearly one distance) gives up after a bounded effort.
    const double scale = farthest > 0.0 ? 4294967040.0 / farthest : 0.0;
    const double window = (b_ * 1.001 + farthest * 1e-15) * scale + 2.0;
    if (!(window < 4294967296.0)) {
        return false;
    }
    const std::uint64_t reach = static_cast<std::uint64_t>(window);
    for (std::size_t i = 0; i < n_; ++i) {
        keys[i] = static_cast<std::uint32_t>(distance[i] * scale);
        index[i] = static_cast<std::uint32_t>(i);
    }
    // The distances are read: their space becomes the sort's scratch.
    std::uint32_t* key_scratch = reinterpret_cast<std::uint32_t*>(index + n_);
    std::uint32_t* counts = reinterpret_cast<std::uint32_t*>(scratch_ + n_ * 20);
    // Groups of 2^11 keys hold about n / 2^21 points each: up to 2^20 points
    // the pass that orders within them is not worth its time.
    int low = 0;
    if (n_ <= (std::size_t{1} << 20)) {
        low = kv3d_detail::kKeySortLowBits;
        kv3d_detail::sort_by_high_bits(keys, index, n_, key_scratch, key_scratch + n_, counts);
    } else {
        kv3d_detail::sort_by_key(keys, index, n_, key_scratch, key_scratch + n_, counts);
    }
    std::size_t effort = 0;
    for (std::size_t i = 0; i + 1 < n_; ++i) {
        const std::uint64_t key = keys[i];
        const std::uint64_t last_group = (key + reach) >> low;
        for (std::size_t j = i + 1; j < n_ && (keys[j] >> low) <= last_group; ++j) {
            const std::uint64_t other = keys[j];
            const std::uint64_t gap = other > key ? other - key : key - other;
            if (++effort > 4 * n_ || (gap <= reach && Kv3d_distance_less_than_maximum_distance(
                                                          point(index[i]), point(index[j]), b_))) {
                return false;
            }
        }
    }
    return true;
}

void Kv3dCleanPointSet::begin() {
    history_[0] = Kv3dPoint(0.0, 0.0, 0.0);
    passes_ = 1;
    keys_ = reinterpret_cast<double*>(scratch_);
    counts_ = reinterpret_cast<std::uint32_t*>(scratch_ + n_ * 20);
}

void Kv3dCleanPointSet::grow_box(Kv3dBBox& box) const { box.update_bbox(box_); }

bool Kv3dCleanPointSet::comes_after(std::uint32_t i, double key_i, std::uint32_t j,
                                    double key_j) const {
    if (key_i != key_j) {
        return key_i > key_j;
    }
    // Equal keys keep the order of the pass before, back to the input order.
    for (int h = passes_ - 2; h >= 0; --h) {
        const Kv3dPointCompare order(history_[h]);
        const double ki = order.key(point(i));
        const double kj = order.key(point(j));
        if (ki != kj) {
            return ki > kj;
        }
    }
    return i > j;
}

void Kv3dCleanPointSet::keep_last(std::uint32_t i, double key) {
    int at = 3;
    while (at > 0 && comes_after(i, key, last_[at - 1], last_key_[at - 1])) {
        --at;
    }
    if (at == 3) {
        return;
    }
    for (int k = 2; k > at; --k) {
        last_[k] = last_[k - 1];
        last_key_[k] = last_key_[k - 1];
    }
    last_[at] = i;
    last_key_[at] = key;
}

void Kv3dCleanPointSet::order_by(const Kv3dPoint& o) {
    if (passes_ < kMaxHistory) {
        history_[passes_++] = o;
    }
    rekey(o);
    // The first three points in their order, then one sweep over the keys.
    for (std::uint32_t i = 0; i < 3; ++i) {
        last_[i] = i;
        last_key_[i] = keys_[i];
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < 2; ++k) {
            if (comes_after(last_[k + 1], last_key_[k + 1], last_[k], last_key_[k])) {
                std::swap(last_[k], last_[k + 1]);
                std::swap(last_key_[k], last_key_[k + 1]);
            }
        }
    }
    for (std::size_t i = 3; i < n_; ++i) {
        if (!(last_key_[2] > keys_[i])) {
            keep_last(static_cast<std::uint32_t>(i), keys_[i]);
        }
    }
}

void Kv3dCleanPointSet::rekey(const Kv3dPoint& o) {
    key_origin_ = o;
    const Kv3dPointCompare order(o);
    double lowest = HUGE_VAL;
    double highest = -HUGE_VAL;
    for (std::size_t i = 0; i < n_; ++i) {
        const double key = order.key(point(i));
        keys_[i] = key;
        lowest = std::min(lowest, key);
        highest = std::max(highest, key);
    }
    collect_tail(lowest, highest);
}

void Kv3dCleanPointSet::collect_tail(double lowest, double highest) {
    // Keys by bucket of [lowest, highest]; the tail is every bucket from the
    // lowest one that keeps the tail at its target size. Buckets grow with
    // the key, so every key below the tail is below the tail's least key.
    double scale = highest > lowest ? (kBuckets - 1) / (highest - lowest) : 0.0;
    if (!(scale < HUGE_VAL)) {
        scale = 0.0;  // a span too small to divide: one bucket
    }
    std::uint32_t* count = counts_;
    std::fill(count, count + kBuckets, 0u);
    auto bucket = [&](double key) { return static_cast<std::size_t>((key - lowest) * scale); };
    for (std::size_t i = 0; i < n_; ++i) {
        ++count[bucket(keys_[i])];
    }
    const std::size_t cap = n_ / 2;
    std::size_t first = kBuckets;
    std::size_t taken = 0;
    while (first > 0 && taken < tail_target(n_) && taken + count[first - 1] <= cap) {
        taken += count[--first];
    }
    tail_keys_ = keys_ + n_;
    double* key_scratch = tail_keys_ + cap;
    tail_index_ = reinterpret_cast<std::uint32_t*>(key_scratch + cap);
    std::uint32_t* index_scratch = tail_index_ + cap;
    tail_n_ = 0;
    tail_floor_ = HUGE_VAL;
    for (std::size_t i = 0; i < n_ && taken > 0; ++i) {
        if (bucket(keys_[i]) >= first) {
            tail_keys_[tail_n_] = keys_[i];
            tail_index_[tail_n_++] = static_cast<std::uint32_t>(i);
            tail_floor_ = std::min(tail_floor_, keys_[i]);
        }
    }
    kv3d_detail::sort_by_key(tail_keys_, tail_index_, tail_n_, key_scratch, index_scratch, counts_);
}

bool Kv3dCleanPointSet::all_within(const Kv3dPoint& x, double r, bool& costly) const {
    costly = false;
    const double bound = kv3d_detail::certified_key_bound(key_origin_, x, r);
    std::size_t t = tail_n_;
    for (; t > 0 && !(tail_keys_[t - 1] < bound); --t) {
        if (!Kv3d_distance_less_than_maximum_distance(point(tail_index_[t - 1]), x, r)) {
            return false;
        }
    }
    if (t > 0) {
        return true;  // every key below the tail is below the bound
    }
    // The bound reaches below the tail: the points there with keys at or
    // above it are tested too.
    costly = true;
    for (std::size_t i = 0; i < n_; ++i) {
        if (keys_[i] < tail_floor_ && !(keys_[i] < bound) &&
            !Kv3d_distance_less_than_maximum_distance(point(i), x, r)) {
            return false;
        }
    }
    return true;
}
