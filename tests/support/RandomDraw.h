#pragma once

#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>

#include <random>

// Seeded random numbers, points and vectors for the property tests.
class RandomDraw {
public:
    explicit RandomDraw(unsigned seed) : rng_(seed) {}

    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng_);
    }
    // 0 .. n - 1.
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    // In the cube of side 2 range about the origin, drawn x, y, z in order.
    Kv3dPoint point(double range) {
        const double x = uniform(-range, range);
        const double y = uniform(-range, range);
        return Kv3dPoint(x, y, uniform(-range, range));
    }
    Kv3dVector vector(double range) { return point(range).as_vector(); }
    // A unit vector (of a point in the unit cube not too near the origin).
    Kv3dVector unit() {
        for (;;) {
            const Kv3dVector v = vector(1.0);
            if (v % v > 1e-4) {
                return v * (1.0 / v.length());
            }
        }
    }

private:
    std::mt19937 rng_;
};
