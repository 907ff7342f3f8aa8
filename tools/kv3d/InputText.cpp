#include "InputText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <memory>

#include "InputError.h"

namespace kv3dcli {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string system_reason(int error) {
    return error != 0 ? std::string(std::strerror(error)) : std::string("read error");
}

}  // namespace

std::string input_display_name(const std::string& path) {
    return path == "-" ? std::string("<stdin>") : path;
}

void check_one_standard_input(const std::string& path_a, const std::string& path_b) {
    if (path_a == "-" && path_b == "-") {
        throw InputError("standard input ('-') can feed only one of the two files");
    }
}

InputText read_input_text(const std::string& path, std::istream& std_in) {
    InputText input;
    if (path == "-") {
        input.name = input_display_name(path);
        char buffer[65536];
        while (std_in.read(buffer, sizeof buffer) || std_in.gcount() > 0) {
            input.data.append(buffer, static_cast<std::size_t>(std_in.gcount()));
        }
        if (std_in.bad()) {
            throw InputError(input.name, "cannot read standard input");
        }
        return input;
    }
    input.name = path;
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        throw InputError(path, "cannot open: " + system_reason(errno));
    }
    char buffer[65536];
    for (;;) {
        errno = 0;
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        input.data.append(buffer, n);
        if (n < sizeof buffer) {
            if (std::ferror(file.get())) {
                throw InputError(path, "cannot read: " + system_reason(errno));
            }
            break;
        }
    }
    return input;
}

void append_words(std::string_view line, std::vector<std::string_view>& words) {
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_blank(line[i])) {
            ++i;
        }
        std::size_t j = i;
        while (j < line.size() && !is_blank(line[j])) {
            ++j;
        }
        if (j > i) {
            words.push_back(line.substr(i, j - i));
        }
        i = j;
    }
}

}  // namespace kv3dcli
