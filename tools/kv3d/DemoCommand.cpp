#include "DemoCommand.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "CommandRunner.h"
#include "DemoPictures.h"
#include "DemoSections.h"
#include "HelpText.h"
#include "InputError.h"
#include "ReportWriter.h"

namespace kv3dcli {

namespace {

void make_directory(const std::string& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        throw InputError(dir, "cannot make the directory: " + error.message());
    }
}

}  // namespace

int run_demo(const DemoArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        ReportWriter r(args, "demo", "kv3d demo: the library on built-in data");
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
        if (!args.svg_dir.empty()) {
            make_directory(args.svg_dir);
            write_demo_pictures(args.svg_dir, args.digits);
        }
        return r.str();
    });
}

Command add_demo_command(CLI::App& tool) {
    auto args = std::make_shared<DemoArgs>();
    CLI::App* demo = tool.add_subcommand(
        "demo", "Run every capability of the library on built-in data and report the results");
    add_common_options(*demo, *args, PictureOption::kNone);
    demo->add_option("--svg-dir", args->svg_dir,
                     "Also draw one picture of each command that draws\n"
                     "(bounds.svg, fit-plane.svg, fit-conic.svg,\n"
                     "distance.svg, register.svg, clash.svg) into DIR,\n"
                     "made when missing")
        ->type_name("DIR");
    demo->footer(kExitStatusText);
    return make_command(demo, args, run_demo);
}

}  // namespace kv3dcli
