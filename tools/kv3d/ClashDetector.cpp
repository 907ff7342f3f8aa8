#include "ClashDetector.h"

#include <kv3d/Kv3dBBox.h>

#include <algorithm>
#include <cmath>

namespace kv3dcli {

namespace {

struct SweepBox {
    double lo[3];
    double hi[3];
    std::size_t index;
    bool from_a;
};

// Overlap of two widened boxes with the comparisons of
// Kv3dBBox::intersect_extended: lo = min - margin, hi = max + margin.
bool boxes_overlap(const SweepBox& p, const SweepBox& q) {
    for (int k = 0; k < 3; ++k) {
        if (p.lo[k] > q.hi[k] || q.lo[k] > p.hi[k]) {
            return false;
        }
    }
    return true;
}

bool has_nan(const SweepBox& s) {
    for (int k = 0; k < 3; ++k) {
        if (std::isnan(s.lo[k]) || std::isnan(s.hi[k])) {
            return true;
        }
    }
    return false;
}

// Widened boxes of the valid triangles; boxes with a NaN bound cannot be
// ordered and go to `unordered` instead.
std::size_t collect_boxes(const std::vector<Kv3dTriangle>& triangles, bool from_a, double margin,
                          std::vector<SweepBox>& boxes, std::vector<SweepBox>& unordered) {
    std::size_t degenerate = 0;
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        if (!triangles[i].numerical_valid()) {
            ++degenerate;
            continue;
        }
        const Kv3dBBox box = triangles[i].bbox();
        SweepBox s;
        for (int k = 0; k < 3; ++k) {
            s.lo[k] = box.bbmin()[k] - margin;
            s.hi[k] = box.bbmax()[k] + margin;
        }
        s.index = i;
        s.from_a = from_a;
        (has_nan(s) ? unordered : boxes).push_back(s);
    }
    return degenerate;
}

// The axis along which the boxes are spread widest relative to their mean
// size: the fewest boxes overlap on it.
int sweep_axis(const std::vector<SweepBox>& boxes) {
    int best = 0;
    double best_score = -1.0;
    for (int k = 0; k < 3; ++k) {
        double lo = HUGE_VAL;
        double hi = -HUGE_VAL;
        double sizes = 0.0;
        for (const SweepBox& s : boxes) {
            lo = std::min(lo, s.lo[k]);
            hi = std::max(hi, s.hi[k]);
            sizes += s.hi[k] - s.lo[k];
        }
        const double mean = boxes.empty() ? 0.0 : sizes / static_cast<double>(boxes.size());
        const double score = mean > 0.0 ? (hi - lo) / mean : 0.0;
        if (score > best_score) {
            best_score = score;
            best = k;
        }
    }
    return best;
}

class PairTester {
public:
    PairTester(const std::vector<Kv3dTriangle>& a, const std::vector<Kv3dTriangle>& b,
               ClashResult& result)
        : a_(a), b_(b), result_(result) {}

    void test(const SweepBox& p, const SweepBox& q) {
        const SweepBox& in_a = p.from_a ? p : q;
        const SweepBox& in_b = p.from_a ? q : p;
        ++result_.candidates;
        if (a_[in_a.index].intersect(b_[in_b.index])) {
            result_.pairs.emplace_back(in_a.index, in_b.index);
        }
    }

private:
    const std::vector<Kv3dTriangle>& a_;
    const std::vector<Kv3dTriangle>& b_;
    ClashResult& result_;
};

void sweep(std::vector<SweepBox>& boxes, PairTester& tester) {
    const int axis = sweep_axis(boxes);
    std::sort(boxes.begin(), boxes.end(),
              [axis](const SweepBox& p, const SweepBox& q) { return p.lo[axis] < q.lo[axis]; });
    // Positions in `boxes` of the boxes of each set still open at the sweep line.
    std::vector<std::size_t> open_a;
    std::vector<std::size_t> open_b;
    for (std::size_t n = 0; n < boxes.size(); ++n) {
        const SweepBox& box = boxes[n];
        std::vector<std::size_t>& others = box.from_a ? open_b : open_a;
        for (std::size_t k = 0; k < others.size();) {
            const SweepBox& other = boxes[others[k]];
            // Every later box starts at or after box.lo: one that ends before
            // it can meet none of them.
            if (box.lo[axis] > other.hi[axis]) {
                others[k] = others.back();
                others.pop_back();
                continue;
            }
            if (boxes_overlap(box, other)) {
                tester.test(box, other);
            }
            ++k;
        }
        (box.from_a ? open_a : open_b).push_back(n);
    }
}

}  // namespace

ClashResult find_clashes(const std::vector<Kv3dTriangle>& a, const std::vector<Kv3dTriangle>& b,
                         double margin) {
    ClashResult result;
    std::vector<SweepBox> boxes;
    std::vector<SweepBox> unordered;
    boxes.reserve(a.size() + b.size());
    result.degenerate_a = collect_boxes(a, true, margin, boxes, unordered);
    result.degenerate_b = collect_boxes(b, false, margin, boxes, unordered);
    PairTester tester(a, b, result);
    // Boxes that cannot be ordered meet every box of the other set.
    for (const SweepBox& odd : unordered) {
        for (const SweepBox& other : boxes) {
            if (other.from_a != odd.from_a) {
                tester.test(odd, other);
            }
        }
    }
    for (std::size_t i = 0; i < unordered.size(); ++i) {
        for (std::size_t j = i + 1; j < unordered.size(); ++j) {
            if (unordered[i].from_a != unordered[j].from_a) {
                tester.test(unordered[i], unordered[j]);
            }
        }
    }
    sweep(boxes, tester);
    std::sort(result.pairs.begin(), result.pairs.end());
    return result;
}

}  // namespace kv3dcli
