#include "CommonArgs.h"

#include <iostream>

namespace kv3dcli {

std::istream& input_stream(const CommonArgs& args) {
    return args.std_in != nullptr ? *args.std_in : std::cin;
}

}  // namespace kv3dcli
