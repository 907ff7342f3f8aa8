// Every batch operation on eight threads at once, each thread on data of its
// own, every result equal to the bit to a serial run of the same call. Built
// under ThreadSanitizer too (the tsan preset), which reports any data race
// between the calls: nothing the library shares may be written by a call.

#include <kv3d/kv3d.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/RandomDraw.h"

namespace {

using Points = KvArray<Kv3dPoint>;

// The outputs of a job as numbers, in order.
struct Out {
    std::vector<double> n;
    Out& operator<<(double x) { return n.push_back(x), *this; }
    template <class T>  // points, vectors, directions
    auto operator<<(const T& p) -> decltype(p.as_array(), *this) {
        return *this << p[0] << p[1] << p[2];
    }
    Out& operator<<(const Kv3dPlane& p) { return *this << p.basepoint() << p.normal(); }
    Out& operator<<(const Kv3dTransform& t) {
        return n.insert(n.end(), t.as_matrix(), t.as_matrix() + 16), *this;
    }
    template <class T>
    Out& operator<<(const KvArray<T>& items) {
        for (const T& x : items) *this << x;
        return *this;
    }
};

// A scattered cloud of n points about a centre that depends on the seed, or
// (walk) a random walk, so that segments near and far mix.
Points cloud(unsigned seed, int n, bool walk = false) {
    RandomDraw g(seed);
    Kv3dPoint p = g.point(100.0);
    Points points;
    for (int i = 0; i < n; ++i) points.append(walk ? (p = p + g.vector(1.0)) : p + g.vector(10.0));
    return points;
}

// A batch operation on the data of one seed, its outputs as numbers.
struct Job {
    const char* name;
    Out (*run)(unsigned seed);
};

const Job kJobs[] = {
    {"enclosing spheres, box, sort and Kv3d_apply of point arrays",
     [](unsigned seed) {
         RandomDraw g(seed);
         Points points = cloud(seed, 3000);
         const Kv3dBSphere s(points);
         Kv3dBSphere grown(Kv3dPoint(seed, 0, 0), 2.0);
         grown.update_bsphere(cloud(seed + 100, 2000));
         const Kv3dBBox box(points);
         Out out;
         out << s.radius() << s.center() << grown.radius() << grown.center() << box.bbmin()
             << box.bbmax();
         points.sort(Kv3dPointCompare(Kv3dPoint(seed, -1.0, 2.0)));
         KvArray<Kv3dVector> vectors;
         for (int i = 0; i < 500; ++i) vectors.append(g.vector(3.0));
         const Kv3dTransform screw(g.point(5.0), g.unit(), 0.25 * seed, 1.5);
         Kv3d_apply(screw, vectors);
         out << points << vectors;
         Kv3d_apply(screw, points);
         return out << points;
     }},
    {"fits: plane (plain and weighted), conic, least-squares registration",
     [](unsigned seed) {
         RandomDraw g(seed);
         const Points points = cloud(seed, 2000);
         const Kv3dTransform motion(Kv3dPoint(1, 2, 3), g.unit(), 0.5, 2.0);
         KvArray<double> weights;
         KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs;
         for (const Kv3dPoint& p : points) {
             weights.append(g.uniform(0.0, 2.0));
             pairs.append({p, Kv3dPoint(p).apply(motion) + g.vector(0.01)});
         }
         Points ellipse;  // forty points near an ellipse
         for (int i = 0; i < 40; ++i) {
             ellipse.append(Kv3dPoint(3 * std::cos(0.157 * i), seed + std::sin(0.157 * i),
                                      g.uniform(-1e-3, 1e-3)));
         }
         int type = -9;
         double a = 0.0, b = 0.0, rms = -1.0;
         Kv3dTransform conic, fit;
         const bool conic_ok = kv3d_conic_data_from_points_3d(ellipse, type, a, b, conic);
         const bool fit_ok =
             Kv3d_fit_transform_least_squares(pairs, Kv3dTransform::RIGID, fit, &rms);
         return Out() << Kv3d_fit_plane_to_points(points)
                      << Kv3d_fit_plane_to_points(points, weights) << conic_ok << type << a << b
                      << conic << fit_ok << rms << fit;
     }},
    // Point, ray and polyline to a polyline: distances, nearest points,
    // segments and parameters.
    {"polyline distances: point, ray, polyline",
     [](unsigned seed) {
         const Points first = cloud(seed, 1500, true), second = cloud(seed + 50, 300, true);
         RandomDraw g(seed + 9);
         Kv3dPoint p, q;
         int i = -1, j = -1;
         double s = -1.0, t = -1.0;
         Out out;
         out << Kv3d_distance(g.point(20.0), first, p, &i, &s) << p << i << s;
         const Kv3dRay ray(g.point(20.0), g.unit().direction());
         out << Kv3d_distance(ray, first, p, &i, &s) << p << i << s;
         out << Kv3d_distance(first, second, p, q, &i, &s, &j, &t);
         return out << p << q << i << s << j << t;
     }},
    // Two crowded triangle soups, searched on one thread for even seeds and on
    // three for odd ones: threads started inside calls running side by side.
    {"interference search",
     [](unsigned seed) {
         RandomDraw g(seed);
         KvArray<Kv3dTriangle> a, b;
         for (int i = 0; i < 1400; ++i) {
             const Kv3dPoint p = g.point(6.0);
             (i % 2 ? b : a).append(Kv3dTriangle(p, p + g.vector(1.0), p + g.vector(1.0)));
         }
         KvArray<KvPair<std::size_t, std::size_t>> pairs;
         Kv3dInterferenceCounts counts;
         Out out;
         out << Kv3d_find_intersecting_triangles(a, b, pairs, 1 + seed % 2 * 2, &counts)
             << counts.candidates;
         for (const auto& p : pairs) out << p.first << p.second;
         return out;
     }},
};

TEST(BatchConcurrency, EightThreadsAtOnceMatchASerialRun) {
    constexpr std::size_t kThreads = 8, kJobCount = sizeof(kJobs) / sizeof(kJobs[0]);
    std::vector<std::vector<double>> serial(kThreads * kJobCount), concurrent(serial.size());
    for (std::size_t k = 0; k < serial.size(); ++k)
        serial[k] = kJobs[k % kJobCount].run(unsigned(k / kJobCount)).n;
    // Each thread runs every job, starting at a different one, so that
    // different operations overlap as well as the same one.
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &concurrent] {
            for (std::size_t k = 0; k < kJobCount; ++k) {
                const std::size_t j = (k + t) % kJobCount;
                concurrent[t * kJobCount + j] = kJobs[j].run(unsigned(t)).n;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (std::size_t k = 0; k < serial.size(); ++k) {
        const std::string name =
            std::string(kJobs[k % kJobCount].name) + ", thread " + std::to_string(k / kJobCount);
        EXPECT_EQ(concurrent[k], serial[k]) << "case: " << name;
    }
}

}  // namespace
