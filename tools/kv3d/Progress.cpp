#include "Progress.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace kv3dcli {

namespace {

constexpr std::chrono::milliseconds kQuietTime(1000);
constexpr std::chrono::milliseconds kRedrawTime(200);

}  // namespace

Progress::Progress(std::ostream* terminal, std::string label)
    : terminal_(terminal), label_(std::move(label)) {}

Progress::~Progress() {
    if (drawn_width_ > 0) {
        *terminal_ << '\r' << std::string(drawn_width_, ' ') << '\r' << std::flush;
    }
}

void Progress::redraw(std::uint64_t done, std::uint64_t total) {
    const Clock::time_point now = Clock::now();
    if (now - start_ < kQuietTime || now - last_drawn_ < kRedrawTime) {
        return;
    }
    last_drawn_ = now;
    std::string line = label_ + ": ";
    if (total > 0) {
        line += std::to_string(done * 100 / total) + "%";
    } else {
        line += std::to_string(done);
    }
    const std::size_t width = line.size();
    if (width < drawn_width_) {
        line += std::string(drawn_width_ - width, ' ');
    }
    drawn_width_ = std::max(drawn_width_, width);
    *terminal_ << '\r' << line << std::flush;
}

}  // namespace kv3dcli
