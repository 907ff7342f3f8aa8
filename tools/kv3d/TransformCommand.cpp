#include "TransformCommand.h"

#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dApply.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "CommandRunner.h"
#include "InputError.h"
#include "InputText.h"
#include "PointFileReader.h"
#include "ReportWriter.h"

namespace kv3dcli {

namespace {

Kv3dTransform::Kv3dTransformType fit_type(const std::string& name) {
    if (name == "similarity") {
        return Kv3dTransform::SIMILARITY;
    }
    if (name == "affine") {
        return Kv3dTransform::AFFINE;
    }
    return Kv3dTransform::RIGID;
}

// The fit reads the first two pairs, the first three (rigid, similarity) or
// the first four (affine); the rest only measure the result.
std::size_t pairs_used(std::size_t n, Kv3dTransform::Kv3dTransformType type) {
    return std::min(n, type == Kv3dTransform::AFFINE ? std::size_t{4} : std::size_t{3});
}

}  // namespace

int run_transform(const TransformArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        if (args.pairs_path == "-" && args.apply_path == "-") {
            throw InputError("standard input ('-') can feed only one of the two files");
        }
        const PointFileReader reader(input_stream(args));
        KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs = reader.read_pairs(args.pairs_path, 1);
        KvArray<Kv3dPoint> moved;
        if (!args.apply_path.empty()) {
            moved = reader.read_points(args.apply_path, 1);
        }
        const Kv3dTransform::Kv3dTransformType type = fit_type(args.type);
        const Kv3dTransform transform(pairs, type);
        // Coincident or collinear points give no frame: the fitted matrix
        // is singular and would flatten everything it moves.
        if (!transform.is_invertible()) {
            throw InputError(input_display_name(args.pairs_path),
                             "the points of the pairs used are coincident or collinear, "
                             "the fitted transform is singular");
        }

        std::vector<double> residuals;
        double worst = 0.0;
        for (const auto& pair : pairs) {
            Kv3dPoint p = pair.first;
            residuals.push_back(p.apply(transform).distance(pair.second));
            worst = std::max(worst, residuals.back());
        }
        Kv3d_apply(transform, moved);

        ReportWriter r(args.json, "transform",
                       "kv3d transform: " + input_display_name(args.pairs_path));
        r.text("type", "type", args.type);
        r.count("pairs", "pairs read", pairs.size());
        r.count("pairs_used", "pairs used by the fit", pairs_used(pairs.size(), type));
        r.matrix("matrix", "matrix (row by row; x' = A x + t)", transform.as_matrix());
        r.flag("orthonormal", "rigid motion (orthonormal A)", transform.is_orthonormal());
        r.flag("orientation_preserving", "keeps orientation", transform.is_orient_preserving());
        r.number_list("residuals", "distance of each moved source point from its target",
                      residuals);
        r.number("max_residual", "largest distance", worst);
        if (!args.apply_path.empty()) {
            r.text("apply", "moved points from", input_display_name(args.apply_path));
            r.point_list("points", "moved points",
                         std::vector<Kv3dPoint>(moved.begin(), moved.end()));
        }
        return r.str();
    });
}

}  // namespace kv3dcli
