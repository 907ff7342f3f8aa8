#pragma once

#include <iosfwd>
#include <string>

#include "Command.h"
#include "CommonArgs.h"

namespace kv3dcli {

struct ClashArgs : CommonArgs {
    std::string a_path;
    std::string b_path;
    // 0: one per hardware thread.
    int threads = 0;
};

// Interference check of two triangle sets (STL or nine-number text): lists
// every pair (i, j), 0-based, of a triangle of A and one of B that intersect.
int run_clash(const ClashArgs& args, std::ostream& out, std::ostream& err);

// Adds the clash subcommand to the tool.
Command add_clash_command(CLI::App& tool);

}  // namespace kv3dcli
