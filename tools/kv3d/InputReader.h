#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "InputText.h"

namespace kv3dcli {

// One input read through one fixed buffer, by lines or by bytes: a file of
// any size costs the buffer and no more, and a line never needs a copy of
// its own. A line longer than the buffer is refused. Open and read failures
// throw InputError naming the input and the system's reason.
class InputReader {
public:
    static constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

    // Opens path; "-" reads std_in.
    InputReader(const std::string& path, std::istream& std_in);
    // The lines of a text already in memory (no buffer, no copy).
    explicit InputReader(const InputText& input);

    // The next line, without its '\n'; false at the end of the input. The
    // view stays valid until the next call.
    bool next(std::string_view& line);

    // Up to n bytes from the current position on (fewer only at the end of
    // the input, at most kBufferBytes), without consuming them.
    std::string_view peek(std::size_t n);
    // Consumes up to n bytes into out; fewer only at the end of the input.
    std::size_t read(char* out, std::size_t n);

    const std::string& name() const { return name_; }
    // The number of the line last returned, from 1.
    std::size_t line_number() const { return line_number_; }
    // Bytes consumed so far and the size of the input (0 when it is not
    // known in advance, as for standard input), for progress reports.
    std::uint64_t consumed() const { return consumed_; }
    std::uint64_t size() const { return size_; }

    // The number of lines of the regular file path, counted without keeping
    // them (0 for standard input or when the file cannot be read), so that a
    // reader can reserve exactly what the records need.
    static std::size_t count_lines(const std::string& path);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };

    // Moves the unread tail to the front and reads more after it; false at
    // the end of the input.
    bool refill();

    std::string name_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::istream* stream_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    const char* begin_ = nullptr;
    const char* end_ = nullptr;
    bool at_eof_ = false;
    std::size_t line_number_ = 0;
    std::uint64_t consumed_ = 0;
    std::uint64_t size_ = 0;
};

}  // namespace kv3dcli
