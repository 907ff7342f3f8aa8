#include "DemoCommand.h"

#include "CommandRunner.h"
#include "DemoSections.h"
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
        demo_transform(r);
        demo_point_pair_fit(r);
        demo_rotations(r);
        demo_line_and_plane(r);
        demo_parabola(r);
        demo_triangle(r);
        demo_clash(r);
        return r.str();
    });
}

}  // namespace kv3dcli
