#include "ClashCommand.h"

#include <CLI/CLI.hpp>
#include <cstddef>
#include <memory>
#include <stdexcept>

#include <kv3d/Kv3dInterference.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTriangle.h>

#include "CommandRunner.h"
#include "HelpText.h"
#include "ReportWriter.h"
#include "TriangleFileReader.h"

namespace kv3dcli {

namespace {

const char* const kClashText =
    "Lists every pair (i, j), counted from 0, of triangle i of A and triangle j\n"
    "of B that intersect (touching and coplanar overlap included), and their\n"
    "count. Only pairs whose bounding boxes come within the point tolerance\n"
    "are tested, which finds exactly the pairs that testing all would.\n"
    "Triangles with a vanishing edge intersect nothing. The search runs on\n"
    "--threads threads (0, the default: one per hardware thread); the answer\n"
    "is the same for every count.";

KvArray<Kv3dTriangle> to_triangles(const TriangleSet& set) {
    KvArray<Kv3dTriangle> triangles;
    triangles.reserve(set.size());
    for (std::size_t i = 0; i < set.size(); ++i) {
        triangles.append(Kv3dTriangle(set.triangle(i)));
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
        KvArray<KvPair<std::size_t, std::size_t>> pairs;
        Kv3dInterferenceCounts counts;
        if (!Kv3d_find_intersecting_triangles(to_triangles(set_a), to_triangles(set_b), pairs,
                                              args.threads, &counts)) {
            throw std::runtime_error("not enough memory for the interference search");
        }

        ReportWriter r(args.json, "clash", "kv3d clash: " + set_a.name + " x " + set_b.name);
        describe(r, "a", "Mesh A", set_a, counts.degenerate_a);
        describe(r, "b", "Mesh B", set_b, counts.degenerate_b);
        r.number("tolerance", "point tolerance", Kv3dResObj::same_point_tol());
        r.count("candidates", "pairs tested (boxes within tolerance)", counts.candidates);
        r.count("count", "intersecting pairs", pairs.size());
        if (!pairs.empty() || r.json()) {
            r.index_pairs("pairs", "pairs (index in A, index in B, from 0)", pairs);
        }
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
    clash
        ->add_option("--threads", args->threads,
                     "Threads for the search (default 0: one per hardware thread)")
        ->check(CLI::Range(0, 1024));
    add_json_flag(*clash, args->json);
    clash->footer(footer({kTriangleFileText, kClashText, kExitStatusText}));
    return make_command(clash, args, run_clash);
}

}  // namespace kv3dcli
