#pragma once

#include <string>
#include <string_view>

namespace kv3dcli {

// The shortest text that reads back to the same double: 0.5, 8000, 1e-06, -0.
std::string format_number(double value);

// value written as printf's %.*g writes it with digits (1 to 17) significant
// digits, trailing zeros dropped, but never with more digits than the
// shortest text that reads back to the same double has: 999.9979840000001
// gives 999.997984 at 10 digits, and 0.1 stays 0.1 at 17 (not
// 0.10000000000000001). At 17 digits every value reads back exactly.
std::string format_number(double value, int digits);

// "(x, y, z)", each number as format_number(value, digits) writes it.
std::string format_triple(double x, double y, double z, int digits);

// Reads one number token in full ("1", "-2.5", "+3e4"). Returns false when the
// token is not a number; sets *finite to false for inf, nan and overflow.
bool parse_number(std::string_view token, double& value, bool& finite);

}  // namespace kv3dcli
