#pragma once

#include <iosfwd>
#include <string>

#include "Command.h"
#include "CommonArgs.h"

namespace kv3dcli {

struct TransformArgs : CommonArgs {
    std::string pairs_path;
    // "rigid", "similarity" or "affine".
    std::string type = "rigid";
    // Points to move by the fitted transform; none when empty.
    std::string apply_path;
};

// Fits a transform to the point pairs of a file (source point, then target
// point, six numbers a line), prints its 4 x 4 matrix and how far it
// carries each source point from its target, and moves the points of
// apply_path by it.
int run_transform(const TransformArgs& args, std::ostream& out, std::ostream& err);

// Adds the transform subcommand to the tool.
Command add_transform_command(CLI::App& tool);

}  // namespace kv3dcli
