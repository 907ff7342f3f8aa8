#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "Progress.h"
#include "cli/CliTestSupport.h"

namespace {

using cli_test::contains;
TEST(Progress, QuietForShortWorkAndWithoutATerminal) {
    std::ostringstream terminal;
    {
        kv3dcli::Progress progress(&terminal, "reading");
        for (int i = 0; i < 100000; ++i) {
            progress.update(static_cast<std::uint64_t>(i), 100000);
        }
    }
    EXPECT_EQ(terminal.str(), "") << "case: work done within the first second";
    kv3dcli::Progress silent(nullptr, "reading");
    silent.update(1, 2);  // no terminal: nothing to write to, nothing happens
}

TEST(Progress, ShowsLongWorkAndErasesItsLine) {
    std::ostringstream terminal;
    {
        kv3dcli::Progress progress(&terminal, "reading a.txt");
        const auto start = std::chrono::steady_clock::now();
        for (std::uint64_t i = 0;
             std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1300); ++i) {
            progress.update(50, 200);
        }
    }
    const std::string text = terminal.str();
    EXPECT_TRUE(contains(text, "\rreading a.txt: 25%")) << "case: the line";
    EXPECT_EQ(text.back(), '\r') << "case: erased at the end";
}

}  // namespace
