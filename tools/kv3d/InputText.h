#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv3dcli {

// The whole content of an input held in memory, with the name under which
// errors report it.
struct InputText {
    std::string name;
    std::string data;
};

// The name under which errors and reports show path: "<stdin>" for "-".
std::string input_display_name(const std::string& path);

// Blanks separate the numbers and keywords of every input format.
inline bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Appends the blank-separated words of line to words.
void append_words(std::string_view line, std::vector<std::string_view>& words);

}  // namespace kv3dcli
