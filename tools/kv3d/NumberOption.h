#pragma once

#include <kv3d/Kv3dDirection.h>

#include <string>
#include <vector>

namespace kv3dcli {

// The numbers of an option's value written as shape says ("X,Y,Z": three
// finite numbers separated by commas, blanks around them allowed). Throws
// InputError naming the option and the shape for anything else.
std::vector<double> parse_number_option(const std::string& option, const std::string& value,
                                        const std::string& shape);

// The direction of (x, y, z); throws InputError naming the option for the
// zero vector, which has none.
Kv3dDirection nonzero_direction(const std::string& option, double x, double y, double z);

}  // namespace kv3dcli
