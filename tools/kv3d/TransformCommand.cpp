#include "TransformCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include <kv3d/Kv3dTransform.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "CommandRunner.h"
#include "HelpText.h"
#include "InputError.h"
#include "InputText.h"
#include "PairFit.h"
#include "PictureFile.h"
#include "ReportWriter.h"
#include "ResidualPicture.h"

namespace kv3dcli {

namespace {

const char* const kTransformText =
    "The fit is exact, not least-squares: it builds a frame on the first two,\n"
    "three (rigid, similarity) or four (affine) pairs and ignores the rest,\n"
    "whose distances from their targets the report lists. One pair gives a\n"
    "translation; pairs whose points are coincident or collinear fit no\n"
    "invertible transform and are refused. 'kv3d register' fits all pairs in\n"
    "the least-squares sense.";

// The fit reads the first two pairs, the first three (rigid, similarity) or
// the first four (affine); the rest only measure the result.
std::size_t pairs_used(std::size_t n, Kv3dTransform::Kv3dTransformType type) {
    return std::min(n, type == Kv3dTransform::AFFINE ? std::size_t{4} : std::size_t{3});
}

}  // namespace

int run_transform(const TransformArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        require_one_standard_input({args.pairs_path, args.apply_path});
        PairFitInput input = read_pair_fit_input(args, args.pairs_path, 1, args.apply_path);
        const Kv3dTransform::Kv3dTransformType type = fit_type(args.type);
        const Kv3dTransform transform(input.pairs, type);
        // Coincident or collinear points give no frame: the fitted matrix
        // is singular and would flatten everything it moves.
        if (!transform.is_invertible()) {
            throw InputError(input_display_name(args.pairs_path),
                             "the points of the pairs used are coincident or collinear, "
                             "the fitted transform is singular");
        }
        ReportWriter r(args, "transform", "kv3d transform: " + input_display_name(args.pairs_path));
        r.text("type", "type", args.type);
        r.count("pairs", "pairs read", input.pairs.size());
        const std::size_t used = pairs_used(input.pairs.size(), type);
        r.count("pairs_used", "pairs used by the fit", used);
        report_matrix(r, transform);
        const std::vector<double> residuals = pair_residuals(transform, input);
        report_residuals(r, residuals);
        report_moved_points(r, transform, input, args.apply_path);
        write_picture(args, {args.pairs_path, args.apply_path}, [&]() {
            return residual_picture(
                "kv3d transform (" + args.type + "): " + input_display_name(args.pairs_path),
                residuals, std::nullopt, used, args.digits);
        });
        return r.str();
    });
}

Command add_transform_command(CLI::App& tool) {
    auto args = std::make_shared<TransformArgs>();
    CLI::App* transform = tool.add_subcommand(
        "transform", "Fit a transform to point pairs; print its matrix and optionally move points");
    add_pair_fit_options(*transform, args->pairs_path, args->type,
                         "rigid: rotation and translation, from the first\n"
                         "  three pairs;\n"
                         "similarity: rigid, then a uniform scale about the\n"
                         "  first target;\n"
                         "affine: the first four pairs mapped exactly (with\n"
                         "  three pairs, the triangle's unit normal too)",
                         args->apply_path);
    add_common_options(*transform, *args, PictureOption::kSvg);
    transform->footer(footer({kTransformText, kPairsFileText, kExitStatusText}));
    return make_command(transform, args, run_transform);
}

}  // namespace kv3dcli
