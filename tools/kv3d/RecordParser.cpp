#include "RecordParser.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "InputError.h"
#include "NumberFormat.h"

namespace kv3dcli {

namespace {

std::string quoted(std::string_view token) {
    const std::size_t shown = 24;
    if (token.size() > shown) {
        return "'" + std::string(token.substr(0, shown)) + "...'";
    }
    return "'" + std::string(token) + "'";
}

const char* skip_blanks(const char* p, const char* end) {
    while (p < end && is_blank(*p)) {
        ++p;
    }
    return p;
}

}  // namespace

std::string count_word(std::size_t n) {
    static const char* const words[] = {"zero",  "one",   "two",  "three", "four",   "five",  "six",
                                        "seven", "eight", "nine", "ten",   "eleven", "twelve"};
    return n < sizeof words / sizeof words[0] ? words[n] : std::to_string(n);
}

RecordParser::RecordParser(const std::string& name, int width)
    : name_(name),
      width_(width),
      expected_(width == 1 ? std::string("expected one finite number")
                           : "expected " + count_word(static_cast<std::size_t>(width)) +
                                 " finite numbers") {
    if (width < 1 || width > kMaxWidth) {
        throw std::invalid_argument("record width " + std::to_string(width) + " out of range");
    }
}

bool RecordParser::parse(std::string_view line, std::size_t line_number, double* values) const {
    return parse_well_formed(line, values) || parse_any(line, line_number, values);
}

// One pass for the common line: width finite numbers that from_chars reads
// in full, separated by blanks with at most one comma, and nothing after
// them but blanks or a comment. A number always ends at a blank, a comma,
// '#' or the end, so it is the same token, with the same value, that
// parse_any would read. Anything else (a '+' sign, an error) is left to
// parse_any, which says what is wrong.
bool RecordParser::parse_well_formed(std::string_view line, double* values) const {
    const char* p = line.data();
    const char* const end = p + line.size();
    for (int k = 0; k < width_; ++k) {
        const char* const before = p;
        p = skip_blanks(p, end);
        if (k > 0 && p < end && *p == ',') {
            p = skip_blanks(p + 1, end);
        }
        if (p == end || (k > 0 && p == before)) {
            return false;
        }
        const auto result = std::from_chars(p, end, values[k], std::chars_format::general);
        if (result.ec != std::errc() || !std::isfinite(values[k])) {
            return false;
        }
        p = result.ptr;
        if (p < end && !is_blank(*p) && *p != ',' && *p != '#') {
            return false;
        }
    }
    p = skip_blanks(p, end);
    return p == end || *p == '#';
}

bool RecordParser::parse_any(std::string_view line, std::size_t line_number, double* values) const {
    std::string_view tokens[kMaxTokens];
    const std::size_t count = split(line, line_number, tokens);
    if (count == 0) {
        return false;
    }
    if (count != static_cast<std::size_t>(width_)) {
        fail(line_number, "found " + std::to_string(count));
    }
    for (std::size_t k = 0; k < count; ++k) {
        bool finite = false;
        if (!parse_number(tokens[k], values[k], finite)) {
            fail(line_number, quoted(tokens[k]) + " is not a number");
        }
        if (!finite) {
            fail(line_number, quoted(tokens[k]) + " is not finite");
        }
    }
    return true;
}

// The number tokens of the line (the first kMaxTokens kept) and their count.
std::size_t RecordParser::split(std::string_view line, std::size_t line_number,
                                std::string_view* tokens) const {
    const char* p = line.data();
    const char* end = p + line.size();
    if (const void* hash = std::memchr(p, '#', line.size())) {
        end = static_cast<const char*>(hash);
    }
    std::size_t count = 0;
    std::size_t in_field = 0;
    bool comma_seen = false;
    while (p < end) {
        if (is_blank(*p)) {
            ++p;
        } else if (*p == ',') {
            if (in_field == 0) {
                fail(line_number, "empty field between commas");
            }
            in_field = 0;
            comma_seen = true;
            ++p;
        } else {
            const char* const first = p;
            while (p < end && !is_blank(*p) && *p != ',') {
                ++p;
            }
            if (count < kMaxTokens) {
                tokens[count] = std::string_view(first, static_cast<std::size_t>(p - first));
            }
            ++count;
            ++in_field;
        }
    }
    if (comma_seen && in_field == 0) {
        fail(line_number, "empty field between commas");
    }
    return count;
}

void RecordParser::fail(std::size_t line_number, const std::string& reason) const {
    throw InputError(name_, line_number, expected_ + ", " + reason);
}

}  // namespace kv3dcli
