#include "CommandTable.h"

#include "BoundsCommand.h"
#include "ClashCommand.h"
#include "DemoCommand.h"
#include "DistanceCommand.h"
#include "FitConicCommand.h"
#include "FitPlaneCommand.h"
#include "RegisterCommand.h"
#include "TransformCommand.h"

namespace kv3dcli {

const std::vector<AddCommand>& command_table() {
    // One command a line, so that adding one changes one line.
    // clang-format off
    static const std::vector<AddCommand> table = {
        add_demo_command,
        add_bounds_command,
        add_transform_command,
        add_register_command,
        add_clash_command,
        add_fit_plane_command,
        add_fit_conic_command,
        add_distance_command,
    };
    // clang-format on
    return table;
}

}  // namespace kv3dcli
