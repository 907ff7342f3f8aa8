#include "CommonArgs.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "InputError.h"
#include "RecordParser.h"

namespace kv3dcli {

void add_common_options(CLI::App& command, CommonArgs& args, PictureOption picture) {
    command.add_flag("--json", args.json,
                     "Write the report as JSON instead of text, every\n"
                     "number in full precision");
    command
        .add_option("--digits", args.digits,
                    "Significant digits of the numbers in the text\n"
                    "report, 1 to 17 (17 writes every number exactly)")
        ->type_name("N")
        ->check(CLI::Range(1, 17).description(""))
        ->capture_default_str();
    if (picture == PictureOption::kSvg) {
        command
            .add_option("--svg", args.svg_path,
                        "Also draw the result as an SVG picture into\n"
                        "FILE, written only when the command succeeds")
            ->type_name("FILE");
    }
}

std::istream& input_stream(const CommonArgs& args) {
    return args.std_in != nullptr ? *args.std_in : std::cin;
}

void require_one_standard_input(std::initializer_list<std::string> paths) {
    std::size_t given = 0;
    std::size_t from_stdin = 0;
    for (const std::string& path : paths) {
        given += path.empty() ? 0 : 1;
        from_stdin += path == "-" ? 1 : 0;
    }
    if (from_stdin > 1) {
        throw InputError("standard input ('-') can feed only one of the " + count_word(given) +
                         " files");
    }
}

}  // namespace kv3dcli
