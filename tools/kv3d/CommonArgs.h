#pragma once

#include <iosfwd>

namespace kv3dcli {

// Options every command shares.
struct CommonArgs {
    // Write the report as JSON instead of text.
    bool json = false;
    // Where the file name "-" reads from; standard input when null.
    std::istream* std_in = nullptr;
    // The terminal that shows progress lines; none when null.
    std::ostream* progress = nullptr;
};

// args.std_in, or std::cin.
std::istream& input_stream(const CommonArgs& args);

}  // namespace kv3dcli
