#pragma once

#include <iosfwd>
#include <string>

#include "Command.h"
#include "CommonArgs.h"

namespace kv3dcli {

struct DemoArgs : CommonArgs {
    // Where --svg-dir writes one picture per capability; none when empty.
    std::string svg_dir;
};

// Runs every capability of the library on data built into the tool and
// reports the results.
int run_demo(const DemoArgs& args, std::ostream& out, std::ostream& err);

// Adds the demo subcommand to the tool.
Command add_demo_command(CLI::App& tool);

}  // namespace kv3dcli
