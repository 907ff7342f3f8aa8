#pragma once

#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

#include "InputReader.h"
#include "Progress.h"

namespace kv3dcli {

// Reads records of a fixed count of numbers, one a line, in a single pass
// over each line: '#' ends the line, blanks and single commas separate the
// numbers, and a comma with no number on one of its sides is an empty field.
// Every number must be finite.
class RecordParser {
public:
    // The widest record a file may hold.
    static constexpr int kMaxWidth = 12;

    // name is the input's name for error messages; 1 <= width <= kMaxWidth.
    RecordParser(const std::string& name, int width);

    // Writes the line's numbers to values (width of them) and returns true;
    // false for a blank or comment line. Throws InputError, naming the input
    // and the line, for a bad line.
    bool parse(std::string_view line, std::size_t line_number, double* values) const;

private:
    static constexpr std::size_t kMaxTokens = 16;

    bool parse_well_formed(std::string_view line, double* values) const;
    bool parse_any(std::string_view line, std::size_t line_number, double* values) const;
    std::size_t split(std::string_view line, std::size_t line_number,
                      std::string_view* tokens) const;
    [[noreturn]] void fail(std::size_t line_number, const std::string& reason) const;

    const std::string& name_;
    int width_;
    std::string expected_;
};

// Every record of lines, handed to sink(values) in file order; a progress
// line on terminal (when not null) for a long read.
template <class Sink>
void read_records(InputReader& lines, int width, std::ostream* terminal, Sink&& sink) {
    const RecordParser parser(lines.name(), width);
    Progress progress(terminal, "reading " + lines.name());
    double values[RecordParser::kMaxWidth];
    std::string_view line;
    while (lines.next(line)) {
        progress.update(lines.consumed(), lines.size());
        if (parser.parse(line, lines.line_number(), values)) {
            sink(values);
        }
    }
}

// "three", "six", "nine" ... for the error texts; the digits beyond twelve.
std::string count_word(std::size_t n);

}  // namespace kv3dcli
