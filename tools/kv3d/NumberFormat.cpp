#include "NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace kv3dcli {

std::string format_number(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool parse_number(std::string_view token, double& value, bool& finite) {
    // from_chars takes no leading '+'; accept it when a digit or '.' follows.
    if (token.size() > 1 && token[0] == '+' && token[1] != '-' && token[1] != '+') {
        token.remove_prefix(1);
    }
    if (token.empty()) {
        return false;
    }
    const char* first = token.data();
    const char* last = first + token.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ptr != last) {
        return false;
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow is not finite; underflow reads as the nearest subnormal or zero.
        const std::string copy(token);
        value = std::strtod(copy.c_str(), nullptr);
    } else if (result.ec != std::errc()) {
        return false;
    }
    finite = std::isfinite(value);
    return true;
}

}  // namespace kv3dcli
