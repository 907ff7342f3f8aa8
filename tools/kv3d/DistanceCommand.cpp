#include "DistanceCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include <kv/KvArray.h>
#include <kv3d/Kv3dDistance.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dRay.h>

#include <vector>

#include "CommandRunner.h"
#include "HelpText.h"
#include "InputError.h"
#include "InputText.h"
#include "NumberOption.h"
#include "PointFileReader.h"
#include "ReportWriter.h"

namespace kv3dcli {

namespace {

const char* const kDistanceText =
    "A polyline file is a point file: its points, in order, are the vertices;\n"
    "segment i joins vertex i and vertex i + 1, and the point with parameter t\n"
    "on it is (1 - t) Vi + t V(i+1). A ray is measured along its whole line,\n"
    "behind its origin too. Among segments at the same distance the first\n"
    "wins; segments, vertices and parameters count from 0.";

// A polyline as read and as shown.
struct Polyline {
    std::string name;
    KvArray<Kv3dPoint> vertices;
};

Polyline read_polyline(const PointFileReader& reader, const std::string& path) {
    return Polyline{input_display_name(path), reader.read_points(path, 1)};
}

void nearest_section(ReportWriter& r, const std::string& key, const Polyline& p,
                     const Kv3dPoint& nearest, int segment, double parameter) {
    r.begin_section(key, "Nearest point of " + p.name);
    r.count("vertices", "vertices", p.vertices.size());
    r.point("point", "point", nearest);
    r.count("segment", "segment", static_cast<std::size_t>(segment));
    r.number("parameter", "parameter on the segment", parameter);
    r.end_section();
}

std::string point_report(const DistanceArgs& args, const Polyline& b) {
    const std::vector<double> c = parse_number_option("--point", args.point, "X,Y,Z");
    const Kv3dPoint q(c[0], c[1], c[2]);
    Kv3dPoint nearest;
    int segment = 0;
    double parameter = 0.0;
    const double d = Kv3d_distance(q, b.vertices, nearest, &segment, &parameter);
    ReportWriter r(args.json, "distance",
                   "kv3d distance: point " + format_triple(q.x(), q.y(), q.z()) + " to " + b.name);
    r.point("point", "point", q);
    r.number("distance", "distance", d);
    nearest_section(r, "nearest", b, nearest, segment, parameter);
    return r.str();
}

std::string ray_report(const DistanceArgs& args, const Polyline& b) {
    const std::vector<double> c = parse_number_option("--ray", args.ray, "PX,PY,PZ,DX,DY,DZ");
    const Kv3dRay ray(Kv3dPoint(c[0], c[1], c[2]), nonzero_direction("--ray", c[3], c[4], c[5]));
    Kv3dPoint nearest;
    int segment = 0;
    double parameter = 0.0;
    const double d = Kv3d_distance(ray, b.vertices, nearest, &segment, &parameter);
    const double along = ray.find_parameter(nearest);
    ReportWriter r(args.json, "distance", "kv3d distance: ray to " + b.name);
    r.point("ray_point", "ray origin", ray.point());
    r.direction("ray_direction", "ray direction (unit)", ray.direction());
    r.number("distance", "distance", d);
    nearest_section(r, "nearest", b, nearest, segment, parameter);
    r.begin_section("on_ray", "Nearest point of the ray's line");
    r.point("point", "point", ray.position(along));
    r.number("parameter", "parameter (distance from the origin)", along);
    r.end_section();
    return r.str();
}

std::string pair_report(const DistanceArgs& args, const Polyline& a, const Polyline& b) {
    Kv3dPoint nearest_a;
    Kv3dPoint nearest_b;
    int segment_a = 0;
    int segment_b = 0;
    double parameter_a = 0.0;
    double parameter_b = 0.0;
    const double d = Kv3d_distance(a.vertices, b.vertices, nearest_a, nearest_b, &segment_a,
                                   &parameter_a, &segment_b, &parameter_b);
    ReportWriter r(args.json, "distance", "kv3d distance: " + a.name + " to " + b.name);
    r.number("distance", "distance", d);
    nearest_section(r, "first", a, nearest_a, segment_a, parameter_a);
    nearest_section(r, "second", b, nearest_b, segment_b, parameter_b);
    return r.str();
}

}  // namespace

int run_distance(const DistanceArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        const bool from_polyline = args.point.empty() && args.ray.empty();
        const std::size_t wanted = from_polyline ? 2 : 1;
        if (!args.point.empty() && !args.ray.empty()) {
            throw InputError("give --point or --ray, not both");
        }
        if (args.polylines.size() != wanted) {
            throw InputError(from_polyline
                                 ? "two polyline files needed, or one with --point or --ray"
                                 : "one polyline file needed after --point or --ray");
        }
        const PointFileReader reader(args);
        if (!from_polyline) {
            const Polyline b = read_polyline(reader, args.polylines[0]);
            return args.point.empty() ? ray_report(args, b) : point_report(args, b);
        }
        require_one_standard_input({args.polylines[0], args.polylines[1]});
        const Polyline a = read_polyline(reader, args.polylines[0]);
        const Polyline b = read_polyline(reader, args.polylines[1]);
        return pair_report(args, a, b);
    });
}

Command add_distance_command(CLI::App& tool) {
    auto args = std::make_shared<DistanceArgs>();
    CLI::App* distance = tool.add_subcommand(
        "distance",
        "Distance from a point, a ray or a polyline to a polyline, with the nearest points");
    distance->add_option("--point", args->point, "X,Y,Z: measure from this point");
    distance->add_option("--ray", args->ray,
                         "PX,PY,PZ,DX,DY,DZ: measure from the line through P\n"
                         "along D");
    distance
        ->add_option("POLYLINES", args->polylines,
                     "POLYLINE_B after --point or --ray, else\n"
                     "POLYLINE_A POLYLINE_B: point files of vertices\n"
                     "('-' reads standard input)")
        ->required()
        ->expected(-1);
    add_json_flag(*distance, args->json);
    distance->footer(footer({kDistanceText, kPointFileText, kExitStatusText}));
    return make_command(distance, args, run_distance);
}

}  // namespace kv3dcli
