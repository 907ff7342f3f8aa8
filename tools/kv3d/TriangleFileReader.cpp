#include "TriangleFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "InputError.h"
#include "InputReader.h"
#include "NumberFormat.h"
#include "RecordParser.h"

namespace kv3dcli {

namespace {

constexpr std::size_t kHeaderBytes = 80;
constexpr std::size_t kPrefixBytes = 84;
constexpr std::size_t kRecordBytes = 50;

std::uint32_t read_u32_le(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

double read_f32_le(const char* p) {
    const std::uint32_t bits = read_u32_le(p);
    float value;
    static_assert(sizeof value == sizeof bits, "float32 expected");
    std::memcpy(&value, &bits, sizeof value);
    return static_cast<double>(value);
}

// The size of a binary STL is what its header announces.
bool binary_size_matches(std::string_view prefix, std::uint64_t size) {
    if (prefix.size() < kPrefixBytes) {
        return false;
    }
    const std::uint64_t count = read_u32_le(prefix.data() + kHeaderBytes);
    return kPrefixBytes + kRecordBytes * count == size;
}

// Text files hold no NUL and no control characters besides the blanks; a
// binary STL practically always does (its counts and attribute fields).
bool looks_binary(std::string_view data) {
    for (const char ch : data) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') {
            return true;
        }
    }
    return false;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool keyword_is(std::string_view token, const char* keyword) {
    const std::size_t n = std::strlen(keyword);
    if (token.size() != n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (lower(token[i]) != keyword[i]) {
            return false;
        }
    }
    return true;
}

// The first word of the file, lowered, is "solid".
bool starts_with_solid(std::string_view data) {
    std::size_t i = 0;
    while (i < data.size() && (is_blank(data[i]) || data[i] == '\n')) {
        ++i;
    }
    std::size_t j = i;
    while (j < data.size() && !is_blank(data[j]) && data[j] != '\n') {
        ++j;
    }
    return keyword_is(data.substr(i, j - i), "solid");
}

void split_blanks(std::string_view line, std::vector<std::string_view>& tokens) {
    tokens.clear();
    append_words(line, tokens);
}

// "vertex x y z": appends the three coordinates, or fails.
template <class Fail>
void read_vertex(const std::vector<std::string_view>& tokens, std::vector<double>& coords,
                 const Fail& fail) {
    const std::string message = "expected 'vertex' and three finite numbers";
    if (tokens.size() != 4) {
        fail(message + ", found " + std::to_string(tokens.size() - 1));
    }
    for (std::size_t k = 1; k < 4; ++k) {
        double v = 0.0;
        bool finite = false;
        if (!parse_number(tokens[k], v, finite)) {
            fail(message + ", '" + std::string(tokens[k].substr(0, 24)) + "' is not a number");
        }
        if (!finite) {
            fail(message + ", '" + std::string(tokens[k].substr(0, 24)) + "' is not finite");
        }
        coords.push_back(v);
    }
}

}  // namespace

TriangleSet TriangleFileReader::read(const std::string& path, std::size_t min_triangles) const {
    InputReader input(path, *std_in_);
    TriangleSet set = parse(input, progress_);
    if (set.size() < min_triangles) {
        throw InputError(set.name, std::to_string(set.size()) +
                                       (set.size() == 1 ? " triangle" : " triangles") +
                                       ", at least " + std::to_string(min_triangles) + " needed");
    }
    return set;
}

TriangleSet TriangleFileReader::parse(const InputText& input) {
    InputReader reader(input);
    return parse(reader, nullptr);
}

// The format is told from the first buffer of the input and, where it is
// known in advance, its size.
TriangleSet TriangleFileReader::parse(InputReader& input, std::ostream* terminal) {
    TriangleSet set;
    set.name = input.name();
    const std::string_view prefix = input.peek(InputReader::kBufferBytes);
    if ((input.size() > 0 && binary_size_matches(prefix, input.size())) || looks_binary(prefix)) {
        set.format = "binary STL";
        parse_binary_stl(input, set);
    } else if (starts_with_solid(prefix)) {
        set.format = "ASCII STL";
        parse_ascii_stl(input, set);
    } else {
        set.format = "text";
        read_records(input, 9, terminal,
                     [&](const double* v) { set.coords.insert(set.coords.end(), v, v + 9); });
    }
    return set;
}

namespace {

[[noreturn]] void fail_binary_size(const std::string& name, std::uint64_t count,
                                   std::uint64_t size) {
    const std::uint64_t expected = kPrefixBytes + kRecordBytes * count;
    throw InputError(name, std::string(expected > size ? "truncated" : "malformed") +
                               " binary STL: the header announces " + std::to_string(count) +
                               " triangles (" + std::to_string(expected) +
                               " bytes), the file has " + std::to_string(size) + " bytes");
}

// The bytes left in input from here on, read and counted.
std::uint64_t skip_to_end(InputReader& input) {
    char sink[4096];
    std::uint64_t n = 0;
    for (std::size_t got; (got = input.read(sink, sizeof sink)) > 0;) {
        n += got;
    }
    return n;
}

}  // namespace

// Records are read straight from the input a chunk at a time. A size known
// in advance is checked before the first record; otherwise (standard input)
// after the last.
void TriangleFileReader::parse_binary_stl(InputReader& input, TriangleSet& set) {
    char prefix[kPrefixBytes];
    const std::size_t got = input.read(prefix, kPrefixBytes);
    if (got < kPrefixBytes) {
        throw InputError(set.name, "binary STL of " + std::to_string(got) +
                                       " bytes, shorter than its 84-byte header");
    }
    const std::uint64_t count = read_u32_le(prefix + kHeaderBytes);
    const std::uint64_t expected = kPrefixBytes + kRecordBytes * count;
    if (input.size() > 0 && input.size() != expected) {
        fail_binary_size(set.name, count, input.size());
    }
    set.coords.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, input.size()) * 9));
    char records[kRecordBytes * 1024];
    for (std::uint64_t t = 0; t < count;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count - t, 1024)) * kRecordBytes;
        const std::size_t n = input.read(records, want) / kRecordBytes;
        for (std::size_t r = 0; r < n; ++r, ++t) {
            // Skip the normal (12 bytes); read the three vertices.
            const char* record = records + kRecordBytes * r + 12;
            for (int k = 0; k < 9; ++k) {
                const double v = read_f32_le(record + 4 * k);
                if (!std::isfinite(v)) {
                    throw InputError(set.name, "triangle " + std::to_string(t) +
                                                   ": vertex coordinate is not finite");
                }
                set.coords.push_back(v);
            }
        }
        if (n * kRecordBytes < want) {
            break;
        }
    }
    const std::uint64_t total = input.consumed() + skip_to_end(input);
    if (total != expected) {
        fail_binary_size(set.name, count, total);
    }
}

