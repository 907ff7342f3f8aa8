#include "ClashCommand.h"

#include <CLI/CLI.hpp>
#include <memory>

#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTriangle.h>

#include <vector>

#include "ClashDetector.h"
#include "ClashPicture.h"
#include "CommandRunner.h"
#include "HelpText.h"
#include "PictureFile.h"
#include "ReportWriter.h"
#include "TriangleFileReader.h"

namespace kv3dcli {

namespace {

const char* const kClashText =
    "Lists every pair (i, j), counted from 0, of triangle i of A and triangle j\n"
    "of B that intersect (touching and coplanar overlap included), and their\n"
    "count. Only pairs whose bounding boxes come within the point tolerance\n"
    "are tested, which finds exactly the pairs that testing all would.\n"
    "Triangles with a vanishing edge intersect nothing.";

std::vector<Kv3dTriangle> to_triangles(const TriangleSet& set) {
    std::vector<Kv3dTriangle> triangles;
    triangles.reserve(set.size());
    for (std::size_t i = 0; i < set.size(); ++i) {
        triangles.emplace_back(set.triangle(i));
    }
    return triangles;
}

void describe(ReportWriter& r, const char* key, const char* heading, const TriangleSet& set,
              std::size_t degenerate) {
    r.begin_section(key, heading);
    r.text("file", "file", set.name);
    r.text("format", "format", set.format);
    r.count("triangles", "triangles", set.size());
    r.count("degenerate", "with a vanishing edge (never clash)", degenerate);
    r.end_section();
}

}  // namespace

int run_clash(const ClashArgs& args, std::ostream& out, std::ostream& err) {
    return run_command(out, err, [&]() {
        require_one_standard_input({args.a_path, args.b_path});
        const TriangleFileReader reader(args);
        const TriangleSet set_a = reader.read(args.a_path, 1);
        const TriangleSet set_b = reader.read(args.b_path, 1);
        const std::vector<Kv3dTriangle> a = to_triangles(set_a);
        const std::vector<Kv3dTriangle> b = to_triangles(set_b);
        const double tol = Kv3dResObj::same_point_tol();
        const ClashResult clash = find_clashes(a, b, tol);

        ReportWriter r(args, "clash", "kv3d clash: " + set_a.name + " x " + set_b.name);
        describe(r, "a", "Mesh A", set_a, clash.degenerate_a);
        describe(r, "b", "Mesh B", set_b, clash.degenerate_b);
        r.number("tolerance", "point tolerance", tol);
        r.count("candidates", "pairs tested (boxes within tolerance)", clash.candidates);
        r.count("count", "intersecting pairs", clash.pairs.size());
        if (!clash.pairs.empty() || r.json()) {
            r.index_pairs("pairs", "pairs (index in A, index in B, from 0)", clash.pairs);
        }
        write_picture(args, {args.a_path, args.b_path},
                      [&]() { return clash_picture(set_a, set_b, clash.pairs); });
        return r.str();
    });
}

Command add_clash_command(CLI::App& tool) {
    auto args = std::make_shared<ClashArgs>();
    CLI::App* clash = tool.add_subcommand(
        "clash", "Check two triangle meshes for interference: list the intersecting pairs");
    clash->add_option("A", args->a_path, "First triangle file ('-' reads standard input)")
        ->required();
    clash->add_option("B", args->b_path, "Second triangle file ('-' reads standard input)")
        ->required();
    add_common_options(*clash, *args, PictureOption::kSvg);
    clash->footer(footer({kTriangleFileText, kClashText, kExitStatusText}));
    return make_command(clash, args, run_clash);
}

}  // namespace kv3dcli
