#pragma once

#include <string>

namespace kv3dcli {

// Writes one picture per capability that draws (bounds.svg, fit-plane.svg,
// fit-conic.svg, distance.svg, register.svg, clash.svg) into the directory
// dir, each from built-in data, numbers with the given significant digits.
// Throws InputError when a picture cannot be written.
void write_demo_pictures(const std::string& dir, int digits);

}  // namespace kv3dcli
