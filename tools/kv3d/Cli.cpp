#include "Cli.h"

#include <CLI/CLI.hpp>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "CommandRunner.h"
#include "CommandTable.h"
#include "HelpText.h"

namespace kv3dcli {

namespace {

const char* const kDescription =
    "kv3d: 3D geometry from the command line.\n"
    "Each command prints a readable report, or JSON with --json.";

const char* const kInputFilesText =
    "Input files:\n"
    "  A point file holds one point a line: three numbers separated by blanks,\n"
    "  tabs or commas. '#' starts a comment; blank lines are skipped. A pairs\n"
    "  file holds six numbers a line, a triangle file is STL (ASCII or binary)\n"
    "  or nine numbers a line. The file name '-' reads standard input.";

const char* const kCommandHelpText = "Run 'kv3d COMMAND --help' for the options of a command.";

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
            std::ostream& err, std::ostream* progress) {
    CLI::App app(kDescription, "kv3d");
    app.set_version_flag("--version", "kv3d " KV3D_VERSION);
    app.require_subcommand(1);
    app.get_formatter()->column_width(34);
    std::vector<Command> commands;
    for (const AddCommand add : command_table()) {
        commands.push_back(add(app));
    }
    // Set last: a subcommand copies its parent's footer when it is added.
    app.footer(footer({kInputFilesText, kExitStatusText, kCommandHelpText}));

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << '\n';
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        // A first word that names no command leaves no subcommand selected.
        const bool unknown = argc > 1 && argv[1][0] != '-' && app.get_subcommands().empty();
        err << "kv3d: "
            << (unknown ? "unknown command '" + std::string(argv[1]) + "'" : one_line(e.what()))
            << " (see kv3d --help)\n";
        return kExitBadInput;
    }

    for (const Command& command : commands) {
        if (command.app->parsed()) {
            return command.run(in, out, err, progress);
        }
    }
    err << "kv3d: no command given (see kv3d --help)\n";
    return kExitBadInput;
}

}  // namespace kv3dcli
