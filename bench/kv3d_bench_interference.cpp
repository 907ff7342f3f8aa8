// Interference of two meshes of about 10^6 triangles each
// (Kv3d_find_intersecting_triangles on 1 and 2 threads) beside a plain
// uniform grid of the same widened boxes, and, on the 2000 triangles of each
// mesh nearest to a point where they cross, beside testing all pairs.
// Scenes: two offset spheres (each a cube's faces in 289 x 289 squares,
// pushed onto the sphere) crossing along a circle, and two noisy plates of
// 707 x 707 squares, a twentieth of a square apart, crossing everywhere.

#include <kv3d/kv3d.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "RatioReporter.h"

namespace {

using Triangles = KvArray<Kv3dTriangle>;
using Pairs = KvArray<KvPair<std::size_t, std::size_t>>;

enum Scene { kSpheres = 0, kPlates = 1 };
const char* const kSceneNames[] = {"spheres", "plates"};

struct Meshes {
    Triangles a;
    Triangles b;
    Kv3dPoint crossing;  // a point where the meshes cross
};

// Two triangles per square of a grid of points, row by row.
void add_grid(const std::vector<Kv3dPoint>& points, int n, Triangles& out) {
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const Kv3dPoint& p = points[i * (n + 1) + j];
            const Kv3dPoint& q = points[i * (n + 1) + j + 1];
            const Kv3dPoint& r = points[(i + 1) * (n + 1) + j];
            const Kv3dPoint& s = points[(i + 1) * (n + 1) + j + 1];
            out.append(Kv3dTriangle(p, q, s));
            out.append(Kv3dTriangle(p, s, r));
        }
    }
}

// The sphere of the given centre and radius as the six faces of a cube,
// each in n x n squares, every grid point pushed out onto the sphere.
Triangles sphere(const Kv3dPoint& centre, double radius, int n) {
    Triangles out;
    out.reserve(12 * static_cast<std::size_t>(n) * n);
    for (int face = 0; face < 6; ++face) {
        const int axis = face / 2;
        const double side = face % 2 == 0 ? -1.0 : 1.0;
        std::vector<Kv3dPoint> points;
        for (int i = 0; i <= n; ++i) {
            for (int j = 0; j <= n; ++j) {
                double c[3];
                c[axis] = side;
                c[(axis + 1) % 3] = 2.0 * i / n - 1.0;
                c[(axis + 2) % 3] = 2.0 * j / n - 1.0;
                const Kv3dVector v(c[0], c[1], c[2]);
                points.push_back(centre + v * (radius / v.length()));
            }
        }
        add_grid(points, n, out);
    }
    return out;
}

// An n x n plate of squares of side h in the plane z = 0 from (x0, y0),
// every grid point moved up or down by up to noise.
Triangles plate(double x0, double y0, double h, double noise, int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dz(-noise, noise);
    std::vector<Kv3dPoint> points;
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= n; ++j) {
            points.push_back(Kv3dPoint(x0 + h * j, y0 + h * i, dz(rng)));
        }
    }
    Triangles out;
    out.reserve(2 * static_cast<std::size_t>(n) * n);
    add_grid(points, n, out);
    return out;
}

const Meshes& scene(int which) {
    static Meshes scenes[2];
    Meshes& m = scenes[which];
    if (m.a.empty()) {
        if (which == kSpheres) {
            const Kv3dPoint c(30, 20, 10);
            m.a = sphere(Kv3dPoint(0, 0, 0), 50.0, 289);
            m.b = sphere(c, 50.0, 289);
            // On the circle where they cross: c / 2 plus its radius along a
            // direction orthogonal to c.
            const double r = std::sqrt(2500.0 - (c.as_vector() % c.as_vector()) / 4.0);
            m.crossing = Kv3dPoint(15, 10, 5) + Kv3dVector(2, -3, 0) * (r / std::sqrt(13.0));
        } else {
            m.a = plate(0.0, 0.0, 0.1, 0.05, 707, 1);
            m.b = plate(0.005, 0.005, 0.1, 0.05, 707, 2);
            m.crossing = Kv3dPoint(35, 35, 0);
        }
    }
    return m;
}

