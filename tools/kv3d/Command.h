#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace CLI {
class App;
}

namespace kv3dcli {

// A subcommand as the tool's table holds it: the CLI11 subcommand, and what
// runs it once it has been parsed (in feeds the file name "-"; progress, when
// not null, is the terminal for progress lines).
struct Command {
    CLI::App* app = nullptr;
    std::function<int(std::istream& in, std::ostream& out, std::ostream& err,
                      std::ostream* progress)>
        run;
};

// Adds one subcommand with its options to the tool and returns it.
using AddCommand = Command (*)(CLI::App& tool);

// The options of a subcommand live as long as the runner that reads them.
template <class Args, class Run>
Command make_command(CLI::App* app, std::shared_ptr<Args> args, Run run) {
    return Command{app, [args, run](std::istream& in, std::ostream& out, std::ostream& err,
                                    std::ostream* progress) {
                       args->std_in = &in;
                       args->progress = progress;
                       return run(*args, out, err);
                   }};
}

}  // namespace kv3dcli
