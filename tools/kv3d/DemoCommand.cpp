#include "DemoCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "CommandRunner.h"
#include "DemoSections.h"
#include "HelpText.h"
#include "ReportWriter.h"

namespace kv3dcli {

int run_demo(const DemoArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        ReportWriter r(args.json, "demo", "kv3d demo: the library on built-in data");
        demo_resolution(r);
        demo_arithmetic(r);
        demo_angles(r);
        demo_predicates(r);
        demo_snapping(r);
        demo_journal(r);
        demo_bounding_box(r);
        demo_bounding_sphere(r);
        demo_transform(r);
        demo_point_pair_fit(r);
        demo_registration(r);
        demo_rotations(r);
        demo_line_and_plane(r);
        demo_parabola(r);
        demo_triangle(r);
        demo_clash(r);
        demo_plane_fit(r);
        demo_conic_fit(r);
        demo_polyline_distance(r);
        return r.str();
    });
}

Command add_demo_command(CLI::App& tool) {
    auto args = std::make_shared<DemoArgs>();
    CLI::App* demo = tool.add_subcommand(
        "demo", "Run every capability of the library on built-in data and report the results");
    add_json_flag(*demo, args->json);
    demo->footer(kExitStatusText);
    return make_command(demo, args, run_demo);
}

}  // namespace kv3dcli
