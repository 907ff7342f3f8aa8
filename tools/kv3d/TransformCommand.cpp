#include "TransformCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dApply.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "CommandRunner.h"
#include "HelpText.h"
#include "InputError.h"
#include "InputText.h"
#include "PointFileReader.h"
#include "ReportWriter.h"

namespace kv3dcli {

namespace {

const char* const kTransformText =
    "The fit is exact, not least-squares: it builds a frame on the first two,\n"
    "three (rigid, similarity) or four (affine) pairs and ignores the rest,\n"
    "whose distances from their targets the report lists. One pair gives a\n"
    "translation; pairs whose points are coincident or collinear fit no\n"
    "invertible transform and are refused. Files hold their numbers separated\n"
    "by blanks, tabs or commas; '#' starts a comment; blank lines are skipped.";

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
        check_one_standard_input(args.pairs_path, args.apply_path);
        const PointFileReader reader(args);
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

Command add_transform_command(CLI::App& tool) {
    auto args = std::make_shared<TransformArgs>();
    CLI::App* transform = tool.add_subcommand(
        "transform", "Fit a transform to point pairs; print its matrix and optionally move points");
    transform
        ->add_option("PAIRS", args->pairs_path,
                     "Pairs file: six numbers a line, a source point then\n"
                     "its target point ('-' reads standard input)")
        ->required();
    transform
        ->add_option("--type", args->type,
                     "rigid: rotation and translation, from the first\n"
                     "  three pairs;\n"
                     "similarity: rigid, then a uniform scale about the\n"
                     "  first target;\n"
                     "affine: the first four pairs mapped exactly (with\n"
                     "  three pairs, the triangle's unit normal too)")
        ->check(CLI::IsMember({"rigid", "similarity", "affine"}))
        ->capture_default_str();
    transform->add_option("--apply", args->apply_path,
                          "Point file to move by the fitted transform\n"
                          "('-' reads standard input)");
    add_json_flag(*transform, args->json);
    transform->footer(footer({kTransformText, kExitStatusText}));
    return make_command(transform, args, run_transform);
}

}  // namespace kv3dcli
