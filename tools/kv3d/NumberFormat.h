#pragma once

#include <string>
#include <string_view>

namespace kv3dcli {

// The shortest text that reads back to the same double: 0.5, 8000, 1e-06, -0.
std::string format_number(double value);

// Reads one number token in full ("1", "-2.5", "+3e4"). Returns false when the
// token is not a number; sets *finite to false for inf, nan and overflow.
bool parse_number(std::string_view token, double& value, bool& finite);

}  // namespace kv3dcli
