#pragma once

#include <kv3d/Kv3dTriangle.h>

#include <cstddef>
#include <utility>
#include <vector>

namespace kv3dcli {

struct ClashResult {
    // Every (i, j) with a[i].intersect(b[j]), ordered by i, then j.
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    // Pairs whose widened boxes overlap: the ones tested exactly.
    std::size_t candidates = 0;
    // Triangles with a vanishing edge in a and b: they intersect nothing.
    std::size_t degenerate_a = 0;
    std::size_t degenerate_b = 0;
};

// The pairs of triangles of a and b that intersect, exactly as testing all
// pairs would find them, testing only the pairs whose bounding boxes overlap
// when both are widened by margin on every side.
//
// Sort and sweep: the widened boxes of both sets are sorted by their lower
// bound along one axis (the one along which the boxes are spread widest
// relative to their size); a sweep along it keeps the boxes of each set whose
// upper bound has not been passed, and tests each new box against the other
// set's. Work is proportional to the number of pairs overlapping on that
// axis, plus a sort.
//
// Exactness needs every intersecting pair to pass the box test: intersect()
// answers true only for triangles that come within the point tolerance of
// each other, so margin >= Kv3dResObj::same_point_tol() suffices. A triangle
// with a vanishing edge intersects nothing and is skipped.
ClashResult find_clashes(const std::vector<Kv3dTriangle>& a, const std::vector<Kv3dTriangle>& b,
                         double margin);

}  // namespace kv3dcli
