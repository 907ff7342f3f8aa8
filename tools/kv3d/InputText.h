#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace kv3dcli {

// The whole content of one input file, with the name under which errors
// report it ("<stdin>" for standard input).
struct InputText {
    std::string name;
    std::string data;
};

// The name under which errors and reports show path: "<stdin>" for "-".
std::string input_display_name(const std::string& path);

// Reads path completely; "-" reads std_in to its end. Throws InputError when
// the file cannot be opened or read (a directory, a missing file, ...).
InputText read_input_text(const std::string& path, std::istream& std_in);

// Throws InputError when both paths are "-": standard input can feed only one
// of a command's files.
void check_one_standard_input(const std::string& path_a, const std::string& path_b);

// Blanks separate the numbers and keywords of every input format.
inline bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Appends the blank-separated words of line to words.
void append_words(std::string_view line, std::vector<std::string_view>& words);

}  // namespace kv3dcli
