#include <algorithm>
#include <limits>
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
const double kTol = Kv3d_registration_spread_tol;
const double kNan = std::numeric_limits<double>::quiet_NaN();

const char* type_name(Type t) {
    return t == kRigid ? "rigid" : t == kSimilar ? "similarity" : "affine";
}

// The fit, or a transform full of NaN when it fails.
struct Fit {
    bool ok = false;
    Kv3dTransform T;
    double rms = kNan;
};

Fit fit(const Pairs& pairs, Type type, const KvArray<double>* weights = nullptr) {
    Fit f;
    f.ok = Kv3d_fit_transform_least_squares(pairs, type, f.T, &f.rms, weights);
    return f;
}

// Largest difference of the affine entries (rows 0 to 2).
double max_diff(const Kv3dTransform& a, const Kv3dTransform& b) {
    double d = 0.0;
    for (int k = 0; k < 12; ++k) {
        d = std::max(d, std::fabs(a.as_matrix()[k] - b.as_matrix()[k]));
    }
    return d;
}

bool identical(const Fit& a, const Fit& b) {
    return std::equal(a.T.as_matrix(), a.T.as_matrix() + 16, b.T.as_matrix()) && a.rms == b.rms;
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

// A random motion of the given type: a screw motion, then for SIMILARITY a
// scale about a random point, and for AFFINE a random frame.
Kv3dTransform random_motion(std::mt19937& rng, Type type) {
    if (type == kAffine) {
        return random_transform(rng);
    }
    std::uniform_real_distribution<double> angle(-3.0, 3.0), scale(0.2, 5.0);
    const P base = random_point(rng);
    const V axis = random_vector(rng);
    const double turn = angle(rng), shift = angle(rng);
    Kv3dTransform T(base, axis, turn, shift);
    if (type == kSimilar) {
        const double s = scale(rng);
        T.apply(Kv3dTransform(s, random_point(rng)));
    }
    return T;
}

// n random source points and their images under T.
Pairs moved_pairs(std::mt19937& rng, const Kv3dTransform& T, int n) {
    Pairs pairs;
    for (int i = 0; i < n; ++i) {
        const P p = random_point(rng);
        pairs.append(Pair(p, moved(T, p)));
    }
    return pairs;
}

double det3(const Kv3dTransform& T) {
    const double* m = T.as_matrix();
    return m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
           m[2] * (m[4] * m[9] - m[5] * m[8]);
}

// Largest entry of A^T A - I.
double orthonormality_error(const Kv3dTransform& T) {
    const double* m = T.as_matrix();
    double e = 0.0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double dot = m[i] * m[j] + m[4 + i] * m[4 + j] + m[8 + i] * m[8 + j];
            e = std::max(e, std::fabs(dot - (i == j ? 1.0 : 0.0)));
        }
    }
    return e;
}

TEST(Registration, RecoversRandomMotionsExactly) {
    std::mt19937 rng(101);
    for (Type type : {kRigid, kSimilar, kAffine}) {
        for (int seed = 0; seed < 40; ++seed) {
            const std::string name = std::string(type_name(type)) + " #" + std::to_string(seed);
            const Kv3dTransform truth = random_motion(rng, type);
            // From the fewest pairs the type needs up to many buffer loads.
            const int n = (type == kAffine ? 4 : 3) + seed * seed / 2;
            const Fit f = fit(moved_pairs(rng, truth, n), type);
            ASSERT_TRUE(f.ok) << "case: " << name;
            EXPECT_LT(max_diff(f.T, truth), 1e-9) << "case: " << name;
            EXPECT_LT(f.rms, 1e-10) << "case: " << name;
            EXPECT_EQ(f.T.is_orthonormal(), type == kRigid) << "case: " << name;
        }
    }
}

// With noise of standard deviation sigma per coordinate on the targets, the
// residual of many pairs approaches sigma sqrt(3), and the fit never does
// worse than the motion that made the data.
TEST(Registration, NoiseGivesTheExpectedRms) {
    std::mt19937 rng(202);
    std::normal_distribution<double> noise(0.0, 0.01);
    for (Type type : {kRigid, kSimilar, kAffine}) {
        const std::string name = type_name(type);
        const Kv3dTransform truth = random_motion(rng, type);
        Pairs pairs = moved_pairs(rng, truth, 2000);
        for (Pair& pair : pairs) {
            for (int k = 0; k < 3; ++k) {
                pair.second[k] += noise(rng);
            }
        }
        const Fit f = fit(pairs, type);
        ASSERT_TRUE(f.ok) << "case: " << name;
        const double truth_rms = std::sqrt(objective(pairs, truth) / 2000.0);
        EXPECT_LE(f.rms, truth_rms) << "case: " << name;
        EXPECT_NEAR(f.rms, 0.01 * std::sqrt(3.0), 0.001) << "case: " << name;
        EXPECT_LT(max_diff(f.T, truth), 0.01) << "case: " << name;
    }
}

