#pragma once

#include <string>
#include <vector>

namespace kv3dcli {

// The count finite numbers of an option's value, separated by commas or
// blanks as in a point file ("1,2,3", "1 2 3"). Throws InputError naming the
// option when the value holds anything else. count is at most
// RecordParser::kMaxWidth.
std::vector<double> parse_number_option(const std::string& option, const std::string& value,
                                        int count);

}  // namespace kv3dcli
