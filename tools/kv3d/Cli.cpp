#include "Cli.h"

#include <CLI/CLI.hpp>
#include <istream>
#include <ostream>
#include <string>

#include "BoundsCommand.h"
#include "CommandRunner.h"
#include "DemoCommand.h"

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

const char* const kFooter =
    "Input files:\n"
    "  A point file holds one point a line: three numbers separated by blanks,\n"
    "  tabs or commas. '#' starts a comment; blank lines are skipped. The file\n"
    "  name '-' reads standard input.\n"
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

}  // namespace

int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out,
            std::ostream& err) {
    CLI::App app(kDescription, "kv3d");
    app.require_subcommand(1);
    app.get_formatter()->column_width(34);

    DemoArgs demo_args;
    CLI::App* demo = app.add_subcommand(
        "demo", "Run every capability of the library on built-in data and report the results");
    add_json_flag(*demo, demo_args);
    demo->footer(kExitFooter);

    BoundsArgs bounds_args;
    CLI::App* bounds = app.add_subcommand(
        "bounds", "Print the bounding box (minimum, maximum, size) of a point file");
    bounds->add_option("POINTS", bounds_args.points_path, "Point file ('-' reads standard input)")
        ->required();
    add_json_flag(*bounds, bounds_args);
    bounds->footer(kPointsFooter);

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
    err << "kv3d: no command given (see kv3d --help)\n";
    return kExitBadInput;
}

}  // namespace kv3dcli