// The fit is a least-squares minimum: no small change of rotation, scale,
// translation (or, for AFFINE, of any entry) lowers the objective.
TEST(Registration, NoNearbyTransformFitsBetter) {
    std::mt19937 rng(303);
    std::normal_distribution<double> noise(0.0, 0.5);
    for (Type type : {kRigid, kSimilar, kAffine}) {
        Pairs pairs = moved_pairs(rng, random_motion(rng, type), 12);
        for (Pair& pair : pairs) {
            pair.second = pair.second + V(noise(rng), noise(rng), noise(rng));
        }
        const Fit f = fit(pairs, type);
        ASSERT_TRUE(f.ok) << "case: " << type_name(type);
        const double best = objective(pairs, f.T);
        EXPECT_NEAR(f.rms, std::sqrt(best / 12.0), 1e-12) << "case: " << type_name(type);
        for (int trial = 0; trial < 30; ++trial) {
            const std::string name =
                std::string(type_name(type)) + " trial " + std::to_string(trial);
            Kv3dTransform near = f.T;
            const double step = 1e-4 * (trial % 2 == 0 ? 1 : -1);
            if (type == kAffine) {
                double m[16];
                std::copy(f.T.as_matrix(), f.T.as_matrix() + 16, m);
                m[trial % 12] += step;
                near = Kv3dTransform(m);
            } else {
                near.apply(Kv3dTransform(random_point(rng), random_vector(rng), step, step));
                if (type == kSimilar && trial % 3 == 0) {
                    near.apply(Kv3dTransform(1.0 + step, random_point(rng)));
                }
            }
            EXPECT_GE(objective(pairs, near), best) << "case: " << name;
        }
    }
}

// A mirrored point set is matched by the best proper rotation: det +1, never
// a reflection. A flat set's mirror image is a turned copy, matched exactly.
TEST(Registration, RigidFitNeverReflects) {
    std::mt19937 rng(404);
    const double mirror[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int seed = 0; seed < 20; ++seed) {
        const std::string name = "#" + std::to_string(seed);
        const Pairs solid = moved_pairs(rng, Kv3dTransform(mirror), 8);
        for (Type type : {kRigid, kSimilar}) {
            const Fit f = fit(solid, type);
            const std::string t = name + " " + type_name(type);
            ASSERT_TRUE(f.ok) << "case: solid " << t;
            EXPECT_TRUE(f.T.is_orient_preserving()) << "case: solid " << t;
            EXPECT_GT(f.rms, 0.1) << "case: solid " << t;
        }
        // The scale of the similarity is the best for its rotation.
        const Fit s = fit(solid, kSimilar);
        for (double factor : {0.999, 1.001}) {
            Kv3dTransform rescaled = s.T;
            rescaled.apply(Kv3dTransform(factor, P()));
            EXPECT_GT(objective(solid, rescaled), objective(solid, s.T))
                << "case: solid " << name << ", scale times " << factor;
        }
        const Fit r = fit(solid, kRigid);
        EXPECT_NEAR(det3(r.T), 1.0, 1e-12) << "case: solid " << name;
        EXPECT_LT(orthonormality_error(r.T), 1e-14) << "case: solid " << name;

        // Points in the plane x = 0.3 y, mirrored in the plane x = 0.
        Pairs flat;
        for (int i = 0; i < 6; ++i) {
            const P q = random_point(rng);
            const P p(0.3 * q.y(), q.y(), q.z());
            flat.append(Pair(p, P(-p.x(), p.y(), p.z())));
        }
        const Fit g = fit(flat, kRigid);
        ASSERT_TRUE(g.ok) << "case: flat " << name;
        EXPECT_NEAR(det3(g.T), 1.0, 1e-12) << "case: flat " << name;
        EXPECT_LT(g.rms, 1e-12) << "case: flat " << name;
    }
}

