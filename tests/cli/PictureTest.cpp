#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"

// The pictures of --svg and of demo --svg-dir, rendered by rsvg-convert to
// prove that they are well-formed SVG.

namespace {

using cli_test::contains;
using cli_test::count;
using cli_test::read_file;
using cli_test::run_kv3d;
using cli_test::scratch_dir;
using cli_test::write_file;

// rsvg-convert's exit status on svg (0: rendered), its PNG written beside it.
int render(const std::string& svg) {
    const std::string command =
        "rsvg-convert -o '" + svg + ".png' '" + svg + "' 2>'" + svg + ".log'";
    return std::system(command.c_str());
}

bool have_renderer() { return std::system("rsvg-convert --version >/dev/null 2>&1") == 0; }

TEST(Picture, EveryCommandDrawsAPictureThatRendersTheSameEveryRun) {
    ASSERT_TRUE(have_renderer()) << "rsvg-convert is missing: run scripts/setup.sh";
    const cli_test::InScratch here;
    const std::pair<const char*, const char*> files[] = {
        {"points.txt", "0 0 0\n4 1 0\n2 3 1\n1 1 2\n3 2 0.5\n"},
        {"single.txt", "1 2 3\n"},
        {"huge.txt", "1e308 1e308 1e308\n-1e308 -1e308 -1e308\n0 0 1\n"},
        {"line.txt", "0 0 0\n1 1 0\n2 2 0\n3 3 0\n4 4 0\n"},
        {"ellipse.txt", "3 0 0\n0 2 0\n-3 0 0\n0 -2 0\n2.1213203435596424 1.414213562373095 0\n"},
        {"parabola.txt", "-2 4 1\n-1 1 1\n0 0 1\n1 1 1\n2 4 1\n3 9 1\n"},
        {"hyperbola.txt", "1 1 0\n2 0.5 0\n4 0.25 0\n-1 -1 0\n-2 -0.5 0\n"},
        {"pairs.txt", "0 0 0 1 2 3\n1 0 0 2 2 3\n0 1 0 1 3 3\n0 0 1 1 2 4.01\n"},
        {"mesh-a.txt", "0 0 0 2 0 0 0 2 0\n5 5 5 6 5 5 5 6 5\n"},
        {"mesh-b.txt", "0.5 0.5 -1 0.5 0.5 1 1 0.2 0\n"},
        {"far.txt", "9 9 9 10 9 9 9 10 9\n"},
    };
    for (const auto& [name, content] : files) {
        write_file(name, content);
    }
    const char* const commands[] = {
        "bounds points.txt",
        "bounds single.txt",
        "bounds huge.txt",  // beyond the double range, as the next two
        "fit-plane huge.txt",
        "distance --point 1e308,0,0 huge.txt",
        "fit-plane points.txt",
        "fit-plane line.txt",
        "fit-conic ellipse.txt",
        "fit-conic parabola.txt",
        "fit-conic hyperbola.txt",
        "fit-conic line.txt",  // no curve
        "distance --point 1,2,3 points.txt",
        "distance --point 4,1,0 points.txt",  // on the polyline
        "distance --ray 0,0,5,1,0,0 points.txt",
        "distance points.txt line.txt",
        "clash mesh-a.txt mesh-b.txt",
        "clash mesh-a.txt far.txt",  // no pairs
        "transform pairs.txt --type affine",
        "register pairs.txt --type similarity",
    };
    int n = 0;
    for (const char* command : commands) {
        std::vector<std::string> args = cli_test::words(command);
        const std::string svg = "pic" + std::to_string(n++) + ".svg";
        args.insert(args.end(), {"--svg", svg});
        const auto first = run_kv3d(args);
        ASSERT_EQ(first.status, 0) << "case: " << command << ": " << first.err;
        const std::string picture = read_file(svg);
        const std::size_t root = picture.find("<svg");
        const std::string root_tag = picture.substr(root, picture.find('>', root) - root);
        EXPECT_EQ(root_tag.find("height=\"0\""), std::string::npos) << "case: " << command;
        EXPECT_EQ(render(svg), 0) << "case: " << command << ": " << read_file(svg + ".log");
        EXPECT_EQ(run_kv3d(args).out, first.out) << "case: " << command;
        EXPECT_EQ(read_file(svg), picture) << "case: " << command << " (repeatable)";
        args.resize(args.size() - 2);
        EXPECT_EQ(run_kv3d(args).out, first.out) << "case: " << command << " (same report)";
    }
}

TEST(Picture, DemoDrawsOnePictureOfEachCommandThatDraws) {
    ASSERT_TRUE(have_renderer()) << "rsvg-convert is missing: run scripts/setup.sh";
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
