// Arbitrary bytes as the command-line tool's input files: the readers either
// return records or report an InputError; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <string>

#include "InputError.h"
#include "InputText.h"
#include "PointFileReader.h"
#include "TriangleFileReader.h"

namespace {

template <class Parse>
void expect_records_or_input_error(Parse parse) {
    try {
        parse();
    } catch (const kv3dcli::InputError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kv3dcli::InputText input{"fuzz", std::string(reinterpret_cast<const char*>(data), size)};
    expect_records_or_input_error([&] {
        const auto numbers = kv3dcli::PointFileReader::parse_records(input, 3);
        if (numbers.size() % 3 != 0) {
            __builtin_trap();
        }
    });
    expect_records_or_input_error([&] { kv3dcli::PointFileReader::parse_records(input, 6); });
    expect_records_or_input_error([&] {
        const kv3dcli::TriangleSet set = kv3dcli::TriangleFileReader::parse(input);
        if (set.coords.size() != 9 * set.size()) {
            __builtin_trap();
        }
    });
    return 0;
}
