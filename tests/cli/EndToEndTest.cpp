#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"

// The built kv3d binary on bad input: exit status 2, one line on standard
// error naming the file and line where there is one, nothing on standard
// output, and every file as it was.

namespace {

namespace fs = std::filesystem;
using cli_test::read_file;
using cli_test::write_file;

std::string quoted(const std::string& word) {
    std::string q = "'";
    for (char c : word) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

struct BinaryRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the binary in dir with the arguments, standard input from std_in.
BinaryRun run_binary(const fs::path& dir, const std::vector<std::string>& args,
                     const std::string& std_in) {
    std::ofstream(dir / "stdin.in", std::ios::binary) << std_in;
    std::string command = "cd " + quoted(dir.string()) + " && " + quoted(KV3D_CLI_BINARY);
    for (const std::string& a : args) {
        command += " " + quoted(a);
    }
    command += " <stdin.in >stdout.out 2>stderr.out";
    const int raw = std::system(command.c_str());
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const BinaryRun run{status, read_file(dir / "stdout.out"), read_file(dir / "stderr.out")};
    for (const char* name : {"stdin.in", "stdout.out", "stderr.out"}) {
        fs::remove(dir / name);
    }
    return run;
}

// The name and content of every file in dir.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[entry.path().filename().string()] = read_file(entry.path());
        }
    }
    return files;
}

std::string binary_stl_cut_short() {
    std::string stl =
        cli_test::binary_stl({{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1, 1, 0, 1, 0, 1, 1}});
    stl.resize(stl.size() - 30);
    return stl;
}

