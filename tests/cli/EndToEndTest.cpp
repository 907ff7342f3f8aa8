#include <sys/wait.h>

#include <iterator>
#include <map>

#include "CliTestSupport.h"

// The built kv3d binary on bad input: exit status 2, one line on standard
// error naming the file and line where there is one, nothing on standard
// output, and every file as it was. On good input: status 0, and only the
// picture named written.

namespace {

namespace fs = std::filesystem;
using cli_test::read_file;

const fs::path kDir = cli_test::scratch_dir() / "e2e";

// Runs `kv3d ARGUMENTS` through the shell in kDir, standard input from std_in;
// the streams pass through files beside kDir.
cli_test::CliResult run_binary(const std::string& arguments, const std::string& std_in = "") {
    std::ofstream(kDir / "../stdin.in", std::ios::binary) << std_in;
    const std::string command = "cd '" + kDir.string() + "' && '" KV3D_CLI_BINARY "' " + arguments +
                                " <../stdin.in >../stdout.out 2>../stderr.out";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(kDir / "../stdout.out"),
            read_file(kDir / "../stderr.out")};
}

TEST(EndToEnd, ExitStatusOutputAndFilesOnBadAndGoodInput) {
    fs::create_directories(kDir / "a-directory");
    const std::map<std::string, std::string> files = {
        {"points.txt", "0 0 0\n1 2 3\n4 5 6\n"},
        {"five.txt", "0 0 0\n1 0 0\n0 1 0\n1 1 1\n2 0 1\n"},
        {"two.txt", "0 0 0\n1 2\n"},
        {"four-points.txt", "0 0 0\n1 0 0\n0 1 0\n1 1 1\n"},
        {"pair.txt", "0 0 0 1 1 1\n"},
        {"five-pairs.txt", "0 0 0 5 0 2\n2 0 0 5 2 2\n0 1 0 4 0 2\n0 0 3 5 0 5\n1 1 1 4 1 3\n"},
        {"collinear.txt", "0 0 0 1 1 1\n1 0 0 2 1 1\n2 0 0 3 1 1\n"},
        {"line.txt", "0 0 0 1 1 1\n1 1 1 2 2 2\n2 2 2 3 3 5\n"},
        {"flat.txt", "0 0 0 1 1 1\n1 0 0 2 2 2\n0 1 0 3 3 3\n1 1 0 5 5 5\n"},
        {"triangle.txt", "0 0 0 1 0 0 0 1 0\n"},
        {"long.txt", "1 2 3\n" + std::string(1 << 20, ' ') + " \n"},
        {"picture.svg", "<svg>the user's own picture</svg>"},
    };
    for (const auto& [name, content] : files) {
        std::ofstream(kDir / name, std::ios::binary) << content;
    }
    const std::string stdin_once = "standard input ('-') can feed only one of the two files";
    const std::string xyz = "expected X,Y,Z, three finite numbers separated by commas";
    const std::string polylines = "two polyline files needed, or one with --point or --ray";
    const std::string conic =
        "; a conic needs five points or more, four and one tangent, or three and both tangents";
    const struct {
        std::string command;  // as typed after kv3d, names the case
        std::string std_in;
        std::string err;  // a part of standard error's one line
    } cases[] = {
        // The command line itself.
        {"", "", "kv3d: "},
        {"bogus", "", "unknown command 'bogus'"},
        {"clash triangle.txt", "", "B is required"},
        {"bounds points.txt --digits 0", "", "--digits"},
        {"bounds points.txt --digits 18", "", "--digits"},
        {"transform points.txt --type bent", "", "--type"},
        {"clash - triangle.txt --threads -1", "0 0 0 1 0 0 0 1 0\n",
         "kv3d: --threads: Value -1 not in range 0 to 1024 (see kv3d --help)\n"},
        // Files and standard input.
        {"bounds missing.txt", "", "missing.txt: cannot open: No such file or directory"},
        {"bounds a-directory", "", "a-directory: cannot read: Is a directory"},
        {"bounds -", "", "kv3d: <stdin>: 0 points, at least 1 needed\n"},
        {"bounds long.txt", "", "kv3d: long.txt:2: line longer than 1048576 bytes\n"},
        {"bounds two.txt", "", "two.txt:2: expected three finite numbers, found 2"},
        {"fit-plane -", "0 0 0\n1 2 3\n1 2 3 4\n", ":3: expected three finite numbers, found 4"},
        {"bounds --json -", "0 0 0\n1 two 3\n", ":2: expected three finite numbers, 'two' is not"},
        {"bounds -", "1 -inf 2\n",
         "<stdin>:1: expected three finite numbers, '-inf' is not finite"},
        {"bounds -", "1 2 3abc\n", "<stdin>:1: expected three finite numbers, '3abc' is not a"},
        {"bounds -", "1 2 3456789012345678901234567890x\n", " '345678901234567890123456...' "},
        {"bounds -", "1,,2,3\n", "<stdin>:1: expected three finite numbers, empty field between"},
        {"bounds -", "1,2,3,\n", "<stdin>:1: expected three finite numbers, empty field between"},
        {"clash - pair.txt", "# nothing\n", "kv3d: <stdin>: 0 triangles, at least 1 needed\n"},
        {"clash - pair.txt", "0 0 0 1 0 0 0 1 0\n", "pair.txt:1: "},
        {"clash - -", "", stdin_once},
        // transform and register
        {"transform collinear.txt", "", "collinear.txt: the points of the pairs used are coincid"},
        {"transform -", "1 0 0 2 1\n", "kv3d: <stdin>:1: expected six finite numbers, found 5\n"},
        {"register line.txt --type similarity", "", "source points lie on one line or nearly so"},
        {"register flat.txt --type affine", "", "source points lie in one plane or nearly so"},
        {"register -", "0 0 0 1 1 1\n1 0 0 2 1 1\n", "<stdin>: 2 point pairs, at least 3 needed\n"},
        {"register five-pairs.txt --weights -", "1\n1\n1\n1\n", "<stdin>: 4 weights for 5 point"},
        {"register five-pairs.txt --weights -", "1\n1\n\n-1\n1\n1\n", ":4: weight -1 is neg"},
        {"register five-pairs.txt --weights -", "0\n0\n0\n1\n1\n", "2 pairs of positive weight"},
        // fit-plane and fit-conic
        {"fit-plane -", "0 0 0\n1 1 1\n", "kv3d: <stdin>: 2 points, at least 3 needed\n"},
        {"fit-plane five.txt --weights -", "1\n2\n", "<stdin>: 2 weights for 5 points\n"},
        {"fit-plane five.txt --weights -", "0\n0\n-0\n1e-200\n0\n", "every weight is 0 (or its"},
        {"fit-conic four-points.txt", "", "four-points.txt: 4 points and 0 tangents" + conic},
        {"fit-conic five.txt --last-tangent 1,0,0", "", "five.txt: 5 points and 1 tangent" + conic},
        {"fit-conic five.txt --last-tangent 1,2,inf", "", "--last-tangent"},
        {"fit-conic five.txt --last-tangent 0,0,0", "", "--last-tangent: the zero vector has no"},
        // distance
        {"distance points.txt", "", polylines},
        {"distance --point 1,2,3 points.txt points.txt", "", "one polyline file needed after"},
        {"distance --point 1,2,3 --ray 0,0,0,1,0,0 points.txt", "", "give --point or --ray, not"},
        {"distance --point 1,2 points.txt", "", "kv3d: --point: " + xyz + "\n"},
        {"distance --ray 0,0,0,1,0 points.txt", "", "--ray: expected PX,PY,PZ,DX,DY,DZ, six"},
        {"distance --ray 0,0,0,0,0,0 points.txt", "", "--ray: the zero vector has no direction\n"},
        // --svg: written only on success, never over an input or to standard output
        {"bounds two.txt --svg picture.svg", "", "two.txt:2: "},
        {"fit-conic four-points.txt --svg picture.svg", "", "four-points.txt: "},
        {"bounds points.txt --svg points.txt", "", "--svg"},
        {"bounds points.txt --svg no-such-dir/x.svg", "", "no-such-dir/x.svg: cannot write"},
        {"bounds points.txt --svg -", "", "--svg"},
        {"demo --svg-dir picture.svg", "", "picture.svg"},
    };
    for (const auto& c : cases) {
        const std::string name = c.command + (c.std_in.empty() ? "" : " <<< " + c.std_in);
        const auto r = run_binary(c.command, c.std_in);
        EXPECT_EQ(r.status, 2) << "case: " << name << ": " << r.err;
        EXPECT_EQ(r.out, "") << "case: " << name;
        EXPECT_EQ(r.err.rfind("kv3d: ", 0), 0u) << "case: " << name << ": " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "case: " << name << ": " << r.err;
        EXPECT_TRUE(cli_test::contains(r.err, c.err)) << "case: " << name;
        for (const auto& [file, content] : files) {
            EXPECT_EQ(read_file(kDir / file), content) << "case: " << name << ", " << file;
        }
        const auto entries = std::distance(fs::directory_iterator(kDir), fs::directory_iterator());
        EXPECT_EQ(entries, static_cast<long>(files.size()) + 1)
            << "case: " << name << ", a new file";
    }
    const auto r = run_binary("bounds points.txt --svg picture.svg");
    EXPECT_EQ(r.status, 0) << "case: bounds with --svg: " << r.err;
    EXPECT_EQ(r.err, "") << "case: bounds with --svg";
    EXPECT_EQ(read_file(kDir / "picture.svg").rfind("<?xml", 0), 0u) << "case: picture replaced";
    EXPECT_EQ(run_binary("--version").out, "kv3d " KV3D_VERSION "\n") << "case: --version";
}

}  // namespace
