#pragma once

#include <iosfwd>
#include <string>

#include "Command.h"
#include "CommonArgs.h"

namespace kv3dcli {

struct BoundsArgs : CommonArgs {
    std::string points_path;
};

// The bounding box of a point file (minimum and maximum corner, size) and the
// enclosing sphere of its points, beside the sphere around the box.
int run_bounds(const BoundsArgs& args, std::ostream& out, std::ostream& err);

// Adds the bounds subcommand to the tool.
Command add_bounds_command(CLI::App& tool);

}  // namespace kv3dcli
