#include <cstdlib>
#include <filesystem>
#include <string>
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
    const std::string points =
        write_file("pic-points.txt", "0 0 0\n4 1 0\n2 3 1\n1 1 2\n3 2 0.5\n");
    const std::string one = write_file("pic-one.txt", "1 2 3\n");
    const std::string huge =
        write_file("pic-huge.txt", "1e308 1e308 1e308\n-1e308 -1e308 -1e308\n0 0 1\n");
    const std::string line = write_file("pic-line.txt", "0 0 0\n1 1 0\n2 2 0\n3 3 0\n4 4 0\n");
    const std::string ellipse =
        write_file("pic-ellipse.txt",
                   "3 0 0\n0 2 0\n-3 0 0\n0 -2 0\n2.1213203435596424 1.414213562373095 0\n");
    const std::string parabola =
        write_file("pic-parabola.txt", "-2 4 1\n-1 1 1\n0 0 1\n1 1 1\n2 4 1\n3 9 1\n");
    const std::string hyperbola =
        write_file("pic-hyperbola.txt", "1 1 0\n2 0.5 0\n4 0.25 0\n-1 -1 0\n-2 -0.5 0\n");
    const std::string pairs = write_file("pic-pairs.txt",
                                         "0 0 0 1 2 3\n1 0 0 2 2 3\n0 1 0 1 3 3\n"
                                         "0 0 1 1 2 4.01\n");
    const std::string a = write_file("pic-a.txt", "0 0 0 2 0 0 0 2 0\n5 5 5 6 5 5 5 6 5\n");
    const std::string b = write_file("pic-b.txt", "0.5 0.5 -1 0.5 0.5 1 1 0.2 0\n");
    const std::string far = write_file("pic-far.txt", "9 9 9 10 9 9 9 10 9\n");
    const struct {
        const char* name;
        std::vector<std::string> args;
    } cases[] = {
        {"bounds", {"bounds", points}},
        {"bounds of one point", {"bounds", one}},
        {"bounds beyond the double range", {"bounds", huge}},
        {"fit-plane", {"fit-plane", points}},
        {"fit-plane beyond the double range", {"fit-plane", huge}},
        {"distance beyond the double range", {"distance", "--point", "1e308,0,0", huge}},
        {"fit-plane of points on a line", {"fit-plane", line}},
        {"fit-conic ellipse", {"fit-conic", ellipse}},
        {"fit-conic parabola", {"fit-conic", parabola}},
        {"fit-conic hyperbola", {"fit-conic", hyperbola}},
        {"fit-conic without a curve", {"fit-conic", line}},
        {"distance from a point", {"distance", "--point", "1,2,3", points}},
        {"distance from a point on the polyline", {"distance", "--point", "4,1,0", points}},
        {"distance from a ray", {"distance", "--ray", "0,0,5,1,0,0", points}},
        {"distance between polylines", {"distance", points, line}},
        {"clash", {"clash", a, b}},
        {"clash without pairs", {"clash", a, far}},
        {"transform", {"transform", pairs, "--type", "affine"}},
        {"register", {"register", pairs, "--type", "similarity"}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string svg = (scratch_dir() / ("pic" + std::to_string(n++) + ".svg")).string();
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--svg", svg});
        const auto first = run_kv3d(args);
        ASSERT_EQ(first.status, 0) << "case: " << c.name << ": " << first.err;
        const std::string picture = read_file(svg);
        EXPECT_EQ(picture.rfind("<svg", 0) == 0 || picture.rfind("<?xml", 0) == 0, true)
            << "case: " << c.name;
        const std::size_t root = picture.find("<svg");
        const std::string root_tag = picture.substr(root, picture.find('>', root) - root);
        EXPECT_EQ(root_tag.find("height=\"0\""), std::string::npos) << "case: " << c.name;
        EXPECT_EQ(render(svg), 0) << "case: " << c.name << ": " << read_file(svg + ".log");
        EXPECT_EQ(run_kv3d(args).out, first.out) << "case: " << c.name;
        EXPECT_EQ(read_file(svg), picture) << "case: " << c.name << " (repeatable)";
        args.resize(c.args.size());
        EXPECT_EQ(run_kv3d(args).out, first.out) << "case: " << c.name << " (same report)";
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
