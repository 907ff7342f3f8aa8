#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dRegistration.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/Kv3dVector.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo section on the best-fit registration of point pairs.

namespace kv3dcli {

namespace {

using Pairs = KvArray<KvPair<Kv3dPoint, Kv3dPoint>>;

double largest_residual(const Pairs& pairs, const Kv3dTransform& T) {
    double worst = 0.0;
    for (const auto& pair : pairs) {
        Kv3dPoint p = pair.first;
        worst = std::max(worst, p.apply(T).distance(pair.second));
    }
    return worst;
}

}  // namespace

void demo_registration(ReportWriter& r) {
    // Six nominal points of a bracket, measured after a turn of 0.1 rad about
    // z and a shift by (2, -1, 0.5), each measurement off by up to 0.01.
    const Kv3dPoint nominal[6] = {Kv3dPoint(0, 0, 0),  Kv3dPoint(40, 0, 0), Kv3dPoint(40, 30, 0),
                                  Kv3dPoint(0, 30, 0), Kv3dPoint(0, 0, 12), Kv3dPoint(40, 30, 12)};
    const Kv3dVector error[6] = {Kv3dVector(0.01, 0, 0),      Kv3dVector(0, -0.008, 0.004),
                                 Kv3dVector(-0.006, 0, 0),    Kv3dVector(0, 0.01, -0.005),
                                 Kv3dVector(0.003, 0.003, 0), Kv3dVector(0, 0, 0.009)};
    const Kv3dTransform motion(Kv3dPoint(), Kv3dVector(0, 0, 1), 0.1, 0.0);
    Pairs pairs;
    for (std::size_t i = 0; i < 6; ++i) {
        Kv3dPoint measured = nominal[i];
        measured.apply(motion);
        pairs.append(
            KvPair<Kv3dPoint, Kv3dPoint>(nominal[i], measured + Kv3dVector(2, -1, 0.5) + error[i]));
    }
    r.begin_section("registration", "Best-fit registration of point pairs");
    r.note("six nominal bracket points and their measurements (turned, shifted, off by <= 0.01)");
    Kv3dTransform rigid;
    double rms = 0.0;
    r.flag("rigid_fitted", "rigid fit found",
           Kv3d_fit_transform_least_squares(pairs, Kv3dTransform::RIGID, rigid, &rms));
    r.matrix("rigid_matrix", "rigid fit", rigid.as_matrix());
    r.number("rigid_rms", "RMS residual", rms);
    r.number("rigid_max_residual", "largest residual", largest_residual(pairs, rigid));
    r.number("exact_max_residual", "largest residual, exact fit on three",
             largest_residual(pairs, Kv3dTransform(pairs, Kv3dTransform::RIGID)));

    // The part measured 0.2 % too small: the similarity fit finds the scale.
    Pairs shrunk;
    for (const auto& pair : pairs) {
        shrunk.append(KvPair<Kv3dPoint, Kv3dPoint>(pair.first, pair.second * 0.998));
    }
    Kv3dTransform similar;
    Kv3d_fit_transform_least_squares(shrunk, Kv3dTransform::SIMILARITY, similar, &rms);
    const double* m = similar.as_matrix();
    r.number("similarity_scale", "scale of the part 0.2 % small",
             std::sqrt(m[0] * m[0] + m[4] * m[4] + m[8] * m[8]));

    // A mirror image is matched by the best rotation, never by a reflection.
    Pairs mirrored;
    for (const auto& pair : pairs) {
        const Kv3dPoint& p = pair.first;
        mirrored.append(KvPair<Kv3dPoint, Kv3dPoint>(p, Kv3dPoint(-p.x(), p.y(), p.z())));
    }
    Kv3d_fit_transform_least_squares(mirrored, Kv3dTransform::RIGID, rigid, &rms);
    r.flag("mirror_keeps_orientation", "mirror image: fit keeps orientation",
           rigid.is_orient_preserving());
    r.number("mirror_rms", "mirror image: RMS residual", rms);

    Pairs line;
    for (int i = 0; i < 4; ++i) {
        line.append(KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(i, 2 * i, 0), Kv3dPoint(0, i, 3 * i)));
    }
    r.flag("collinear_fitted", "collinear pairs: rigid fit found",
           Kv3d_fit_transform_least_squares(line, Kv3dTransform::RIGID, rigid, nullptr));
    r.end_section();
}

}  // namespace kv3dcli
