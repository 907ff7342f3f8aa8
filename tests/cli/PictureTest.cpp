#include "cli/CliTestSupport.h"

// The pictures of demo --svg-dir, and of large inputs. The picture of every
// command line in ReportTest.cpp is rendered there.

namespace {

using cli_test::contains;
using cli_test::count;
using cli_test::read_file;
using cli_test::render;
using cli_test::run_kv3d;
using cli_test::scratch_dir;
using cli_test::write_file;

TEST(Picture, DemoDrawsOnePictureOfEachCommandThatDraws) {
    ASSERT_TRUE(cli_test::have_renderer()) << "rsvg-convert is missing: run scripts/setup.sh";
    const std::string dir = (scratch_dir() / "demo-pictures" / "made").string();
    const auto r = run_kv3d({"demo", "--svg-dir", dir});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"bounds", "fit-plane", "fit-conic", "distance", "register", "clash"}) {
        const std::string svg = dir + "/" + name + ".svg";
        ASSERT_TRUE(std::filesystem::exists(svg)) << "case: " << name;
        EXPECT_EQ(render(svg), 0) << "case: " << name << ": " << read_file(svg + ".log");
    }
}

TEST(Picture, LargeInputsAreSampledAndSaySo) {
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        text += std::to_string(i % 97) + " " + std::to_string(i % 89) + " " +
                std::to_string(i % 83) + "\n";
    }
    const std::string points = write_file("pic-many.txt", text);
    const std::string svg = (scratch_dir() / "pic-many.svg").string();
    for (const char* command : {"bounds", "fit-plane"}) {
        ASSERT_EQ(run_kv3d({command, points, "--svg", svg}).status, 0) << "case: " << command;
        const std::string picture = read_file(svg);
        // Three views of at most 4000 points each, and a few marks.
        EXPECT_LE(count(picture, "<circle"), 3u * 4000u + 20u) << "case: " << command;
        EXPECT_GE(count(picture, "<circle"), 3000u) << "case: " << command;
        EXPECT_TRUE(contains(picture, "every 5th of 20000 points drawn")) << "case: " << command;
    }
}

}  // namespace
