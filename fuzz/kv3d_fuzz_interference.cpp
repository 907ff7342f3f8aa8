// Arbitrary triangle sets through the interference search. The triangles
// take their vertices from a small pool of input points, so that shared
// vertices, shared edges, copies and degenerate triangles are common; the
// pool holds whatever doubles the input gives (NaN, infinities, huge and
// tiny values). Nothing may crash, hang or trip a sanitizer; the search on
// one and on three threads must agree, and both must find exactly the pairs
// that testing all pairs finds among those whose widened boxes overlap
// (every pair, for a triangle with a NaN coordinate).
#include <kv3d/kv3d.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"

using kv3dfuzz::check;
using kv3dfuzz::DoubleSource;

namespace {

using Pairs = KvArray<KvPair<std::size_t, std::size_t>>;

bool has_nan(const Kv3dTriangle& t) {
    for (int k = 0; k < 9; ++k) {
        if (std::isnan(t[k])) {
            return true;
        }
    }
    return false;
}

// The pairs testing all pairs finds, and how many it tests.
void all_pairs(const KvArray<Kv3dTriangle>& a, const KvArray<Kv3dTriangle>& b, Pairs& pairs,
               std::size_t& tested) {
    const double tol = Kv3dResObj::same_point_tol();
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            if (!a[i].numerical_valid() || !b[j].numerical_valid() ||
                !(has_nan(a[i]) || has_nan(b[j]) ||
                  a[i].bbox().intersect_extended(b[j].bbox(), tol))) {
                continue;
            }
            ++tested;
            if (a[i].intersect(b[j])) {
                pairs.append(KvPair<std::size_t, std::size_t>(i, j));
            }
        }
    }
}

bool same(const Pairs& p, const Pairs& q) {
    if (p.size() != q.size()) {
        return false;
    }
    for (std::size_t k = 0; k < p.size(); ++k) {
        if (p[k].first != q[k].first || p[k].second != q[k].second) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DoubleSource in(data, size);
    Kv3dPoint pool[8];
    for (Kv3dPoint& p : pool) {
        p = in.point();
    }
    // A up to 376 triangles (two blocks of the search's work), B up to 47.
    KvArray<Kv3dTriangle> sets[2];
    for (int s = 0; s < 2; ++s) {
        KvArray<Kv3dTriangle>& set = sets[s];
        const int n = in.count(48) * (s == 0 ? 8 : 1);
        for (int i = 0; i < n; ++i) {
            const Kv3dPoint& p = pool[in.count(8)];
            const Kv3dPoint& q = pool[in.count(8)];
            set.append(Kv3dTriangle(p, q, pool[in.count(8)] + Kv3dVector(0.0, 0.0, in.count(3))));
        }
    }
    Pairs one, three, expected;
    Kv3dInterferenceCounts counts_one, counts_three;
    check(Kv3d_find_intersecting_triangles(sets[0], sets[1], one, 1, &counts_one));
    check(Kv3d_find_intersecting_triangles(sets[0], sets[1], three, 3, &counts_three));
    std::size_t tested = 0;
    all_pairs(sets[0], sets[1], expected, tested);
    check(same(one, three));
    check(same(one, expected));
    check(counts_one.candidates == tested);
    check(counts_three.candidates == tested);
    return 0;
}
