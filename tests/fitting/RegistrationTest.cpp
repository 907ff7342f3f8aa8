#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "transform/TransformTestUtil.h"

using namespace xf_test;

namespace {

using Type = Kv3dTransform::Kv3dTransformType;
using Pair = KvPair<Kv3dPoint, Kv3dPoint>;
const Type kRigid = Kv3dTransform::RIGID, kSimilar = Kv3dTransform::SIMILARITY,
           kAffine = Kv3dTransform::AFFINE;
const Type kTypes[] = {kRigid, kSimilar, kAffine};

std::string type_name(Type t) {
    return t == kRigid ? "rigid" : t == kSimilar ? "similarity" : "affine";
}

struct Fit {
    bool ok = false;
    Kv3dTransform T;
    double rms = std::nan("");  // fails every comparison when the fit does
};

Fit fit(const Pairs& pairs, Type type, const KvArray<double>* weights = nullptr) {
    Fit f;
    f.ok = Kv3d_fit_transform_least_squares(pairs, type, f.T, &f.rms, weights);
    return f;
}

// Largest difference of the affine entries (rows 0 to 2).
double max_diff(const Kv3dTransform& a, const Kv3dTransform& b) {
    double d = 0.0;
    for (int k = 0; k < 12; ++k) d = std::max(d, std::fabs(a.as_matrix()[k] - b.as_matrix()[k]));
    return d;
}

// Both succeed with the same matrix and rms; the failure says which differs.
::testing::AssertionResult identical(const Fit& a, const Fit& b) {
    if (!a.ok || !b.ok) return ::testing::AssertionFailure() << "a fit failed";
    if (!same_matrix(a.T, b.T)) return ::testing::AssertionFailure() << "the matrices differ";
    if (a.rms != b.rms) return ::testing::AssertionFailure() << "rms " << a.rms << " vs " << b.rms;
    return ::testing::AssertionSuccess();
}

// sum_i w_i |T p_i - q_i|^2, written out.
double objective(const Pairs& pairs, const Kv3dTransform& T, const KvArray<double>* w = nullptr) {
    double sum = 0.0;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const double wi = w == nullptr ? 1.0 : i < w->size() ? (*w)[i] : 0.0;
        sum += wi * moved(T, pairs[i].first).square_distance(pairs[i].second);
    }
    return sum;
}

// A screw motion, for SIMILARITY then scaled about a random point, and for
// AFFINE a random frame.
Kv3dTransform random_motion(std::mt19937& rng, Type type) {
    if (type == kAffine) return random_transform(rng);
    std::uniform_real_distribution<double> angle(-3.0, 3.0), scale(0.2, 5.0);
    const P base = random_point(rng);
    const V axis = random_vector(rng);
    const double turn = angle(rng), shift = angle(rng), s = scale(rng);
    Kv3dTransform T(base, axis, turn, shift);
    if (type == kSimilar) T.apply(Kv3dTransform(s, random_point(rng)));
    return T;
}

// n random source points, their images under T, and normal noise of the
// given deviation per target coordinate.
Pairs moved_pairs(std::mt19937& rng, const Kv3dTransform& T, int n, double noise = 0.0) {
    std::normal_distribution<double> error(0.0, noise > 0.0 ? noise : 1.0);
    Pairs pairs;
    for (int i = 0; i < n; ++i) {
        const P p = random_point(rng);
        P q = moved(T, p);
        for (int k = 0; noise > 0.0 && k < 3; ++k) q[k] += error(rng);
        pairs.append(Pair(p, q));
    }
    return pairs;
}

Pairs identity_pairs(const std::vector<P>& points) {
    Pairs pairs;
    for (const P& p : points) pairs.append(Pair(p, p));
    return pairs;
}

// Every other case has the fewest pairs the type needs, as many as the exact
// point-pair transform uses: both are the same motion then.
TEST(Registration, RecoversRandomMotionsExactly) {
    std::mt19937 rng(101);
    for (Type type : kTypes) {
        for (int seed = 0; seed < 40; ++seed) {
            const std::string name = type_name(type) + " #" + std::to_string(seed);
            const Kv3dTransform truth = random_motion(rng, type);
            const int fewest = type == kAffine ? 4 : 3;
            Pairs pairs = moved_pairs(rng, truth, fewest + (seed % 2) * seed * seed / 2);
            const Fit f = fit(pairs, type);
            EXPECT_LT(max_diff(f.T, truth), 1e-9) << "case: " << name;
            EXPECT_LT(f.rms, 1e-10) << "case: " << name;
            // Tiny and huge coordinates keep their precision: the fit works
            // on scaled copies.
            for (double scale : {1e-200, 1e200}) {
                Pairs scaled;
                for (const Pair& p : pairs) scaled.append(Pair(p.first * scale, p.second * scale));
                EXPECT_LT(fit(scaled, type).rms / scale, 1e-10)
                    << "case: " << name << " at " << scale;
            }
            EXPECT_EQ(f.T.is_orthonormal(), type == kRigid) << "case: " << name;
            if (seed % 2 == 0) {
                EXPECT_LT(max_diff(f.T, Kv3dTransform(pairs, type)), 1e-9)
                    << "case: exact transform, " << name;
            }
        }
    }
}

