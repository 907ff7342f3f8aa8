#include "InputText.h"

namespace kv3dcli {

std::string input_display_name(const std::string& path) {
    return path == "-" ? std::string("<stdin>") : path;
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
