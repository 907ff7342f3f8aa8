#pragma once

#include <iosfwd>
#include <string>

#include "Command.h"
#include "CommonArgs.h"

namespace kv3dcli {

struct FitConicArgs : CommonArgs {
    std::string points_path;
    // Tangent directions "X,Y,Z" at the first and the last point; none when empty.
    std::string first_tangent;
    std::string last_tangent;
};

// The plane conic through the points of a file (five or more, four with one
// tangent, three with both): its type, shape values a and b, the placement of
// its canonical frame in model coordinates, and the largest distance of the
// points from it.
int run_fit_conic(const FitConicArgs& args, std::ostream& out, std::ostream& err);

// Adds the fit-conic subcommand to the tool.
Command add_fit_conic_command(CLI::App& tool);

}  // namespace kv3dcli
