#include "NumberOption.h"

#include <cstddef>

#include "InputError.h"
#include "PointFileReader.h"

namespace kv3dcli {

std::vector<double> parse_number_option(const std::string& option, const std::string& value,
                                        int count) {
    // The value is read as a file of one record, so that numbers, separators
    // and the error texts are the point file's.
    const std::vector<double> numbers =
        PointFileReader::parse_records(InputText{option, value}, count);
    if (numbers.size() != static_cast<std::size_t>(count)) {
        throw InputError(option, "expected " + count_word(static_cast<std::size_t>(count)) +
                                     " finite numbers, found " + std::to_string(numbers.size()));
    }
    return numbers;
}

}  // namespace kv3dcli
