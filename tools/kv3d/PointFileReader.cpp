#include "PointFileReader.h"

#include <string_view>

#include "InputError.h"
#include "NumberFormat.h"

namespace kv3dcli {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && is_blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string quoted(std::string_view token) {
    const std::size_t shown = 24;
    if (token.size() > shown) {
        return "'" + std::string(token.substr(0, shown)) + "...'";
    }
    return "'" + std::string(token) + "'";
}

// Splits one line (comment already removed) into its number tokens. A comma
// separates two numbers; blanks around it are allowed, an empty field is not.
// Returns an empty text on success, else the reason.
std::string split_fields(std::string_view line, std::vector<std::string_view>& tokens) {
    tokens.clear();
    std::size_t start = 0;
    bool comma_before = false;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        const std::string_view part = line.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        const std::size_t before = tokens.size();
        append_words(part, tokens);
        const bool comma_after = comma != std::string_view::npos;
        if (tokens.size() == before && (comma_before || comma_after)) {
            return "empty field between commas";
        }
        if (!comma_after) {
            return std::string();
        }
        comma_before = true;
        start = comma + 1;
    }
}

}  // namespace

std::string count_word(std::size_t n) {
    static const char* const words[] = {"zero",  "one",   "two",  "three", "four",   "five",  "six",
                                        "seven", "eight", "nine", "ten",   "eleven", "twelve"};
    return n < sizeof words / sizeof words[0] ? words[n] : std::to_string(n);
}

std::vector<double> PointFileReader::parse_records(const InputText& input, int width) {
    const std::size_t n = static_cast<std::size_t>(width);
    const std::string expected =
        n == 1 ? "expected one finite number" : "expected " + count_word(n) + " finite numbers";
    std::vector<double> values;
    std::vector<std::string_view> tokens;
    const std::string_view text(input.data);
    std::size_t line_number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        ++line_number;
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t hash = line.find('#');
        if (hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        line = trim(line);
        if (line.empty()) {
            continue;
        }
        const std::string reason = split_fields(line, tokens);
        if (!reason.empty()) {
            throw InputError(input.name, line_number, expected + ", " + reason);
        }
        if (tokens.size() != n) {
            throw InputError(input.name, line_number,
                             expected + ", found " + std::to_string(tokens.size()));
        }
        for (const std::string_view token : tokens) {
            double value = 0.0;
            bool finite = false;
            if (!parse_number(token, value, finite)) {
                throw InputError(input.name, line_number,
                                 expected + ", " + quoted(token) + " is not a number");
            }
            if (!finite) {
                throw InputError(input.name, line_number,
                                 expected + ", " + quoted(token) + " is not finite");
            }
            values.push_back(value);
        }
    }
    return values;
}

namespace {

void require_count(const InputText& input, std::size_t found, std::size_t needed,
                   const char* singular, const char* plural) {
    if (found < needed) {
        throw InputError(input.name, std::to_string(found) + " " +
                                         (found == 1 ? singular : plural) + ", at least " +
                                         std::to_string(needed) + " needed");
    }
}

}  // namespace

KvArray<Kv3dPoint> PointFileReader::read_points(const std::string& path,
                                                std::size_t min_points) const {
    const InputText input = read_input_text(path, *std_in_);
    const std::vector<double> v = parse_records(input, 3);
    KvArray<Kv3dPoint> points;
    points.reserve(v.size() / 3);
    for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
        points.append(Kv3dPoint(v[i], v[i + 1], v[i + 2]));
    }
    require_count(input, points.size(), min_points, "point", "points");
    return points;
}

KvArray<KvPair<Kv3dPoint, Kv3dPoint>> PointFileReader::read_pairs(const std::string& path,
                                                                  std::size_t min_pairs) const {
    const InputText input = read_input_text(path, *std_in_);
    const std::vector<double> v = parse_records(input, 6);
    KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs;
    pairs.reserve(v.size() / 6);
    for (std::size_t i = 0; i + 5 < v.size(); i += 6) {
        pairs.append(KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(v[i], v[i + 1], v[i + 2]),
                                                  Kv3dPoint(v[i + 3], v[i + 4], v[i + 5])));
    }
    require_count(input, pairs.size(), min_pairs, "point pair", "point pairs");
    return pairs;
}

KvArray<double> PointFileReader::read_numbers(const std::string& path) const {
    return KvArray<double>(parse_records(read_input_text(path, *std_in_), 1));
}

}  // namespace kv3dcli
