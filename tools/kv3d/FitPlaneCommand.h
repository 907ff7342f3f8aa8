#pragma once

#include <iosfwd>
#include <string>

#include "Command.h"
#include "CommonArgs.h"

namespace kv3dcli {

struct FitPlaneArgs : CommonArgs {
    std::string points_path;
    // One weight a line, one per point; unweighted when empty.
    std::string weights_path;
};

// The least-squares plane of a point file: base point, unit normal, the two
// axes, and the RMS and the largest distance of the points from the plane.
int run_fit_plane(const FitPlaneArgs& args, std::ostream& out, std::ostream& err);

// Adds the fit-plane subcommand to the tool.
Command add_fit_plane_command(CLI::App& tool);

}  // namespace kv3dcli