// Noise of deviation 0.01 per coordinate: the residual of many pairs comes
// near 0.01 sqrt(3), never above that of the motion that made the data; the
// fit is the same for every order of the pairs (reversed, then shuffled).
TEST(Registration, NoisyPairsInAnyOrder) {
    std::mt19937 rng(202);
    for (Type type : kTypes) {
        const std::string name = type_name(type);
        const Kv3dTransform truth = random_motion(rng, type);
        const Pairs pairs = moved_pairs(rng, truth, 2000, 0.01);
        const Fit f = fit(pairs, type);
        ASSERT_TRUE(f.ok) << "case: " << name;
        EXPECT_LE(f.rms, std::sqrt(objective(pairs, truth) / 2000.0)) << "case: " << name;
        EXPECT_NEAR(f.rms, 0.01 * std::sqrt(3.0), 0.001) << "case: " << name;
        EXPECT_LT(max_diff(f.T, truth), 0.01) << "case: " << name;
        std::vector<std::size_t> order(pairs.size());
        std::iota(order.rbegin(), order.rend(), 0);
        for (int trial = 0; trial < 4; ++trial) {
            Pairs permuted;
            for (std::size_t i : order) permuted.append(pairs[i]);
            const Fit g = fit(permuted, type);
            EXPECT_LT(max_diff(f.T, g.T), 1e-12) << "case: " << name << ", order " << trial;
            EXPECT_NEAR(f.rms, g.rms, 1e-13) << "case: " << name << ", order " << trial;
            std::shuffle(order.begin(), order.end(), rng);
        }
    }
}

// A mirrored solid is matched by the best proper rotation, never by a
// reflection; a flat set's mirror image is a turned copy, matched exactly.
TEST(Registration, RigidFitNeverReflects) {
    std::mt19937 rng(404);
    const double mirror[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int seed = 0; seed < 20; ++seed) {
        const std::string name = "#" + std::to_string(seed);
        const Pairs solid = moved_pairs(rng, Kv3dTransform(mirror), 8);
        const Fit r = fit(solid, kRigid), s = fit(solid, kSimilar);
        EXPECT_TRUE(r.T.is_orient_preserving()) << "case: rigid " << name;
        for (int i = 1; i < 8; ++i) {  // lengths kept: the linear part is orthonormal
            EXPECT_NEAR(moved(r.T, solid[i].first).distance(moved(r.T, solid[0].first)),
                        solid[i].first.distance(solid[0].first), 1e-12)
                << "case: rigid " << name << ", length " << i;
        }
        EXPECT_GT(r.rms, 0.1) << "case: rigid " << name;
        EXPECT_TRUE(s.T.is_orient_preserving()) << "case: similarity " << name;
        // The similarity's scale is the best one for its rotation.
        for (double factor : {0.999, 1.001}) {
            Kv3dTransform rescaled = s.T;
            rescaled.apply(Kv3dTransform(factor, P()));
            EXPECT_GT(objective(solid, rescaled), objective(solid, s.T))
                << "case: similarity " << name << " scaled by " << factor;
        }
        Pairs flat;  // in the plane x = 0.3 y, mirrored in x = 0
        for (int i = 0; i < 6; ++i) {
            const P q = random_point(rng);
            flat.append(Pair(P(0.3 * q.y(), q.y(), q.z()), P(-0.3 * q.y(), q.y(), q.z())));
        }
        const Fit g = fit(flat, kRigid);
        EXPECT_TRUE(g.T.is_orient_preserving()) << "case: flat " << name;
        EXPECT_LT(g.rms, 1e-12) << "case: flat " << name;
    }
}

