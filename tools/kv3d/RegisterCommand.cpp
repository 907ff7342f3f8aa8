#include "RegisterCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include <kv/KvArray.h>
#include <kv3d/Kv3dRegistration.h>
#include <kv3d/Kv3dTransform.h>

#include <cmath>
#include <cstddef>
#include <vector>

#include "CommandRunner.h"
#include "HelpText.h"
#include "InputError.h"
#include "InputReader.h"
#include "InputText.h"
#include "NumberFormat.h"
#include "PairFit.h"
#include "PictureFile.h"
#include "RecordParser.h"
#include "ReportWriter.h"
#include "ResidualPicture.h"

namespace kv3dcli {

namespace {

const char* const kRegisterText =
    "The fit takes every pair into account: it minimises the sum over the pairs\n"
    "of weight times squared distance from the moved source point to its target\n"
    "(every weight 1 without --weights). A rigid fit never mirrors. The source\n"
    "points of positive weight must fix the transform: three not on one line\n"
    "(rigid, similarity) or four not in one plane (affine); nearly collinear or\n"
    "coplanar points are refused too. The RMS residual is the square root of the\n"
    "weighted mean squared distance.";

const char* const kWeightsFileText =
    "A weights file holds one number a line, 0 or more, one for each pair in\n"
    "the order of the pairs file; '#' starts a comment, blank lines are skipped.\n"
    "A pair of weight 0 is left out of the fit but its residual is still shown.";

// One finite, non-negative weight for each pair, enough of them positive.
KvArray<double> read_weights(const RegisterArgs& args, std::size_t pairs, std::size_t needed) {
    InputReader lines(args.weights_path, input_stream(args));
    KvArray<double> weights;
    std::size_t positive = 0;
    read_records(lines, 1, args.progress, [&](const double* w) {
        if (*w < 0.0) {
            throw InputError(lines.name(), lines.line_number(),
                             "weight " + format_number(*w) + " is negative");
        }
        positive += *w > 0.0 ? 1 : 0;
        weights.append(*w);
    });
    if (weights.size() != pairs) {
        throw InputError(lines.name(), std::to_string(weights.size()) + " weights for " +
                                           std::to_string(pairs) +
                                           " point pairs, one a pair needed");
    }
    if (positive < needed) {
        throw InputError(lines.name(), std::to_string(positive) +
                                           " pairs of positive weight, at least " +
                                           std::to_string(needed) + " needed");
    }
    return weights;
}

std::string undetermined(Kv3dTransform::Kv3dTransformType type, const std::string& name) {
    if (type == Kv3dTransform::AFFINE) {
        return "the source points lie in one plane or nearly so and do not fix an affine "
               "transform";
    }
    return "the source points lie on one line or nearly so and do not fix a " + name + " transform";
}

}  // namespace

int run_register(const RegisterArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        require_one_standard_input({args.pairs_path, args.weights_path, args.apply_path});
        const Kv3dTransform::Kv3dTransformType type = fit_type(args.type);
        const std::size_t needed = type == Kv3dTransform::AFFINE ? 4 : 3;
        const PairFitInput input =
            read_pair_fit_input(args, args.pairs_path, needed, args.apply_path);
        const bool weighted = !args.weights_path.empty();
        KvArray<double> weights;
        if (weighted) {
            weights = read_weights(args, input.pairs.size(), needed);
        }
        Kv3dTransform transform;
        double rms = 0.0;
        if (!Kv3d_fit_transform_least_squares(input.pairs, type, transform, &rms,
                                              weighted ? &weights : nullptr)) {
            throw InputError(input_display_name(args.pairs_path), undetermined(type, args.type));
        }

        ReportWriter r(args, "register", "kv3d register: " + input_display_name(args.pairs_path));
        r.text("type", "type", args.type);
        r.count("pairs", "pairs read", input.pairs.size());
        if (weighted) {
            r.text("weights", "weights from", input_display_name(args.weights_path));
        }
        report_matrix(r, transform);
        if (type == Kv3dTransform::SIMILARITY) {
            // s R has columns of length s.
            const double* m = transform.as_matrix();
            r.number("scale", "scale", std::sqrt(m[0] * m[0] + m[4] * m[4] + m[8] * m[8]));
        }
        r.number("rms", weighted ? "RMS residual (weighted)" : "RMS residual", rms);
        const std::vector<double> residuals = pair_residuals(transform, input);
        report_residuals(r, residuals);
        report_moved_points(r, transform, input, args.apply_path);
        write_picture(args, {args.pairs_path, args.weights_path, args.apply_path}, [&]() {
            return residual_picture(
                "kv3d register (" + args.type + "): " + input_display_name(args.pairs_path),
                residuals, rms, 0, args.digits);
        });
        return r.str();
    });
}

Command add_register_command(CLI::App& tool) {
    auto args = std::make_shared<RegisterArgs>();
    CLI::App* command = tool.add_subcommand(
        "register",
        "Best-fit (least-squares) transform of all point pairs; print it, its residuals, and "
        "optionally move points");
    add_pair_fit_options(*command, args->pairs_path, args->type,
                         "rigid: rotation and translation;\n"
                         "similarity: rigid and a uniform scale;\n"
                         "affine: any linear map and translation",
                         args->apply_path);
    command
        ->add_option("--weights", args->weights_path,
                     "Weights file: one weight (0 or more) for each\n"
                     "pair ('-' reads standard input)")
        ->type_name("FILE");
    add_common_options(*command, *args, PictureOption::kSvg);
    command->footer(footer({kRegisterText, kPairsFileText, kWeightsFileText, kExitStatusText}));
    return make_command(command, args, run_register);
}

}  // namespace kv3dcli
