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

constexpr int kThreads = 8;

using Numbers = std::vector<double>;
using Points = KvArray<Kv3dPoint>;

void put(Numbers& out, const Kv3dPoint& p) {
    out.push_back(p.x());
    out.push_back(p.y());
    out.push_back(p.z());
}

void put(Numbers& out, const Kv3dTransform& t) {
    const double* m = t.as_matrix();
    out.insert(out.end(), m, m + 16);
}

// A scattered cloud of n points about a centre that depends on the seed.
Points cloud(unsigned seed, int n) {
    RandomDraw g(seed);
    const Kv3dVector shift = g.vector(100.0);
    Points points;
    for (int i = 0; i < n; ++i) {
        points.append(g.point(10.0) + shift);
    }
    return points;
}

// A batch operation on the data of one seed, its outputs as numbers.
struct Job {
    const char* name;
    Numbers (*run)(unsigned seed);
};

Numbers enclosing_sphere(unsigned seed) {
    const Kv3dBSphere s(cloud(seed, 3000));
    Numbers out;
    put(out, s.center());
    out.push_back(s.radius());
    return out;
}

Numbers grown_sphere(unsigned seed) {
    Kv3dBSphere s(Kv3dPoint(seed, 0, 0), 2.0);
    s.update_bsphere(cloud(seed + 100, 2000));
    Numbers out;
    put(out, s.center());
    out.push_back(s.radius());
    return out;
}

Numbers point_sort(unsigned seed) {
    Points points = cloud(seed, 3000);
    points.sort(Kv3dPointCompare(Kv3dPoint(seed, -1.0, 2.0)));
    Numbers out;
    for (const Kv3dPoint& p : points) {
        put(out, p);
    }
    return out;
}

Numbers plane_fits(unsigned seed) {
    const Points points = cloud(seed, 2000);
    KvArray<double> weights;
    RandomDraw g(seed);
    for (std::size_t i = 0; i < points.size(); ++i) {
        weights.append(g.uniform(0.0, 2.0));
    }
    Numbers out;
    for (const Kv3dPlane& plane :
         {Kv3d_fit_plane_to_points(points), Kv3d_fit_plane_to_points(points, weights)}) {
        put(out, plane.basepoint());
        put(out, Kv3dPoint(plane.normal().x(), plane.normal().y(), plane.normal().z()));
    }
    return out;
}

// Forty points near an ellipse in a tilted plane.
Numbers conic_fit(unsigned seed) {
    RandomDraw g(seed);
    const Kv3dTransform place(Kv3dPoint(seed, 1.0, -2.0), g.unit(), 0.3 + 0.1 * seed, 0.0);
    Points points;
    for (int i = 0; i < 40; ++i) {
        const double t = 0.157 * i;
        points.append(Kv3dPoint(3.0 * std::cos(t), 1.0 * std::sin(t), g.uniform(-1e-3, 1e-3)));
    }
    Kv3d_apply(place, points);
    int type = -9;
    double a = 0.0;
    double b = 0.0;
    Kv3dTransform where;
    const bool ok = kv3d_conic_data_from_points_3d(points, type, a, b, where);
    Numbers out{ok ? 1.0 : 0.0, static_cast<double>(type), a, b};
    put(out, where);
    return out;
}

Numbers registration(unsigned seed) {
    const Points from = cloud(seed, 500);
    RandomDraw g(seed + 7);
    const Kv3dTransform motion(Kv3dPoint(1, 2, 3), g.unit(), 0.5, 2.0);
    KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs;
    for (const Kv3dPoint& p : from) {
        Kv3dPoint q = p;
        pairs.append(KvPair<Kv3dPoint, Kv3dPoint>(p, q.apply(motion) + g.vector(0.01)));
    }
    Kv3dTransform fit;
    double rms = -1.0;
    const bool ok = Kv3d_fit_transform_least_squares(pairs, Kv3dTransform::RIGID, fit, &rms);
    Numbers out{ok ? 1.0 : 0.0, rms};
    put(out, fit);
    return out;
}

// Two crowded triangle soups, searched on one thread for even seeds and on
// three for odd ones: threads started inside calls running side by side.
Numbers interference(unsigned seed) {
    RandomDraw g(seed);
    KvArray<Kv3dTriangle> a, b;
    for (int i = 0; i < 700; ++i) {
        for (KvArray<Kv3dTriangle>* set : {&a, &b}) {
            const Kv3dPoint p = g.point(6.0);
            set->append(Kv3dTriangle(p, p + g.vector(1.0), p + g.vector(1.0)));
        }
    }
    KvArray<KvPair<std::size_t, std::size_t>> pairs;
    Kv3dInterferenceCounts counts;
    const bool ok = Kv3d_find_intersecting_triangles(a, b, pairs, seed % 2 == 0 ? 1 : 3, &counts);
    Numbers out{ok ? 1.0 : 0.0, static_cast<double>(counts.candidates)};
    for (const auto& p : pairs) {
        out.push_back(static_cast<double>(p.first));
        out.push_back(static_cast<double>(p.second));
    }
    return out;
}

