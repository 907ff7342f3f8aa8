#include "NumberOption.h"

#include <cstddef>

#include "InputError.h"
#include "RecordParser.h"

namespace kv3dcli {

std::vector<double> parse_number_option(const std::string& option, const std::string& value,
                                        int count) {
    // The value is read as a point file's line, with its separators and its
    // error texts.
    const RecordParser parser(option, count);
    std::vector<double> numbers(static_cast<std::size_t>(count));
    if (!parser.parse(value, 1, numbers.data())) {
        throw InputError(option, "expected " + count_word(static_cast<std::size_t>(count)) +
                                     " finite numbers, found 0");
    }
    return numbers;
}

}  // namespace kv3dcli