// Exactly consistent pairs: the exact point-pair transform and the
// least-squares fit are the same motion (three pairs for RIGID and
// SIMILARITY, four for AFFINE, which needs them).
TEST(Registration, AgreesWithTheExactTransformOnConsistentPairs) {
    std::mt19937 rng(505);
    for (Type type : {kRigid, kSimilar, kAffine}) {
        for (int seed = 0; seed < 20; ++seed) {
            const std::string name = std::string(type_name(type)) + " #" + std::to_string(seed);
            Pairs pairs = moved_pairs(rng, random_motion(rng, type), type == kAffine ? 4 : 3);
            const Fit f = fit(pairs, type);
            ASSERT_TRUE(f.ok) << "case: " << name;
            EXPECT_LT(max_diff(f.T, Kv3dTransform(pairs, type)), 1e-9) << "case: " << name;
        }
    }
}

TEST(Registration, PairOrderDoesNotMatter) {
    std::mt19937 rng(606);
    std::normal_distribution<double> noise(0.0, 0.3);
    for (Type type : {kRigid, kSimilar, kAffine}) {
        Pairs pairs = moved_pairs(rng, random_motion(rng, type), 150);
        for (Pair& pair : pairs) {
            pair.second = pair.second + V(noise(rng), noise(rng), noise(rng));
        }
        const Fit f = fit(pairs, type);
        std::vector<std::size_t> order(pairs.size());
        std::iota(order.begin(), order.end(), 0);
        for (int trial = 0; trial < 10; ++trial) {
            const std::string name =
                std::string(type_name(type)) + " order " + std::to_string(trial);
            if (trial == 0) {
                std::reverse(order.begin(), order.end());
            } else {
                std::shuffle(order.begin(), order.end(), rng);
            }
            Pairs permuted;
            for (std::size_t i : order) {
                permuted.append(pairs[i]);
            }
            const Fit g = fit(permuted, type);
            ASSERT_TRUE(g.ok) << "case: " << name;
            EXPECT_LT(max_diff(f.T, g.T), 1e-12) << "case: " << name;
            EXPECT_NEAR(f.rms, g.rms, 1e-13) << "case: " << name;
        }
    }
}

TEST(Registration, WeightsScaleTheSquaredResiduals) {
    std::mt19937 rng(707);
    std::normal_distribution<double> noise(0.0, 0.3);
    for (Type type : {kRigid, kSimilar, kAffine}) {
        const std::string name = type_name(type);
        Pairs pairs = moved_pairs(rng, random_motion(rng, type), 9);
        for (Pair& pair : pairs) {
            pair.second = pair.second + V(noise(rng), noise(rng), noise(rng));
        }
        const Fit plain = fit(pairs, type);
        ASSERT_TRUE(plain.ok) << "case: " << name;

        // Equal weights, and weights multiplied by a power of two, change nothing.
        const KvArray<double> equal(std::vector<double>(9, 2.5));
        EXPECT_TRUE(identical(fit(pairs, type, &equal), plain)) << "case: equal, " << name;
        KvArray<double> w{1, 2, 0.5, 3, 1, 1, 4, 1, 2}, w4 = w;
        for (double& x : w4) {
            x *= 4.0;
        }
        EXPECT_TRUE(identical(fit(pairs, type, &w4), fit(pairs, type, &w)))
            << "case: scaled weights, " << name;

        // A zero weight removes its pair; a weight array shorter than the
        // pairs removes the pairs past its end.
        KvArray<double> drop(std::vector<double>(9, 1.0));
        drop[4] = 0.0;
        Pairs without;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (i != 4) {
                without.append(pairs[i]);
            }
        }
        EXPECT_TRUE(identical(fit(pairs, type, &drop), fit(without, type)))
            << "case: zero weight, " << name;
        const KvArray<double> short_ones(std::vector<double>(6, 1.0));
        Pairs first_six;
        for (std::size_t i = 0; i < 6; ++i) {
            first_six.append(pairs[i]);
        }
        EXPECT_TRUE(identical(fit(pairs, type, &short_ones), fit(first_six, type)))
            << "case: short weights, " << name;

        // Weight 2 on a pair is that pair given twice.
        KvArray<double> twice(std::vector<double>(9, 1.0));
        twice[7] = 2.0;
        Pairs repeated = pairs;
        repeated.append(pairs[7]);
        const Fit weighted = fit(pairs, type, &twice), doubled = fit(repeated, type);
        EXPECT_LT(max_diff(weighted.T, doubled.T), 1e-12) << "case: weight 2, " << name;
        EXPECT_NEAR(weighted.rms, doubled.rms, 1e-12) << "case: weight 2 rms, " << name;
        EXPECT_NEAR(weighted.rms, std::sqrt(objective(pairs, weighted.T, &twice) / 10.0), 1e-12)
            << "case: weighted rms, " << name;
    }
}