Numbers apply_transform(unsigned seed) {
    RandomDraw g(seed);
    const Kv3dTransform screw(g.point(5.0), g.unit(), 0.25 * seed, 1.5);
    Points points = cloud(seed, 2000);
    Kv3d_apply(screw, points);
    KvArray<Kv3dVector> vectors;
    for (int i = 0; i < 500; ++i) {
        vectors.append(g.vector(3.0));
    }
    Kv3d_apply(screw, vectors);
    Numbers out;
    for (const Kv3dPoint& p : points) {
        put(out, p);
    }
    for (const Kv3dVector& v : vectors) {
        put(out, Kv3dPoint(v.x(), v.y(), v.z()));
    }
    return out;
}

Numbers point_box(unsigned seed) {
    const Kv3dBBox box(cloud(seed, 5000));
    Numbers out;
    put(out, box.bbmin());
    put(out, box.bbmax());
    return out;
}

// A random walk, so that segments near and far mix.
Points polyline(unsigned seed, int n) {
    RandomDraw g(seed);
    Points line;
    Kv3dPoint p = g.point(20.0);
    for (int i = 0; i < n; ++i) {
        line.append(p);
        p = p + g.vector(1.0);
    }
    return line;
}

// Point, ray and polyline to a polyline: distances, nearest points, segments
// and parameters.
Numbers polyline_distances(unsigned seed) {
    const Points first = polyline(seed, 1500);
    const Points second = polyline(seed + 50, 300);
    RandomDraw g(seed + 9);
    Numbers out;
    Kv3dPoint near_first, near_second;
    int segment = -1, other_segment = -1;
    double t = -1.0, other_t = -1.0;
    out.push_back(Kv3d_distance(g.point(20.0), first, near_first, &segment, &t));
    put(out, near_first);
    out.insert(out.end(), {static_cast<double>(segment), t});
    const Kv3dRay ray(g.point(20.0), g.unit().direction());
    out.push_back(Kv3d_distance(ray, first, near_first, &segment, &t));
    put(out, near_first);
    out.insert(out.end(), {static_cast<double>(segment), t});
    out.push_back(Kv3d_distance(first, second, near_first, near_second, &segment, &t,
                                &other_segment, &other_t));
    put(out, near_first);
    put(out, near_second);
    out.insert(out.end(),
               {static_cast<double>(segment), t, static_cast<double>(other_segment), other_t});
    return out;
}

const Job kJobs[] = {
    {"enclosing sphere of a point array", enclosing_sphere},
    {"sphere grown by a point array", grown_sphere},
    {"point sort", point_sort},
    {"plane fits, plain and weighted", plane_fits},
    {"conic fit", conic_fit},
    {"least-squares registration", registration},
    {"polyline distances: point, ray, polyline", polyline_distances},
    {"interference search", interference},
    {"Kv3d_apply to points and vectors", apply_transform},
    {"box of a point array", point_box},
};

TEST(BatchConcurrency, EightThreadsAtOnceMatchASerialRun) {
    constexpr std::size_t kJobCount = sizeof(kJobs) / sizeof(kJobs[0]);
    std::vector<Numbers> serial(kThreads * kJobCount);
    for (int t = 0; t < kThreads; ++t) {
        for (std::size_t j = 0; j < kJobCount; ++j) {
            serial[t * kJobCount + j] = kJobs[j].run(static_cast<unsigned>(t));
        }
    }
    // Each thread runs every job, starting at a different one, so that
    // different operations overlap as well as the same one.
    std::vector<Numbers> concurrent(kThreads * kJobCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &concurrent] {
            for (std::size_t k = 0; k < kJobCount; ++k) {
                const std::size_t j = (k + static_cast<std::size_t>(t)) % kJobCount;
                concurrent[t * kJobCount + j] = kJobs[j].run(static_cast<unsigned>(t));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        for (std::size_t j = 0; j < kJobCount; ++j) {
            const std::size_t k = t * kJobCount + j;
            EXPECT_FALSE(serial[k].empty()) << "case: " << kJobs[j].name << ", thread " << t;
            EXPECT_EQ(concurrent[k], serial[k]) << "case: " << kJobs[j].name << ", thread " << t;
        }
    }
}

}  // namespace
