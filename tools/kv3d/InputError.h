#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace kv3dcli {

// Bad input given to the tool: an unreadable file, a malformed line, too few
// records. The message names the source and, where there is one, the line:
// "points.txt:7: expected three finite numbers". The command that catches it
// prints "kv3d: " and the message on one line and exits with status 2.
class InputError : public std::runtime_error {
public:
    explicit InputError(const std::string& message) : std::runtime_error(message) {}
    InputError(const std::string& source, const std::string& message)
        : std::runtime_error(source + ": " + message) {}
    InputError(const std::string& source, std::size_t line, const std::string& message)
        : std::runtime_error(source + ":" + std::to_string(line) + ": " + message) {}
};

}  // namespace kv3dcli