// Failures leave the outputs as they were.
void expect_refused(const Pairs& pairs, Type type, const std::string& name,
                    const KvArray<double>* weights = nullptr) {
    const Kv3dTransform before(V(7, 8, 9));
    Kv3dTransform T = before;
    double rms = -1.0;
    EXPECT_FALSE(Kv3d_fit_transform_least_squares(pairs, type, T, &rms, weights))
        << "case: " << name;
    EXPECT_EQ(max_diff(T, before), 0.0) << "case: " << name;
    EXPECT_EQ(rms, -1.0) << "case: " << name;
}

Pairs identity_pairs(const std::vector<P>& points) {
    Pairs pairs;
    for (const P& p : points) {
        pairs.append(Pair(p, p));
    }
    return pairs;
}

// The spread test compares the second (third, for AFFINE) singular value of
// the centred sources with tol times the largest. A cross of half-lengths 1
// and b has singular values sqrt(2) and b sqrt(2), computed exactly to scale.
TEST(Registration, SpreadThresholdIsStrict) {
    const double below = kTol * (1.0 - 0x1p-20), above = kTol * (1.0 + 0x1p-20);
    const struct {
        const char* name;
        double b;
        bool ok;
    } cases[] = {{"below", below, false}, {"at", kTol, false}, {"above", above, true}};
    for (const auto& c : cases) {
        const Pairs cross = identity_pairs({P(1, 0, 0), P(-1, 0, 0), P(0, c.b, 0), P(0, -c.b, 0)});
        const Pairs star = identity_pairs(
            {P(1, 0, 0), P(-1, 0, 0), P(0, 1, 0), P(0, -1, 0), P(0, 0, c.b), P(0, 0, -c.b)});
        for (Type type : {kRigid, kSimilar}) {
            EXPECT_EQ(fit(cross, type).ok, c.ok)
                << "case: line " << c.name << ", " << type_name(type);
        }
        EXPECT_EQ(fit(star, kAffine).ok, c.ok) << "case: plane " << c.name;
    }
    // Scale-free: the same shapes at any size and position.
    for (double scale : {1e-150, 1e-3, 1e150}) {
        const std::string name = "cross scaled by " + std::to_string(std::log10(scale));
        const V shift(3 * scale, -2 * scale, 5 * scale);
        const Pairs cross =
            identity_pairs({P(scale, 0, 0) + shift, P(-scale, 0, 0) + shift,
                            P(0, above * scale, 0) + shift, P(0, -above * scale, 0) + shift});
        EXPECT_TRUE(fit(cross, kRigid).ok) << "case: " << name;
    }
}

TEST(Registration, DegenerateAndBadInputIsRefused) {
    const P a(0, 0, 0), b(1, 2, 3), c(2, -1, 0), d(0, 0, 5);
    const Pairs five = identity_pairs({a, b, c, d, P(1, 1, 1)});
    expect_refused(Pairs(), kRigid, "no pairs");
    expect_refused(identity_pairs({a, b}), kRigid, "two pairs");
    expect_refused(identity_pairs({a, b, b + (b - a) * 2.5}), kRigid, "collinear");
    expect_refused(identity_pairs({b, b, b, b}), kSimilar, "coincident");
    expect_refused(identity_pairs({a, b, c}), kAffine, "three pairs, affine");
    // Far from the origin, rounding alone gives three points a third dimension
    // (about 1e-7 against a spread of 1): too few pairs count before any spread.
    const V away(1e9 / 3, -2e9 / 7, 3e9 / 11);
    expect_refused(identity_pairs({a + away, b + away, c + away}), kAffine,
                   "three pairs far away, affine");
    expect_refused(identity_pairs({a + away, a + away + V(1e-3, 2.7e-3, -1.1e-3)}), kRigid,
                   "two pairs far away");
    expect_refused(identity_pairs({a, b, c, b + (c - a)}), kAffine, "coplanar, affine");

    // Exactly collinear far from the origin, where the centroid (base + 4/3 d)
    // is rounded by about 5e-8 against a spread of 8e-3: naively centred, the
    // rounding alone would pass for a second dimension.
    const V base(333333333.25, -285714285.5, 272727272.75), step(0x1p-10, 0x3p-10, -0x1p-9);
    const Pairs far_line =
        identity_pairs({base.as_point(), base.as_point() + step, base.as_point() + step * 3.0});
    expect_refused(far_line, kRigid, "collinear far away");
    expect_refused(far_line, kSimilar, "collinear far away, similarity");

    Pairs nan_target = five, inf_source = five;
    nan_target[2].second.set_y(kNan);
    inf_source[0].first.set_z(-HUGE_VAL);
    expect_refused(nan_target, kRigid, "NaN target");
    expect_refused(inf_source, kAffine, "infinite source");
    const KvArray<double> drop_nan{1, 1, 0, 1, 1};
    expect_refused(nan_target, kRigid, "NaN in a pair of weight zero", &drop_nan);
    // Finite coordinates whose transform overflows: sources 1e-300 apart,
    // targets 1e308 apart.
    Pairs far = identity_pairs({a, b, c, d});
    for (Pair& pair : far) {
        pair.first = pair.first * 1e-300;
    }
    far[0].second = P(1e308, -1e308, 1e308);
    expect_refused(far, kAffine, "overflowing fit");

    const KvArray<double> negative{1, 1, -1, 1, 1}, nan_weight{1, kNan, 1, 1, 1},
        zeros(std::vector<double>(5, 0.0)), empty, two_left{0, 0, 0, 1, 1};
    expect_refused(five, kRigid, "negative weight", &negative);
    expect_refused(five, kRigid, "NaN weight", &nan_weight);
    expect_refused(five, kRigid, "zero weights", &zeros);
    expect_refused(five, kRigid, "empty weights", &empty);
    expect_refused(five, kRigid, "two pairs of positive weight", &two_left);
}

