#include "NumberOption.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "InputError.h"
#include "InputText.h"
#include "NumberFormat.h"
#include "RecordParser.h"

namespace kv3dcli {

std::vector<double> parse_number_option(const std::string& option, const std::string& value,
                                        const std::string& shape) {
    const std::size_t count =
        1 + static_cast<std::size_t>(std::count(shape.begin(), shape.end(), ','));
    const std::string expected = option + ": expected " + shape + ", " + count_word(count) +
                                 " finite numbers separated by commas";
    std::vector<double> numbers(count);
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t comma = value.find(',', start);
        if ((comma == std::string::npos) != (i + 1 == count)) {
            throw InputError(expected);
        }
        words.clear();
        append_words(std::string_view(value).substr(start, comma - start), words);
        bool finite = false;
        if (words.size() != 1 || !parse_number(words[0], numbers[i], finite) || !finite) {
            throw InputError(expected);
        }
        start = comma + 1;
    }
    return numbers;
}

Kv3dDirection nonzero_direction(const std::string& option, double x, double y, double z) {
    const Kv3dDirection d(x, y, z);
    if (d.x() == 0.0 && d.y() == 0.0 && d.z() == 0.0) {
        throw InputError(option + ": the zero vector has no direction");
    }
    return d;
}

}  // namespace kv3dcli
