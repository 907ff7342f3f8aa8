#pragma once

#include <vector>

#include "Command.h"

namespace kv3dcli {

// Every subcommand of the tool, in the order of the help screen. A new
// command is one entry here plus its own XCommand.h/.cpp.
const std::vector<AddCommand>& command_table();

}  // namespace kv3dcli