// Targets that do not vary with the sources: the least-squares answer sends
// everything to their centroid (scale 0, A = 0); a rigid fit still turns.
TEST(Registration, CoincidentTargetsCollapseToTheirCentroid) {
    const P q(1, -2, 3);
    Pairs pairs;
    for (const P& p : {P(0, 0, 0), P(4, 0, 0), P(0, 2, 0), P(0, 0, 1), P(1, 1, 1)}) {
        pairs.append(Pair(p, q));
    }
    for (Type type : {kSimilar, kAffine}) {
        const Fit f = fit(pairs, type);
        ASSERT_TRUE(f.ok) << "case: " << type_name(type);
        EXPECT_LT(moved(f.T, P(7, 8, 9)).distance(q), 1e-14) << "case: " << type_name(type);
        EXPECT_FALSE(f.T.is_invertible()) << "case: " << type_name(type);
        EXPECT_NEAR(f.rms, std::sqrt(objective(pairs, f.T) / 5.0), 1e-14)
            << "case: " << type_name(type);
    }
    const Fit r = fit(pairs, kRigid);
    ASSERT_TRUE(r.ok) << "case: rigid";
    EXPECT_TRUE(r.T.is_orthonormal()) << "case: rigid";
    EXPECT_LT(orthonormality_error(r.T), 1e-15) << "case: rigid";
}

TEST(Registration, UnknownTypeIsRigidAndRmsIsOptional) {
    std::mt19937 rng(808);
    const Pairs pairs = moved_pairs(rng, random_motion(rng, kSimilar), 7);
    const Fit rigid = fit(pairs, kRigid);
    EXPECT_TRUE(identical(fit(pairs, static_cast<Type>(9)), rigid)) << "case: type 9";
    Kv3dTransform T;
    EXPECT_TRUE(Kv3d_fit_transform_least_squares(pairs, kRigid, T, nullptr))
        << "case: no rms wanted";
    EXPECT_EQ(max_diff(T, rigid.T), 0.0) << "case: no rms wanted";
}

// Tiny and huge coordinates keep their precision: the fit works on scaled
// copies.
TEST(Registration, ExtremeScalesAreRecovered) {
    std::mt19937 rng(909);
    for (double scale : {1e-200, 1e200}) {
        for (Type type : {kRigid, kSimilar, kAffine}) {
            const std::string name =
                std::string(type_name(type)) + " at " + std::to_string(std::log10(scale));
            const Kv3dTransform truth = random_motion(rng, type);
            const Pairs unit = moved_pairs(rng, truth, 10);
            Pairs pairs;
            for (const Pair& pair : unit) {
                pairs.append(Pair(pair.first * scale, pair.second * scale));
            }
            const Fit f = fit(pairs, type);
            ASSERT_TRUE(f.ok) << "case: " << name;
            for (int k : {0, 1, 2, 4, 5, 6, 8, 9, 10}) {
                EXPECT_NEAR(f.T.as_matrix()[k], truth.as_matrix()[k], 1e-9)
                    << "case: " << name << ", entry " << k;
            }
            for (int k : {3, 7, 11}) {
                EXPECT_NEAR(f.T.as_matrix()[k] / scale, truth.as_matrix()[k], 1e-9)
                    << "case: " << name << ", entry " << k;
            }
            EXPECT_LT(f.rms / scale, 1e-10) << "case: " << name;
        }
    }
}

}  // namespace
