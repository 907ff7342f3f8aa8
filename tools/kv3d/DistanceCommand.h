#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "Command.h"
#include "CommonArgs.h"

namespace kv3dcli {

struct DistanceArgs : CommonArgs {
    // "X,Y,Z", or empty.
    std::string point;
    // "PX,PY,PZ,DX,DY,DZ", or empty.
    std::string ray;
    // POLYLINE_B alone after --point or --ray, else POLYLINE_A POLYLINE_B.
    std::vector<std::string> polylines;
};

// The distance from a point, a ray's line or a polyline to a polyline, with
// the nearest points, their segments and their parameters.
int run_distance(const DistanceArgs& args, std::ostream& out, std::ostream& err);

// Adds the distance subcommand to the tool.
Command add_distance_command(CLI::App& tool);

}  // namespace kv3dcli
