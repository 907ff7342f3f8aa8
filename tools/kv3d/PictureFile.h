#pragma once

#include <initializer_list>
#include <string>

#include "CommonArgs.h"

namespace kv3dcli {

// Writing the pictures of --svg FILE and of the demo.

// Writes text to path, replacing what the file held. Throws InputError
// naming the path when it cannot be written.
void write_text_file(const std::string& path, const std::string& text);

// Throws InputError when the picture path is "-" or names one of the
// command's input files, which the picture would replace.
void check_picture_path(const std::string& path, std::initializer_list<std::string> inputs);

// When --svg FILE was given, writes the picture that draw() returns to it.
// Commands call this last, after everything that can fail, so that a failing
// command leaves FILE as it was.
template <class Draw>
void write_picture(const CommonArgs& args, std::initializer_list<std::string> inputs, Draw&& draw) {
    if (args.svg_path.empty()) {
        return;
    }
    check_picture_path(args.svg_path, inputs);
    write_text_file(args.svg_path, draw());
}

}  // namespace kv3dcli