void TriangleFileReader::parse_ascii_stl(InputReader& input, TriangleSet& set) {
    enum class State { SOLID, FACET, OUTER_LOOP, VERTEX, END_FACET, AFTER_SOLID };
    const char* const expected_text[] = {"'solid'",      "'facet' or 'endsolid'",
                                         "'outer loop'", "'vertex' or 'endloop'",
                                         "'endfacet'",   "'solid' or the end"};
    State state = State::SOLID;
    int vertices = 0;
    std::vector<std::string_view> tokens;
    auto fail = [&](const std::string& message) {
        throw InputError(set.name, input.line_number(), message);
    };
    std::string_view line;
    while (input.next(line)) {
        split_blanks(line, tokens);
        if (tokens.empty()) {
            continue;
        }
        const std::string_view key = tokens[0];
        // Each keyword is allowed in one state (solid in two) and leads to the next.
        auto expect = [&](bool allowed) {
            if (!allowed) {
                fail(std::string("expected ") + expected_text[static_cast<int>(state)] +
                     ", found '" + std::string(key.substr(0, 24)) + "'");
            }
        };
        if (keyword_is(key, "solid")) {
            expect(state == State::SOLID || state == State::AFTER_SOLID);
            state = State::FACET;
        } else if (keyword_is(key, "facet")) {
            expect(state == State::FACET);
            state = State::OUTER_LOOP;
        } else if (keyword_is(key, "outer")) {
            expect(state == State::OUTER_LOOP);
            if (tokens.size() != 2 || !keyword_is(tokens[1], "loop")) {
                fail("expected 'outer loop'");
            }
            state = State::VERTEX;
            vertices = 0;
        } else if (keyword_is(key, "vertex")) {
            expect(state == State::VERTEX);
            if (vertices == 3) {
                fail("a facet with more than three vertices");
            }
            read_vertex(tokens, set.coords, fail);
            ++vertices;
        } else if (keyword_is(key, "endloop")) {
            expect(state == State::VERTEX);
            if (vertices != 3) {
                fail("a facet with " + std::to_string(vertices) + " vertices, expected 3");
            }
            state = State::END_FACET;
        } else if (keyword_is(key, "endfacet")) {
            expect(state == State::END_FACET);
            state = State::FACET;
        } else if (keyword_is(key, "endsolid")) {
            expect(state == State::FACET);
            state = State::AFTER_SOLID;
        } else {
            expect(false);
        }
    }
    if (state != State::AFTER_SOLID) {
        throw InputError(set.name, input.line_number(),
                         "unexpected end of file, 'endsolid' missing");
    }
}

}  // namespace kv3dcli
