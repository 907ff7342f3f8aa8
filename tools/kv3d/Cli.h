#pragma once

#include <iosfwd>

namespace kv3dcli {

// The whole tool: parses argv (argv[0] is the program name), runs the chosen
// command and returns the exit status: 0 on success, 2 on bad input or bad
// arguments (one line on err, nothing on out), 1 on an internal failure.
// The file name "-" reads from in. Work that runs long shows a progress line
// on progress, when it is given (standard error, when that is a terminal).
int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out,
            std::ostream& err, std::ostream* progress = nullptr);

}  // namespace kv3dcli