TEST(Registration, WeightsScaleTheSquaredResiduals) {
    std::mt19937 rng(707);
    for (Type type : kTypes) {
        const std::string name = type_name(type);
        const Pairs pairs = moved_pairs(rng, random_motion(rng, type), 9, 0.3);
        // The pairs without pair 4, the first six, and pair 7 given twice.
        Pairs without_4, first_6, with_7_twice = pairs;
        with_7_twice.append(pairs[7]);
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (i != 4) without_4.append(pairs[i]);
            if (i < 6) first_6.append(pairs[i]);
        }
        const KvArray<double> equal(std::vector<double>(9, 2.5)),
            ones_6(std::vector<double>(6, 1.0)), w{1, 2, 0.5, 3, 1, 1, 4, 1, 2},
            w4{4, 8, 2, 12, 4, 4, 16, 4, 8}, zero_4{1, 1, 1, 1, 0, 1, 1, 1, 1},
            twice_7{1, 1, 1, 1, 1, 1, 1, 2, 1};
        EXPECT_TRUE(identical(fit(pairs, type, &equal), fit(pairs, type)))
            << "case: equal, " << name;
        EXPECT_TRUE(identical(fit(pairs, type, &w4), fit(pairs, type, &w))) << "case: x4, " << name;
        EXPECT_TRUE(identical(fit(pairs, type, &zero_4), fit(without_4, type)))
            << "case: zero weight, " << name;
        EXPECT_TRUE(identical(fit(pairs, type, &ones_6), fit(first_6, type)))
            << "case: weights shorter than the pairs, " << name;
        // Weight 2 is the pair given twice, and the rms is the weighted one.
        const Fit weighted = fit(pairs, type, &twice_7), doubled = fit(with_7_twice, type);
        EXPECT_LT(max_diff(weighted.T, doubled.T), 1e-12) << "case: weight 2, " << name;
        EXPECT_NEAR(weighted.rms, std::sqrt(objective(pairs, weighted.T, &twice_7) / 10.0), 1e-12)
            << "case: weighted rms, " << name;
    }
}

// A cross of half-lengths a and b about at, as pairs that change nothing.
Pairs cross(double a, double b, const V& at = V()) {
    return identity_pairs({P(a, 0, 0) + at, P(-a, 0, 0) + at, P(0, b, 0) + at, P(0, -b, 0) + at});
}

// The second (third, for AFFINE) singular value of the centred sources
// against tol times the largest. A cross of half-lengths 1 and b (a star
// with a third arm b) has them in the ratio b exactly.
TEST(Registration, SpreadThresholdIsStrict) {
    const double tol = Kv3d_registration_spread_tol;
    const struct {
        const char* name;
        double b;
        bool ok;
    } cases[] = {{"below", tol * (1 - 0x1p-20), false},
                 {"at", tol, false},
                 {"above", tol * (1 + 0x1p-20), true}};
    for (const auto& c : cases) {
        const Pairs star = identity_pairs(
            {P(1, 0, 0), P(-1, 0, 0), P(0, 1, 0), P(0, -1, 0), P(0, 0, c.b), P(0, 0, -c.b)});
        EXPECT_EQ(fit(cross(1, c.b), kRigid).ok, c.ok) << "case: line, " << c.name;
        EXPECT_EQ(fit(cross(1, c.b), kSimilar).ok, c.ok) << "case: line, similarity, " << c.name;
        EXPECT_EQ(fit(star, kAffine).ok, c.ok) << "case: plane, " << c.name;
    }
    // Scale-free: the cross just above, at any size and position.
    for (double s : {1e-150, 1e-3, 1e150}) {
        EXPECT_TRUE(fit(cross(s, tol * (1 + 0x1p-20) * s, V(3 * s, -2 * s, 5 * s)), kRigid).ok)
            << "case: cross of size " << s;
    }
}