TEST(EndToEnd, BadInputExitsWithStatusTwoAndOneLineAndTouchesNoFile) {
    const fs::path dir = fs::path(write_file("e2e-marker", "")).parent_path() / "e2e";
    fs::create_directories(dir / "a-directory");
    const std::map<std::string, std::string> files = {
        {"points.txt", "0 0 0\n1 2 3\n4 5 6\n"},
        {"empty.txt", ""},
        {"two.txt", "0 0 0\n1 2\n"},
        {"four.txt", "0 0 0\n1 2 3\n1 2 3 4\n"},
        {"word.txt", "0 0 0\n1 two 3\n"},
        {"nan.txt", "0 0 0\nnan 1 2\n"},
        {"inf.txt", "0 0 0\n1 -inf 2\n"},
        {"four-points.txt", "0 0 0\n1 0 0\n0 1 0\n1 1 1\n"},
        {"two-points.txt", "0 0 0\n1 0 0\n"},
        {"pairs.txt", "0 0 0 1 1 1\n1 0 0 2 1 1\n0 1 0 1 2 1\n"},
        {"short.stl", binary_stl_cut_short()},
        {"triangle.txt", "0 0 0 1 0 0 0 1 0\n"},
        {"picture.svg", "<svg>the user's own picture</svg>"},
    };
    for (const auto& [name, content] : files) {
        std::ofstream(dir / name, std::ios::binary) << content;
    }
    const std::string svg = "picture.svg";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string std_in;
        std::string err;  // what standard error's one line holds
    } cases[] = {
        {"missing file", {"bounds", "missing.txt"}, "", "missing.txt: cannot open"},
        {"directory", {"bounds", "a-directory"}, "", "a-directory: cannot read"},
        {"empty file", {"bounds", "empty.txt"}, "", "empty.txt: 0 points"},
        {"empty standard input", {"fit-plane", "-"}, "", "0 points"},
        {"two numbers", {"bounds", "two.txt"}, "", "two.txt:2: "},
        {"four numbers", {"fit-plane", "four.txt"}, "", "four.txt:3: "},
        {"not a number", {"fit-conic", "word.txt"}, "", "word.txt:2: "},
        {"nan", {"distance", "--point", "0,0,0", "nan.txt"}, "", "nan.txt:2: "},
        {"inf", {"bounds", "inf.txt"}, "", "inf.txt:2: "},
        {"bad line on standard input", {"bounds", "-"}, "1 2 3\n4 5\n", ":2: "},
        {"truncated binary STL", {"clash", "short.stl", "triangle.txt"}, "", "short.stl: "},
        {"too few points for a conic", {"fit-conic", "four-points.txt"}, "", "four-points.txt: "},
        {"too few points for a plane", {"fit-plane", "two-points.txt"}, "", "two-points.txt: "},
        {"point file as pairs", {"register", "points.txt"}, "", "points.txt:1: "},
        {"--point with --ray",
         {"distance", "--point", "1,2,3", "--ray", "0,0,0,1,0,0", "points.txt"},
         "",
         "--point"},
        {"unknown option", {"bounds", "--bogus", "points.txt"}, "", "--bogus"},
        {"extra argument", {"bounds", "points.txt", "more.txt"}, "", "more.txt"},
        {"missing argument", {"clash", "triangle.txt"}, "", "B is required"},
        {"unknown command", {"bogus"}, "", "bogus"},
        {"bad --type", {"transform", "pairs.txt", "--type", "bent"}, "", "--type"},
        {"bad --type for register", {"register", "pairs.txt", "--type", "bent"}, "", "--type"},
        {"two numbers for X,Y,Z", {"distance", "--point", "1,2", "points.txt"}, "", "--point"},
        {"word in X,Y,Z", {"distance", "--point", "1,y,2", "points.txt"}, "", "--point"},
        {"zero tangent", {"fit-conic", "--first-tangent", "0,0,0", "points.txt"}, "", "tangent"},
        {"five numbers for a ray", {"distance", "--ray", "0,0,0,1,0", "points.txt"}, "", "--ray"},
        {"--digits 0", {"bounds", "points.txt", "--digits", "0"}, "", "--digits"},
        {"--digits 18", {"bounds", "points.txt", "--digits", "18"}, "", "--digits"},
        {"--threads -1",
         {"clash", "triangle.txt", "triangle.txt", "--threads", "-1"},
         "",
         "--threads"},
        {"standard input twice", {"clash", "-", "-"}, "", "standard input"},
        {"failing command with --svg", {"bounds", "two.txt", "--svg", svg}, "", "two.txt:2: "},
        {"--svg over the input", {"bounds", "points.txt", "--svg", "points.txt"}, "", "--svg"},
        {"--svg into a directory",
         {"bounds", "points.txt", "--svg", "a-directory"},
         "",
         "a-directory"},
        {"--svg to standard output", {"bounds", "points.txt", "--svg", "-"}, "", "--svg"},
    };
    const auto before = snapshot(dir);
    for (const auto& c : cases) {
        const BinaryRun r = run_binary(dir, c.args, c.std_in);
        EXPECT_EQ(r.status, 2) << "case: " << c.name << ": " << r.err;
        EXPECT_EQ(r.out, "") << "case: " << c.name;
        EXPECT_EQ(r.err.rfind("kv3d: ", 0), 0u) << "case: " << c.name << ": " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "case: " << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << "case: " << c.name << ": " << r.err;
        EXPECT_EQ(snapshot(dir), before) << "case: " << c.name;
    }
}

TEST(EndToEnd, GoodInputExitsWithStatusZeroAndWritesOnlyTheNamedPicture) {
    const fs::path dir = fs::path(write_file("e2e-marker", "")).parent_path() / "e2e-good";
    fs::create_directories(dir);
    std::ofstream(dir / "points.txt") << "0 0 0\n1 2 3\n4 5 6\n";
    std::ofstream(dir / "picture.svg") << "old";
    const BinaryRun r = run_binary(dir, {"bounds", "points.txt", "--svg", "picture.svg"}, "");
    EXPECT_EQ(r.status, 0) << "case: bounds with --svg: " << r.err;
    EXPECT_EQ(r.err, "") << "case: bounds with --svg";
    EXPECT_NE(r.out.find("kv3d bounds: points.txt"), std::string::npos)
        << "case: bounds with --svg";
    EXPECT_EQ(read_file(dir / "picture.svg").rfind("<?xml", 0), 0u) << "case: picture replaced";
    EXPECT_EQ(read_file(dir / "points.txt"), "0 0 0\n1 2 3\n4 5 6\n") << "case: input kept";
    const BinaryRun version = run_binary(dir, {"--version"}, "");
    EXPECT_EQ(version.status, 0) << "case: --version";
    EXPECT_NE(version.out.find(KV3D_VERSION), std::string::npos) << "case: --version";
}

}  // namespace
