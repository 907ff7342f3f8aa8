#include "PictureFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "InputError.h"

namespace kv3dcli {

void write_text_file(const std::string& path, const std::string& text) {
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         std::fclose);
    const auto fail = [&path]() {
        throw InputError(path, std::string("cannot write: ") +
                                   (errno != 0 ? std::strerror(errno) : "write error"));
    };
    if (!file) {
        fail();
    }
    if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() ||
        std::fflush(file.get()) != 0) {
        fail();
    }
    if (std::fclose(file.release()) != 0) {
        fail();
    }
}

void check_picture_path(const std::string& path, std::initializer_list<std::string> inputs) {
    if (path == "-") {
        throw InputError("--svg: give a file name; the picture cannot go to standard output");
    }
    for (const std::string& input : inputs) {
        std::error_code error;
        if (!input.empty() && input != "-" && std::filesystem::equivalent(path, input, error)) {
            throw InputError("--svg: " + path +
                             " is an input file, which the picture would "
                             "replace");
        }
    }
}

}  // namespace kv3dcli
