#include "FitConicCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include <kv/KvArray.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dFitting.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/Kv3dVector.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

#include "CommandRunner.h"
#include "ConicCanonical.h"
#include "HelpText.h"
#include "InputError.h"
#include "InputText.h"
#include "NumberOption.h"
#include "PointFileReader.h"
#include "ReportWriter.h"

namespace kv3dcli {

namespace {

const char* const kFitConicText =
    "The points are projected onto their least-squares plane, and the conic\n"
    "through them is found there: five points fix it, and a tangent direction\n"
    "at the first or the last point stands for one point. More than five\n"
    "points are fitted in the least-squares sense. Points on one line give the\n"
    "line through the first two (every other point within 1e-5 of it).\n"
    "\n"
    "The type is ellipse (x^2/a^2 + y^2/b^2 = 1, a >= b), hyperbola\n"
    "(x^2/a^2 - y^2/b^2 = 1), parabola (x^2/a^2 + 2 y = 0, b = 0), crossing\n"
    "lines (x = +-a y, a >= 1), parallel lines (x = +-a), line (x = 0), or none\n"
    "when the conditions fix no real curve. The equations hold in the\n"
    "canonical frame, whose origin (centre, vertex, ...) and axes the report\n"
    "gives in model coordinates; the curve lies in its x-y plane.";

// "X,Y,Z" as a direction; option names the option in errors.
Kv3dDirection parse_tangent(const std::string& text, const char* option) {
    const std::vector<double> c = parse_number_option(option, text, "X,Y,Z");
    return nonzero_direction(option, c[0], c[1], c[2]);
}

std::optional<Kv3dDirection> optional_tangent(const std::string& text, const char* option) {
    return text.empty() ? std::nullopt : std::optional(parse_tangent(text, option));
}

// Five conditions at least: five points or more, or fewer and the tangents
// that make up five.
void check_counts(const std::string& path, std::size_t points, int tangents) {
    const bool enough = tangents == 0 ? points >= 5 : points + tangents == 5;
    if (!enough) {
        throw InputError(input_display_name(path),
                         std::to_string(points) + (points == 1 ? " point and " : " points and ") +
                             std::to_string(tangents) + (tangents == 1 ? " tangent" : " tangents") +
                             "; a conic needs five points or more, four and one tangent, or "
                             "three and both tangents");
    }
}

// The largest distance of the points from the canonical curve placed by T.
double largest_distance(const KvArray<Kv3dPoint>& points, const Kv3dTransform& T, int type,
                        double a, double b) {
    Kv3dTransform back = T;
    if (!back.invert()) {
        return std::nan("");
    }
    double largest = 0.0;
    for (Kv3dPoint p : points) {
        p.apply(back);
        const double d = std::hypot(conic_distance_2d(type, a, b, p.x(), p.y()), p.z());
        largest = std::isnan(d) ? d : std::max(largest, d);
    }
    return largest;
}

Kv3dDirection mapped_axis(double x, double y, double z, const Kv3dTransform& T) {
    Kv3dDirection d(x, y, z);
    return d.apply(T);
}

}  // namespace

int run_fit_conic(const FitConicArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        const std::optional<Kv3dDirection> first =
            optional_tangent(args.first_tangent, "--first-tangent");
        const std::optional<Kv3dDirection> last =
            optional_tangent(args.last_tangent, "--last-tangent");
        const int tangents = (first ? 1 : 0) + (last ? 1 : 0);
        const KvArray<Kv3dPoint> points = PointFileReader(args).read_points(args.points_path, 0);
        check_counts(args.points_path, points.size(), tangents);

        // The line found by the collinear test leaves a and b as they are:
        // the table values of type 5.
        int type = -1;
        double a = 1.0;
        double b = 0.0;
        Kv3dTransform T;
        const bool found = tangents == 0 ? kv3d_conic_data_from_points_3d(points, type, a, b, T)
                                         : Kv3d_conic_from_points_and_tangents(
                                               points, type, a, b, T, first ? &*first : nullptr,
                                               last ? &*last : nullptr);
        if (!found) {
            type = -1;
        }

        ReportWriter r(args.json, "fit-conic",
                       "kv3d fit-conic: " + input_display_name(args.points_path));
        r.count("points", "points", points.size());
        r.count("tangents", "tangents", static_cast<std::size_t>(tangents));
        r.text("type", "type", conic_type_name(type));
        if (!found) {
            r.note("no real conic: dependent conditions, a line not all points follow,");
            r.note("or an equation without real points");
            return r.str();
        }
        r.text("equation", "canonical equation", conic_equation(type));
        r.number("a", "a", a);
        r.number("b", "b", b);
        r.begin_section("placement", "Canonical frame in model coordinates");
        r.point("origin", conic_origin_name(type), Kv3dPoint(0, 0, 0).apply(T));
        r.direction("x_axis", "x axis", mapped_axis(1, 0, 0, T));
        r.direction("y_axis", "y axis", mapped_axis(0, 1, 0, T));
        r.direction("normal", "z axis (normal of the curve's plane)", mapped_axis(0, 0, 1, T));
        r.matrix("matrix", "matrix (canonical to model, row by row)", T.as_matrix());
        r.end_section();
        r.number("max_distance", "largest distance from the curve",
                 largest_distance(points, T, type, a, b));
        return r.str();
    });
}

Command add_fit_conic_command(CLI::App& tool) {
    auto args = std::make_shared<FitConicArgs>();
    CLI::App* fit = tool.add_subcommand(
        "fit-conic", "Fit a plane conic (ellipse, hyperbola, parabola, lines) to points in space");
    fit->add_option("POINTS", args->points_path, "Point file ('-' reads standard input)")
        ->required();
    fit->add_option("--first-tangent", args->first_tangent,
                    "Tangent direction X,Y,Z at the first point");
    fit->add_option("--last-tangent", args->last_tangent,
                    "Tangent direction X,Y,Z at the last point");
    add_json_flag(*fit, args->json);
    fit->footer(footer({kFitConicText, kPointFileText, kExitStatusText}));
    return make_command(fit, args, run_fit_conic);
}

}  // namespace kv3dcli
