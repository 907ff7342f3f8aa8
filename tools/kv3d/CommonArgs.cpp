#include "CommonArgs.h"

#include <iostream>

#include "InputError.h"
#include "RecordParser.h"

namespace kv3dcli {

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
