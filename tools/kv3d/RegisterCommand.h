#pragma once

#include <iosfwd>
#include <string>

#include "Command.h"
#include "CommonArgs.h"

namespace kv3dcli {

struct RegisterArgs : CommonArgs {
    std::string pairs_path;
    // "rigid", "similarity" or "affine".
    std::string type = "rigid";
    // One weight a line, one per pair; every pair weighs 1 when empty.
    std::string weights_path;
    // Points to move by the fitted transform; none when empty.
    std::string apply_path;
};

// Fits the transform of the given type to all point pairs of a file in the
// least-squares sense, prints its 4 x 4 matrix, the RMS and largest
// residual and each pair's residual, and moves the points of apply_path.
int run_register(const RegisterArgs& args, std::ostream& out, std::ostream& err);

// Adds the register subcommand to the tool.
Command add_register_command(CLI::App& tool);

}  // namespace kv3dcli
