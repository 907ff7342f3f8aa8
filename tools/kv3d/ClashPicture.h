#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "TriangleFileReader.h"

namespace kv3dcli {

// Two triangle sets in three orthographic views, the triangles that clash
// highlighted: clashing_a[i] is true when triangle i of a intersects one of
// b, and the other way round. pairs is the number of intersecting pairs.
// Large sets are sampled evenly.
std::string clash_picture(const TriangleSet& a, const TriangleSet& b,
                          const std::vector<bool>& clashing_a, const std::vector<bool>& clashing_b,
                          std::size_t pairs);

// The same from the list of intersecting pairs (i, j) of any container
// whose elements have first and second.
template <class Pairs>
std::string clash_picture(const TriangleSet& a, const TriangleSet& b, const Pairs& pairs) {
    std::vector<bool> clashing_a(a.size(), false);
    std::vector<bool> clashing_b(b.size(), false);
    std::size_t count = 0;
    for (const auto& pair : pairs) {
        clashing_a[pair.first] = true;
        clashing_b[pair.second] = true;
        ++count;
    }
    return clash_picture(a, b, clashing_a, clashing_b, count);
}

}  // namespace kv3dcli
