#include "BoundsCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dBSphere.h>
#include <kv3d/Kv3dPoint.h>

#include <cstddef>

#include "BoundsPicture.h"
#include "CommandRunner.h"
#include "HelpText.h"
#include "InputText.h"
#include "PictureFile.h"
#include "PointFileReader.h"
#include "ReportWriter.h"

namespace kv3dcli {

int run_bounds(const BoundsArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        const KvArray<Kv3dPoint> points = PointFileReader(args).read_points(args.points_path, 1);
        const Kv3dBBox box(points);
        std::size_t out_of_range = 0;
        for (const Kv3dPoint& p : points) {
            out_of_range += p.out_of_range() ? 1 : 0;
        }
        ReportWriter r(args, "bounds", "kv3d bounds: " + input_display_name(args.points_path));
        r.count("points", "points", points.size());
        r.begin_section("box", "Bounding box");
        r.point("min", "minimum", box.bbmin());
        r.point("max", "maximum", box.bbmax());
        r.vector("size", "size", box.bbmax() - box.bbmin());
        r.point("center", "centre", (box.bbmin() + box.bbmax()) * 0.5);
        r.end_section();
        const Kv3dBSphere sphere(points);
        r.begin_section("sphere", "Enclosing sphere");
        r.point("center", "centre", sphere.center());
        r.number("radius", "radius", sphere.radius());
        r.number("box_sphere_radius", "radius of the sphere around the box",
                 Kv3dBSphere(box).radius());
        r.end_section();
        r.count("out_of_range", "points beyond the model extent", out_of_range);
        write_picture(args, {args.points_path}, [&]() {
            return bounds_picture(input_display_name(args.points_path), points, box, sphere,
                                  args.digits);
        });
        return r.str();
    });
}

Command add_bounds_command(CLI::App& tool) {
    auto args = std::make_shared<BoundsArgs>();
    CLI::App* bounds = tool.add_subcommand(
        "bounds",
        "Print the bounding box (minimum, maximum, size) and an enclosing sphere of a point file");
    bounds->add_option("POINTS", args->points_path, "Point file ('-' reads standard input)")
        ->required()
        ->type_name("FILE");
    add_common_options(*bounds, *args, PictureOption::kSvg);
    bounds->footer(footer({kPointFileText, kExitStatusText}));
    return make_command(bounds, args, run_bounds);
}

}  // namespace kv3dcli