// Failures leave the outputs as they were.
TEST(Registration, DegenerateAndBadInputIsRefused) {
    const P a(0, 0, 0), b(1, 2, 3), c(2, -1, 0), d(0, 0, 5);
    // Exactly collinear far from the origin, where the centroid (base + 4/3
    // step) is rounded by about 5e-8 against a spread of 8e-3: naively
    // centred, the rounding would pass for a second dimension.
    const P base(333333333.25, -285714285.5, 272727272.75);
    const V step(0x1p-10, 0x3p-10, -0x1p-9);
    const Pairs five = identity_pairs({a, b, c, d, P(1, 1, 1)});
    Pairs nan_target = five, inf_source = five, overflow = identity_pairs({a, b, c, d});
    nan_target[2].second.set_y(std::nan(""));
    inf_source[0].first.set_z(-HUGE_VAL);
    for (Pair& pair : overflow) pair.first = pair.first * 1e-300;  // sources 1e-300 apart
    overflow[0].second = P(1e308, -1e308, 1e308);
    const KvArray<double> drop_2{1, 1, 0, 1, 1}, negative{1, 1, -1, 1, 1},
        nan_weight{1, std::nan(""), 1, 1, 1}, zeros(std::vector<double>(5, 0.0)), empty,
        two_left{0, 0, 0, 1, 1};
    const struct {
        const char* name;
        Pairs pairs;
        Type type;
        const KvArray<double>* weights;
    } cases[] = {
        {"no pairs", Pairs(), kRigid, nullptr},
        {"two pairs", identity_pairs({a, b}), kRigid, nullptr},
        {"collinear", identity_pairs({a, b, b + (b - a) * 2.5}), kRigid, nullptr},
        {"coincident", identity_pairs({b, b, b, b}), kSimilar, nullptr},
        {"three pairs, affine", identity_pairs({a, b, c}), kAffine, nullptr},
        {"coplanar, affine", identity_pairs({a, b, c, b + (c - a)}), kAffine, nullptr},
        {"collinear far away", identity_pairs({base, base + step, base + step * 3.0}), kRigid,
         nullptr},
        {"NaN target", nan_target, kRigid, nullptr},
        {"NaN in a pair of weight 0", nan_target, kRigid, &drop_2},
        {"infinite source", inf_source, kAffine, nullptr},
        {"transform overflows", overflow, kAffine, nullptr},
        {"negative weight", five, kRigid, &negative},
        {"NaN weight", five, kRigid, &nan_weight},
        {"zero weights", five, kRigid, &zeros},
        {"empty weights", five, kRigid, &empty},
        {"two pairs of positive weight", five, kRigid, &two_left},
    };
    const Kv3dTransform before(V(7, 8, 9));
    for (const auto& k : cases) {
        Kv3dTransform T = before;
        double rms = -1.0;
        EXPECT_FALSE(Kv3d_fit_transform_least_squares(k.pairs, k.type, T, &rms, k.weights))
            << "case: " << k.name;
        EXPECT_TRUE(same_matrix(T, before)) << "case: " << k.name;
        EXPECT_EQ(rms, -1.0) << "case: " << k.name;
    }
}

TEST(Registration, CoincidentTargetsUnknownTypeAndOptionalRms) {
    // Targets that do not vary with the sources: everything goes to their
    // centroid (scale 0, A = 0).
    const P q(1, -2, 3);
    Pairs pairs = identity_pairs({P(0, 0, 0), P(4, 0, 0), P(0, 2, 0), P(0, 0, 1), P(1, 1, 1)});
    for (Pair& pair : pairs) pair.second = q;
    for (Type type : {kSimilar, kAffine}) {
        const Fit f = fit(pairs, type);
        EXPECT_LT(moved(f.T, P(7, 8, 9)).distance(q), 1e-14) << "case: " << type_name(type);
    }
    EXPECT_TRUE(identical(fit(pairs, static_cast<Type>(9)), fit(pairs, kRigid)))
        << "case: type 9 is rigid";
    Kv3dTransform T;
    EXPECT_TRUE(Kv3d_fit_transform_least_squares(pairs, kRigid, T, nullptr)) << "case: no rms";
}

// Far from the origin the centroids' rounding is put right. Integer points
// near 2^45 moved by exact integer maps: 4000 of them sum past 2^53, so a
// plain mean is off by about 0.1; the fit is good to two units in the last
// place of the targets.
TEST(Registration, FarFromTheOriginFitsToTheLastBits) {
    std::mt19937 rng(808);
    std::uniform_int_distribution<int> offset(0, 1000);
    const double big = 0x1p45;
    for (Type type : kTypes) {
        Pairs pairs;
        double largest = 0.0;
        for (int i = 0; i < 4000; ++i) {
            const double x = big + offset(rng), y = 0.75 * big + offset(rng),
                         z = -big + offset(rng);
            const P q = type == kRigid     ? P(5 - y, x - 3, z + 7)
                        : type == kSimilar ? P(10 - 2 * y, 2 * x - 6, 2 * z + 14)
                                           : P(x + z, 3 * y, z - x);
            pairs.append(Pair(P(x, y, z), q));
            largest = std::max({largest, std::fabs(q.x()), std::fabs(q.y()), std::fabs(q.z())});
        }
        EXPECT_LT(fit(pairs, type).rms, 2 * largest * 0x1p-52) << "case: " << type_name(type);
    }
}

}  // namespace
