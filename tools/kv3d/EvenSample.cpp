#include "EvenSample.h"

#include <algorithm>

namespace kv3dcli {

namespace {

// "2nd", "3rd", "11th", "40th", "101st".
std::string ordinal(std::size_t n) {
    const std::size_t tens = n % 100;
    const char* suffix = "th";
    if (tens < 11 || tens > 13) {
        suffix = n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
    }
    return std::to_string(n) + suffix;
}

}  // namespace

EvenSample::EvenSample(std::size_t n, std::size_t limit)
    : n_(n), stride_(std::max<std::size_t>(1, limit == 0 ? n : (n + limit - 1) / limit)) {}

std::string EvenSample::note(const std::string& items) const {
    if (complete()) {
        return std::string();
    }
    return "every " + ordinal(stride_) + " of " + std::to_string(n_) + " " + items + " drawn (" +
           std::to_string(size()) + ")";
}

}  // namespace kv3dcli
