// Arbitrary pairs and weights through the least-squares registration and the
// singular value decomposition under it: nothing may crash, hang, read out of
// bounds or trip UBSan. Every fit that succeeds is finite, a rigid one keeps
// orientation, and a refused one leaves its outputs alone.
#include <kv3d/kv3d.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"

using kv3dfuzz::check;
using kv3dfuzz::DoubleSource;

namespace {

// Mostly small multiples of 1/8, so that fits succeed often; sometimes any
// double the input spells (NaN, infinities, subnormals, huge values).
double value(DoubleSource& in) {
    if (in.count(5) == 0) {
        return in.next();
    }
    return (in.count(256) - 128) / 8.0;
}

Kv3dPoint point(DoubleSource& in) {
    const double x = value(in), y = value(in), z = value(in);
    return Kv3dPoint(x, y, z);
}

void fit(const KvArray<KvPair<Kv3dPoint, Kv3dPoint>>& pairs, Kv3dTransform::Kv3dTransformType type,
         const KvArray<double>* weights) {
    const Kv3dTransform before(Kv3dVector(1, 2, 3));
    Kv3dTransform T = before;
    double rms = -7.0;
    if (!Kv3d_fit_transform_least_squares(pairs, type, T, &rms, weights)) {
        for (int k = 0; k < 16; ++k) {
            check(T.as_matrix()[k] == before.as_matrix()[k]);
        }
        check(rms == -7.0);
        return;
    }
    for (int k = 0; k < 16; ++k) {
        check(std::isfinite(T.as_matrix()[k]));
    }
    check(std::isfinite(rms) && rms >= 0.0);
    if (type == Kv3dTransform::RIGID) {
        check(T.is_orthonormal());
        check(T.is_orient_preserving());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DoubleSource in(data, size);
    KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs;
    const int n = in.count(40);
    for (int i = 0; i < n; ++i) {
        const Kv3dPoint p = point(in);
        pairs.append(KvPair<Kv3dPoint, Kv3dPoint>(p, point(in)));
    }
    KvArray<double> weights;
    const int m = in.count(48);
    for (int i = 0; i < m; ++i) {
        weights.append(in.count(3) == 0 ? value(in) : 1.0);
    }
    const auto type = static_cast<Kv3dTransform::Kv3dTransformType>(in.count(4));
    fit(pairs, type, nullptr);
    fit(pairs, type, &weights);

    KvLaDblMat a(1 + in.count(6), 1 + in.count(6), 0.0);
    for (int k = 0; k < a.rows() * a.cols(); ++k) {
        a.data()[k] = value(in);
    }
    KvLaDblMat u, v;
    KvArray<double> sigma;
    if (kvla_svd(a, u, sigma, v)) {
        for (const double s : sigma) {
            check(s >= 0.0);
        }
    }
    return 0;
}
