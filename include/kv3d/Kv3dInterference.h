#pragma once

#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dTriangle.h>
#include <kv3d/kv3d_export.h>

#include <cstddef>

// What an interference search did besides finding the pairs.
struct Kv3dInterferenceCounts {
    // Pairs tested with Kv3dTriangle::intersect.
    std::size_t candidates = 0;
    // Triangles of a and of b with numerical_valid() false: they intersect
    // nothing and are never tested.
    std::size_t degenerate_a = 0;
    std::size_t degenerate_b = 0;
};

// Interference of two triangle sets: every pair (i, j) with
// a[i].intersect(b[j]), ordered by i, then by j, written to pairs. The
// answer is exactly what testing all pairs gives, and the same for every
// thread count; for the sets swapped, or reordered, it is the same pairs
// relabelled.
//
// Only pairs whose bounding boxes overlap once both are widened by the point
// tolerance on every side are tested: intersect() answers true only for
// triangles that come that close. A triangle with a NaN coordinate has no
// usable box and is tested against every valid triangle of the other set
// (its finite edges may still meet them). The boxes of b's triangles are
// kept in a tree (in Morton order of their centres, bounding boxes of
// consecutive runs above them); each triangle of a walks it. The cost grows
// with n log n and with the pairs tested, not with the product of the sizes.
//
// threads: the number of threads the search runs on, the calling thread
// being one of them; 0 or less means one per hardware thread (one when that
// is unknown). The library starts no threads of its own anywhere else: for
// threads > 1 this call starts up to threads - 1, works beside them, and
// joins them before it returns. Threads that cannot be started are done
// without. a is walked in fixed blocks of consecutive triangles, each
// thread taking the next free block, and the blocks' pairs are put together
// in block order, so the thread count never changes the answer.
//
// counts (may be null) receives the pairs tested and the degenerate
// triangles of each set.
//
// Scratch proportional to the sizes of a and b is allocated once; the pairs
// found are gathered in buffers that grow with them. Returns false, leaving
// pairs and counts as they were, when memory runs out; true otherwise.
// Reads the model resolution: do not change it during the call.
KV3D_API bool Kv3d_find_intersecting_triangles(const KvArray<Kv3dTriangle>& a,
                                               const KvArray<Kv3dTriangle>& b,
                                               KvArray<KvPair<std::size_t, std::size_t>>& pairs,
                                               int threads = 1,
                                               Kv3dInterferenceCounts* counts = nullptr);
