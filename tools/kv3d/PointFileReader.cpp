#include "PointFileReader.h"

#include <sys/mman.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "InputError.h"
#include "LineReader.h"
#include "NumberFormat.h"
#include "Progress.h"

namespace kv3dcli {

namespace {

std::string quoted(std::string_view token) {
    const std::size_t shown = 24;
    if (token.size() > shown) {
        return "'" + std::string(token.substr(0, shown)) + "...'";
    }
    return "'" + std::string(token) + "'";
}

// Reads records of a fixed count of numbers, one a line, in a single pass
// over each line: '#' ends the line, blanks and single commas separate the
// numbers, and a comma with no number on one of its sides is an empty field.
class RecordParser {
public:
    RecordParser(const std::string& name, int width)
        : name_(name),
          width_(width),
          expected_("expected " + count_word(static_cast<std::size_t>(width)) + " finite numbers") {
    }

    // Writes the line's numbers to values (width of them) and returns true;
    // false for a blank or comment line. Throws InputError for a bad line.
    bool parse(std::string_view line, std::size_t line_number, double* values) const {
        return parse_well_formed(line, values) || parse_any(line, line_number, values);
    }

    // The widest record a file may hold.
    static constexpr int kMaxWidth = 12;

private:
    static constexpr std::size_t kMaxTokens = 16;

    // One pass for the common line: width finite numbers that from_chars reads
    // in full, separated by blanks with at most one comma, and nothing after
    // them but blanks or a comment. A number always ends at a blank, a comma,
    // '#' or the end, so it is the same token, with the same value, that
    // parse_any would read. Anything else (a '+' sign, an error) is left to
    // parse_any, which says what is wrong.
    bool parse_well_formed(std::string_view line, double* values) const {
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

    static const char* skip_blanks(const char* p, const char* end) {
        while (p < end && is_blank(*p)) {
            ++p;
        }
        return p;
    }

    bool parse_any(std::string_view line, std::size_t line_number, double* values) const {
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
    std::size_t split(std::string_view line, std::size_t line_number,
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

    [[noreturn]] void fail(std::size_t line_number, const std::string& reason) const {
        throw InputError(name_, line_number, expected_ + ", " + reason);
    }

    const std::string& name_;
    int width_;
    std::string expected_;
};

void require_count(const std::string& name, std::size_t found, std::size_t needed,
                   const char* singular, const char* plural) {
    if (found < needed) {
        throw InputError(name, std::to_string(found) + " " + (found == 1 ? singular : plural) +
                                   ", at least " + std::to_string(needed) + " needed");
    }
}

// Large arrays are filled from start to end at once: back them with huge
// pages where the system offers them on request, which saves one page fault
// per 4 KiB. Only a hint: the result is the same without it.
void advise_huge_pages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    const std::uintptr_t huge = std::uintptr_t{1} << 21;
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(data) + huge - 1) & ~(huge - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(huge - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}

// Every record of lines, handed to sink(values) in file order.
template <class Sink>
void read_records(LineReader& lines, int width, std::ostream* terminal, Sink&& sink) {
    if (width < 1 || width > RecordParser::kMaxWidth) {
        throw std::invalid_argument("record width " + std::to_string(width) + " out of range");
    }
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

}  // namespace

std::string count_word(std::size_t n) {
    static const char* const words[] = {"zero",  "one",   "two",  "three", "four",   "five",  "six",
                                        "seven", "eight", "nine", "ten",   "eleven", "twelve"};
    return n < sizeof words / sizeof words[0] ? words[n] : std::to_string(n);
}

std::vector<double> PointFileReader::parse_records(const InputText& input, int width) {
    std::vector<double> values;
    LineReader lines(input);
    read_records(lines, width, nullptr,
                 [&](const double* v) { values.insert(values.end(), v, v + width); });
    return values;
}

KvArray<Kv3dPoint> PointFileReader::read_points(const std::string& path,
                                                std::size_t min_points) const {
    LineReader lines(path, *std_in_);
    KvArray<Kv3dPoint> points;
    points.reserve(LineReader::count_lines(path));
    advise_huge_pages(points.data(), points.capacity() * sizeof(Kv3dPoint));
    read_records(lines, 3, progress_,
                 [&](const double* v) { points.append(Kv3dPoint(v[0], v[1], v[2])); });
    require_count(lines.name(), points.size(), min_points, "point", "points");
    return points;
}

KvArray<KvPair<Kv3dPoint, Kv3dPoint>> PointFileReader::read_pairs(const std::string& path,
                                                                  std::size_t min_pairs) const {
    LineReader lines(path, *std_in_);
    KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs;
    pairs.reserve(LineReader::count_lines(path));
    read_records(lines, 6, progress_, [&](const double* v) {
        pairs.append(
            KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(v[0], v[1], v[2]), Kv3dPoint(v[3], v[4], v[5])));
    });
    require_count(lines.name(), pairs.size(), min_pairs, "point pair", "point pairs");
    return pairs;
}

}  // namespace kv3dcli
