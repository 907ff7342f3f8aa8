#pragma once

#include <array>
#include <cmath>
#include <limits>

// A threshold and its neighbours: one representable step below it, the
// threshold itself, and one step above. A comparison is pinned by the answers
// at the three (< and <= differ at the threshold, a changed constant beside it).
struct Neighbour {
    const char* name;
    double value;
};

inline std::array<Neighbour, 3> around(double at) {
    const double inf = std::numeric_limits<double>::infinity();
    return {{{"one step below", std::nextafter(at, -inf)},
             {"at the bound", at},
             {"one step above", std::nextafter(at, inf)}}};
}
