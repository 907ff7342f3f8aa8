#pragma once

#include <initializer_list>
#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace kv3dcli {

// Options every command shares.
struct CommonArgs {
    // Write the report as JSON instead of text.
    bool json = false;
    // Significant digits of the numbers in the text report (1 to 17).
    int digits = 10;
    // Where --svg draws the result; no picture when empty.
    std::string svg_path;
    // Where the file name "-" reads from; standard input when null.
    std::istream* std_in = nullptr;
    // The terminal that shows progress lines; none when null.
    std::ostream* progress = nullptr;
};

// Whether a command draws its result with --svg FILE.
enum class PictureOption { kNone, kSvg };

// Adds --json, --digits and, for a command that draws, --svg to command.
void add_common_options(CLI::App& command, CommonArgs& args, PictureOption picture);

// args.std_in, or std::cin.
std::istream& input_stream(const CommonArgs& args);

// Throws InputError when more than one of the given paths (empty ones are not
// given) is "-": standard input can feed one file only.
void require_one_standard_input(std::initializer_list<std::string> paths);

}  // namespace kv3dcli
