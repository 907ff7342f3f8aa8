#include "NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace kv3dcli {

namespace {

// The number of digits of the shortest text that reads back to value.
int shortest_digits(double value) {
    char buffer[64];
    const auto printed =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    int digits = 0;
    for (const char* c = buffer; c != printed.ptr && *c != 'e'; ++c) {
        digits += *c >= '0' && *c <= '9' ? 1 : 0;
    }
    return digits;
}

// "1.50e+03" -> "1.5e+03", "2.0" -> "2"; digits before the point stay.
std::string without_trailing_zeros(std::string text) {
    const std::size_t point = text.find('.');
    if (point == std::string::npos) {
        return text;
    }
    const std::size_t exponent = std::min(text.find('e'), text.size());
    std::size_t end = exponent;
    while (text[end - 1] == '0') {
        --end;
    }
    if (end == point + 1) {
        --end;
    }
    return text.erase(end, exponent - end);
}

}  // namespace

std::string format_number(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string format_number(double value, int digits) {
    // A NaN's sign bit means nothing: no "-nan".
    if (std::isnan(value)) {
        return "nan";
    }
    if (!std::isfinite(value)) {
        return format_number(value);
    }
    digits = std::clamp(digits, 1, 17);
    const int kept = std::min(digits, shortest_digits(value));
    char buffer[64];
    const auto scientific = std::to_chars(buffer, buffer + sizeof buffer, value,
                                          std::chars_format::scientific, kept - 1);
    // The exponent after rounding (9.96 to two digits is 1.0e+01) decides
    // between the two forms, as in %g.
    const char* e = std::find(buffer, scientific.ptr, 'e') + 1;
    int exponent = 0;
    std::from_chars(*e == '+' ? e + 1 : e, scientific.ptr, exponent);
    if (exponent < -4 || exponent >= digits) {
        return without_trailing_zeros(std::string(buffer, scientific.ptr));
    }
    const auto fixed = std::to_chars(buffer, buffer + sizeof buffer, value,
                                     std::chars_format::fixed, std::max(0, kept - 1 - exponent));
    return without_trailing_zeros(std::string(buffer, fixed.ptr));
}

std::string format_triple(double x, double y, double z, int digits) {
    return "(" + format_number(x, digits) + ", " + format_number(y, digits) + ", " +
           format_number(z, digits) + ")";
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
