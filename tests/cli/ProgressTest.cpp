#include <chrono>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "Progress.h"

namespace {

// Work done within the first second leaves the terminal untouched; longer
// work shows a line, redrawn in place and erased at the end. Without a
// terminal there is nothing to write to.
TEST(Progress, ShowsOnlyLongWorkAndErasesItsLine) {
    std::ostringstream short_work, long_work;
    for (std::ostringstream* terminal : {&short_work, &long_work}) {
        kv3dcli::Progress progress(terminal, "reading a.txt");
        const auto start = std::chrono::steady_clock::now();
        const auto length = std::chrono::milliseconds(terminal == &long_work ? 1300 : 0);
        for (int i = 0; i < 100000 || std::chrono::steady_clock::now() - start < length; ++i) {
            progress.update(50, 200);
        }
    }
    EXPECT_EQ(short_work.str(), "") << "case: short work";
    EXPECT_NE(long_work.str().find("\rreading a.txt: 25%"), std::string::npos) << "case: the line";
    EXPECT_EQ(long_work.str().rfind('\r') + 1, long_work.str().size()) << "case: erased at the end";
    kv3dcli::Progress(nullptr, "reading").update(1, 2);
}

}  // namespace