// The count triangles of t whose first vertex lies nearest to p.
Triangles nearest(const Triangles& t, const Kv3dPoint& p, std::size_t count) {
    std::vector<std::pair<double, std::size_t>> by_distance;
    for (std::size_t i = 0; i < t.size(); ++i) {
        by_distance.emplace_back(t[i].p0().square_distance(p), i);
    }
    std::partial_sort(by_distance.begin(), by_distance.begin() + count, by_distance.end());
    Triangles out;
    for (std::size_t k = 0; k < count; ++k) {
        out.append(t[by_distance[k].second]);
    }
    return out;
}

const Meshes& subset(int which) {
    static Meshes subsets[2];
    Meshes& m = subsets[which];
    if (m.a.empty()) {
        const Meshes& full = scene(which);
        m.a = nearest(full.a, full.crossing, 2000);
        m.b = nearest(full.b, full.crossing, 2000);
    }
    return m;
}

// ---- Peers -----------------------------------------------------------------

// Every pair tested.
std::size_t all_pairs(const Triangles& a, const Triangles& b) {
    std::size_t found = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            found += a[i].intersect(b[j]) ? 1 : 0;
        }
    }
    return found;
}

// A plain uniform grid: cells the mean size of b's widened boxes, each box
// of b listed in every cell it overlaps (a hash map from cell to boxes);
// each box of a tests the boxes listed in its cells, a pair only in the
// cell holding the lower corner of the boxes' overlap, so that it is tested
// once. Pairs sorted at the end.
std::size_t plain_grid(const Triangles& a, const Triangles& b) {
    const double tol = Kv3dResObj::same_point_tol();
    auto widened = [tol](const Kv3dTriangle& t) {
        Kv3dBBox box = t.bbox();
        box.update_bbox(box.bbmin() - Kv3dVector(tol, tol, tol));
        box.update_bbox(box.bbmax() + Kv3dVector(tol, tol, tol));
        return box;
    };
    std::vector<Kv3dBBox> boxes_b;
    double size = 0.0;
    for (std::size_t j = 0; j < b.size(); ++j) {
        boxes_b.push_back(widened(b[j]));
        const Kv3dVector d = boxes_b.back().bbmax() - boxes_b.back().bbmin();
        size += std::max(d.x(), std::max(d.y(), d.z()));
    }
    const double cell = size / static_cast<double>(b.size());
    auto index = [cell](double x) { return static_cast<std::int64_t>(std::floor(x / cell)); };
    auto key = [](std::int64_t i, std::int64_t j, std::int64_t k) {
        return (static_cast<std::uint64_t>(i) & 0x1fffff) |
               (static_cast<std::uint64_t>(j) & 0x1fffff) << 21 |
               (static_cast<std::uint64_t>(k) & 0x1fffff) << 42;
    };
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> grid;
    for (std::size_t j = 0; j < b.size(); ++j) {
        const Kv3dPoint& lo = boxes_b[j].bbmin();
        const Kv3dPoint& hi = boxes_b[j].bbmax();
        for (std::int64_t x = index(lo.x()); x <= index(hi.x()); ++x) {
            for (std::int64_t y = index(lo.y()); y <= index(hi.y()); ++y) {
                for (std::int64_t z = index(lo.z()); z <= index(hi.z()); ++z) {
                    grid[key(x, y, z)].push_back(j);
                }
            }
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Kv3dBBox box = widened(a[i]);
        const Kv3dPoint& lo = box.bbmin();
        const Kv3dPoint& hi = box.bbmax();
        for (std::int64_t x = index(lo.x()); x <= index(hi.x()); ++x) {
            for (std::int64_t y = index(lo.y()); y <= index(hi.y()); ++y) {
                for (std::int64_t z = index(lo.z()); z <= index(hi.z()); ++z) {
                    const auto cell_boxes = grid.find(key(x, y, z));
                    if (cell_boxes == grid.end()) {
                        continue;
                    }
                    for (std::size_t j : cell_boxes->second) {
                        const Kv3dBBox& other = boxes_b[j];
                        if (!box.intersect_extended(other, 0.0) ||
                            index(std::max(lo.x(), other.bbmin().x())) != x ||
                            index(std::max(lo.y(), other.bbmin().y())) != y ||
                            index(std::max(lo.z(), other.bbmin().z())) != z) {
                            continue;
                        }
                        if (a[i].intersect(b[j])) {
                            pairs.emplace_back(i, j);
                        }
                    }
                }
            }
        }
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs.size();
}

std::size_t kv3d_search(const Triangles& a, const Triangles& b, int threads) {
    Pairs pairs;
    Kv3d_find_intersecting_triangles(a, b, pairs, threads);
    return pairs.size();
}

// ---- Benchmarks ------------------------------------------------------------

std::size_t g_found[2][2];  // [scene][0: full, 1: subset], as the library found them

// Times search() and reports the number of pairs it found, kept in found.
template <class Search>
void time_search(benchmark::State& state, std::size_t& found, Search search) {
    for (auto _ : state) {
        found = search();
        benchmark::DoNotOptimize(found);
    }
    state.counters["pairs"] = static_cast<double>(found);
}

void BM_Kv3d(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    const Meshes& m = scene(which);
    time_search(state, g_found[which][0], [&] { return kv3d_search(m.a, m.b, threads); });
}

void BM_PlainGrid(benchmark::State& state) {
    const Meshes& m = scene(static_cast<int>(state.range(0)));
    std::size_t found = 0;
    time_search(state, found, [&] { return plain_grid(m.a, m.b); });
}

void BM_Kv3dSubset(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const Meshes& m = subset(which);
    time_search(state, g_found[which][1], [&] { return kv3d_search(m.a, m.b, 1); });
}

void BM_AllPairsSubset(benchmark::State& state) {
    const Meshes& m = subset(static_cast<int>(state.range(0)));
    std::size_t found = 0;
    time_search(state, found, [&] { return all_pairs(m.a, m.b); });
}

BENCHMARK(BM_Kv3d)
    ->ArgsProduct({{kSpheres, kPlates}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_PlainGrid)->Arg(kSpheres)->Arg(kPlates)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Kv3dSubset)->Arg(kSpheres)->Arg(kPlates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllPairsSubset)->Arg(kSpheres)->Arg(kPlates)->Unit(benchmark::kMillisecond);

std::string name(const char* bench, int which, int threads = 0) {
    std::string n = std::string(bench) + "/" + std::to_string(which);
    if (threads > 0) {
        n += "/" + std::to_string(threads);
    }
    return n;
}

void print_ratios(const RatioReporter& r) {
    std::printf("\n");
    for (int which : {kSpheres, kPlates}) {
        const std::string s = kSceneNames[which];
        const std::string one = name("BM_Kv3d", which, 1) + "/iterations:3/real_time";
        const std::string two = name("BM_Kv3d", which, 2) + "/iterations:3/real_time";
        r.print_ratio((s + ": 2 threads / 1 thread").c_str(), two, one);
        r.print_ratio((s + ": 1 thread / plain grid").c_str(), one,
                      name("BM_PlainGrid", which) + "/iterations:2");
        r.print_ratio((s + ": 2000 x 2000, kv3d / all pairs").c_str(), name("BM_Kv3dSubset", which),
                      name("BM_AllPairsSubset", which));
    }
    std::printf(
        "(time ratios, real and CPU; the CPU time of a run on 2 threads counts the\n"
        " calling thread only)\n");
}

}  // namespace

int main(int argc, char** argv) { return run_benchmarks_with_ratios(argc, argv, print_ratios); }
