#include "Cli.h"

#include <CLI/CLI.hpp>
#include <istream>
#include <ostream>
#include <string>

#include "BoundsCommand.h"
#include "ClashCommand.h"
#include "CommandRunner.h"
#include "DemoCommand.h"
#include "TransformCommand.h"

namespace kv3dcli {

namespace {

const char* const kDescription =
    "kv3d: 3D geometry from the command line.\n"
    "Each command prints a readable report, or JSON with --json.";

const char* const kExitFooter =
    "Exit status: 0 on success; 2 on bad input or arguments, with one line on\n"
    "standard error naming the file and line, and nothing on standard output.";

const char* const kPointsFooter =
    "A point file holds one point a line: three numbers separated by blanks,\n"
    "tabs or commas. '#' starts a comment; blank lines are skipped.\n"
    "\n"
    "Exit status: 0 on success; 2 on bad input or arguments, with one line on\n"
    "standard error naming the file and line, and nothing on standard output.";

const char* const kTransformFooter =
    "The fit is exact, not least-squares: it builds a frame on the first two,\n"
    "three (rigid, similarity) or four (affine) pairs and ignores the rest,\n"
    "whose distances from their targets the report lists. One pair gives a\n"
    "translation. Files hold their numbers separated by blanks, tabs or commas;\n"
    "'#' starts a comment; blank lines are skipped.\n"
    "\n"
    "Exit status: 0 on success; 2 on bad input or arguments (including pairs\n"
    "whose points are coincident or collinear, which fit no invertible\n"
    "transform), with one line on standard error and nothing on standard output.";

const char* const kClashFooter =
    "A triangle file is a binary STL, an ASCII STL, or text with nine numbers a\n"
    "line (three vertices, separated by blanks, tabs or commas; '#' starts a\n"
    "comment). The format is told from the content, not the file name.\n"
    "\n"
    "Lists every pair (i, j), counted from 0, of triangle i of A and triangle j\n"
    "of B that intersect (touching and coplanar overlap included), and their\n"
    "count. Only pairs whose bounding boxes come within the point tolerance\n"
    "are tested, which finds exactly the pairs that testing all would.\n"
    "Triangles with a vanishing edge intersect nothing.\n"
    "\n"
    "Exit status: 0 on success, whether or not the meshes clash; 2 on bad input\n"
    "or arguments, with one line on standard error and nothing on standard output.";

const char* const kFooter =
    "Input files:\n"
    "  A point file holds one point a line: three numbers separated by blanks,\n"
    "  tabs or commas. '#' starts a comment; blank lines are skipped. A pairs\n"
    "  file holds six numbers a line, a triangle file is STL (ASCII or binary)\n"
    "  or nine numbers a line. The file name '-' reads standard input.\n"
    "\n"
    "Exit status: 0 on success; 2 on bad input or arguments, with one line on\n"
    "standard error naming the file and line, and nothing on standard output.\n"
    "\n"
    "Run 'kv3d COMMAND --help' for the options of a command.";

void add_json_flag(CLI::App& command, CommonArgs& args) {
    command.add_flag("--json", args.json, "Write the report as JSON instead of text");
}

// CLI11 messages are one line already; make sure of it.
std::string one_line(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

CLI::App* add_demo(CLI::App& app, DemoArgs& args) {
    CLI::App* demo = app.add_subcommand(
        "demo", "Run every capability of the library on built-in data and report the results");
    add_json_flag(*demo, args);
    demo->footer(kExitFooter);
    return demo;
}

CLI::App* add_bounds(CLI::App& app, BoundsArgs& args) {
    CLI::App* bounds = app.add_subcommand(
        "bounds", "Print the bounding box (minimum, maximum, size) of a point file");
    bounds->add_option("POINTS", args.points_path, "Point file ('-' reads standard input)")
        ->required();
    add_json_flag(*bounds, args);
    bounds->footer(kPointsFooter);
    return bounds;
}

CLI::App* add_transform(CLI::App& app, TransformArgs& args) {
    CLI::App* transform = app.add_subcommand(
        "transform", "Fit a transform to point pairs; print its matrix and optionally move points");
    transform
        ->add_option("PAIRS", args.pairs_path,
                     "Pairs file: six numbers a line, a source point then\n"
                     "its target point ('-' reads standard input)")
        ->required();
    transform
        ->add_option("--type", args.type,
                     "rigid: rotation and translation, from the first\n"
                     "  three pairs;\n"
                     "similarity: rigid, then a uniform scale about the\n"
                     "  first target;\n"
                     "affine: the first four pairs mapped exactly (with\n"
                     "  three pairs, the triangle's unit normal too)")
        ->check(CLI::IsMember({"rigid", "similarity", "affine"}))
        ->capture_default_str();
    transform->add_option("--apply", args.apply_path,
                          "Point file to move by the fitted transform\n"
                          "('-' reads standard input)");
    add_json_flag(*transform, args);
    transform->footer(kTransformFooter);
    return transform;
}

CLI::App* add_clash(CLI::App& app, ClashArgs& args) {
    CLI::App* clash = app.add_subcommand(
        "clash", "Check two triangle meshes for interference: list the intersecting pairs");
    clash->add_option("A", args.a_path, "First triangle file ('-' reads standard input)")
        ->required();
    clash->add_option("B", args.b_path, "Second triangle file ('-' reads standard input)")
        ->required();
    add_json_flag(*clash, args);
    clash->footer(kClashFooter);
    return clash;
}

}  // namespace

int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out,
            std::ostream& err) {
    CLI::App app(kDescription, "kv3d");
    app.require_subcommand(1);
    app.get_formatter()->column_width(34);
    DemoArgs demo_args;
    BoundsArgs bounds_args;
    TransformArgs transform_args;
    ClashArgs clash_args;
    const CLI::App* demo = add_demo(app, demo_args);
    const CLI::App* bounds = add_bounds(app, bounds_args);
    const CLI::App* transform = add_transform(app, transform_args);
    const CLI::App* clash = add_clash(app, clash_args);

    // Set last: a subcommand copies its parent's footer when it is added.
    app.footer(kFooter);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        err << "kv3d: " << one_line(e.what()) << " (see kv3d --help)\n";
        return kExitBadInput;
    }

    if (demo->parsed()) {
        demo_args.std_in = &in;
        return run_demo(demo_args, out, err);
    }
    if (bounds->parsed()) {
        bounds_args.std_in = &in;
        return run_bounds(bounds_args, out, err);
    }
    if (transform->parsed()) {
        transform_args.std_in = &in;
        return run_transform(transform_args, out, err);
    }
    if (clash->parsed()) {
        clash_args.std_in = &in;
        return run_clash(clash_args, out, err);
    }
    err << "kv3d: no command given (see kv3d --help)\n";
    return kExitBadInput;
}

}  // namespace kv3dcli
