#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace kv3dcli {

// A progress line for work that runs longer than about a second: written to
// a terminal only (the tool hands it standard error when that is one, null
// otherwise), redrawn in place at most five times a second, and erased when
// the work is done. Cheap enough to call once per record.
class Progress {
public:
    Progress(std::ostream* terminal, std::string label);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // done of total units (total 0: not known in advance).
    void update(std::uint64_t done, std::uint64_t total) {
        if (terminal_ != nullptr && ++calls_ % kCallsPerClockRead == 0) {
            redraw(done, total);
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::uint64_t kCallsPerClockRead = 4096;

    void redraw(std::uint64_t done, std::uint64_t total);

    std::ostream* terminal_;
    std::string label_;
    std::uint64_t calls_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_drawn_{};
    std::size_t drawn_width_ = 0;
};

}  // namespace kv3dcli
