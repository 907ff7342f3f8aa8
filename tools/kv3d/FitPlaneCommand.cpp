#include "FitPlaneCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include <kv/KvArray.h>
#include <kv3d/Kv3dFitting.h>
#include <kv3d/Kv3dPlane.h>
#include <kv3d/Kv3dPoint.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "CommandRunner.h"
#include "FitPlanePicture.h"
#include "HelpText.h"
#include "InputError.h"
#include "InputText.h"
#include "PictureFile.h"
#include "PointFileReader.h"
#include "ReportWriter.h"

namespace kv3dcli {

namespace {

const char* const kFitPlaneText =
    "The plane passes through the centre of gravity of the points and\n"
    "minimises the sum of their squared distances; with --weights each point\n"
    "counts with the square of its weight (so -w acts as w, and 0 drops the\n"
    "point). u is the direction of largest spread in the plane, v the next,\n"
    "the normal u x v; the signs of u and v are arbitrary. Points on one line\n"
    "fix the plane only up to a turn about that line. A weights file holds one\n"
    "number a line, one for every point.";

// The weights of weights_path, one for every point, not all zero.
KvArray<double> read_weights(const PointFileReader& reader, const std::string& weights_path,
                             std::size_t point_count) {
    const KvArray<double> weights = reader.read_numbers(weights_path);
    const std::string name = input_display_name(weights_path);
    if (weights.size() != point_count) {
        throw InputError(name, std::to_string(weights.size()) + " weights for " +
                                   std::to_string(point_count) + " points");
    }
    if (std::all_of(weights.begin(), weights.end(), [](double w) { return w * w == 0.0; })) {
        throw InputError(name, "every weight is 0 (or its square is), no point is left to fit");
    }
    return weights;
}

}  // namespace

int run_fit_plane(const FitPlaneArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        require_one_standard_input({args.points_path, args.weights_path});
        const PointFileReader reader(args);
        const KvArray<Kv3dPoint> points = reader.read_points(args.points_path, 3);
        const bool weighted = !args.weights_path.empty();
        const Kv3dPlane plane =
            weighted ? Kv3d_fit_plane_to_points(
                           points, read_weights(reader, args.weights_path, points.size()))
                     : Kv3d_fit_plane_to_points(points);
        double sum = 0.0;
        double largest = 0.0;
        for (const Kv3dPoint& p : points) {
            const double d = plane.distance(p);
            sum += d * d;
            largest = std::max(largest, std::fabs(d));
        }
        const double rms = std::sqrt(sum / static_cast<double>(points.size()));

        ReportWriter r(args, "fit-plane",
                       "kv3d fit-plane: " + input_display_name(args.points_path));
        r.count("points", "points", points.size());
        if (weighted) {
            r.text("weights", "weights from", input_display_name(args.weights_path));
        }
        r.point("base_point", "base point (centre of gravity)", plane.basepoint());
        r.direction("normal", "unit normal", plane.normal());
        r.vector("u_axis", "u axis (largest spread)", plane.u_axis());
        r.vector("v_axis", "v axis", plane.v_axis());
        r.number("rms_distance", "RMS distance from the plane", rms);
        r.number("max_distance", "largest distance", largest);
        write_picture(args, {args.points_path, args.weights_path}, [&]() {
            return fit_plane_picture(input_display_name(args.points_path), points, plane, rms,
                                     args.digits);
        });
        return r.str();
    });
}

Command add_fit_plane_command(CLI::App& tool) {
    auto args = std::make_shared<FitPlaneArgs>();
    CLI::App* fit = tool.add_subcommand(
        "fit-plane", "Fit the least-squares plane to a point file (three points or more)");
    fit->add_option("POINTS", args->points_path, "Point file ('-' reads standard input)")
        ->required()
        ->type_name("FILE");
    fit->add_option("--weights", args->weights_path,
                    "File of one weight a line, one per point\n"
                    "('-' reads standard input)")
        ->type_name("FILE");
    add_common_options(*fit, *args, PictureOption::kSvg);
    fit->footer(footer({kFitPlaneText, kPointFileText, kExitStatusText}));
    return make_command(fit, args, run_fit_plane);
}

}  // namespace kv3dcli
