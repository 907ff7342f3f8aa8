#include <nlohmann/json.hpp>

#include "CliTestSupport.h"

// Every subcommand's reports and picture. In JSON: the keys the README
// documents, in order, nested ones as "section.key", each with the kind of its
// value, and the values of a worked case. In text: a telling line. The
// picture of --svg renders (rsvg-convert proves it well-formed SVG), is the
// same every run, and leaves the report as it was.

namespace {

using cli_test::binary_stl;
using cli_test::render;
using cli_test::run_kv3d;
using cli_test::write_file;
using Json = nlohmann::ordered_json;

// "n" number (null when not finite), "i" count, "s" text, "b" true/false,
// "p" [x, y, z], "m" four rows of four, "l" list.
std::string kind(const Json& v) {
    if (!v.is_array()) {
        return v.is_number_unsigned() ? "i" : v.is_string() ? "s" : v.is_boolean() ? "b" : "n";
    }
    const bool matrix = v.size() == 4 && v[0].is_array() && v[0].size() == 4;
    return v.size() == 3 && v[0].is_number() ? "p" : matrix ? "m" : "l";
}

// "key:kind" for every entry, depth first, in the order of the document.
void flatten(const Json& object, const std::string& prefix, std::vector<std::string>& keys) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it->is_object()) {
            flatten(*it, prefix + it.key() + ".", keys);
        } else {
            keys.push_back(prefix + it.key() + ":" + kind(*it));
        }
    }
}

// Every value of expected is in actual at the same place, numbers within tol,
// and every list holding one is as long.
void expect_within(const Json& actual, const Json& expected, double tol, const std::string& name) {
    const Json flat = expected.flatten();
    for (const auto& [path, want] : flat.items()) {
        const Json::json_pointer at(path), up = at.parent_pointer();
        ASSERT_TRUE(actual.contains(at)) << "case: " << name << " at " << path;
        if (actual.at(up).is_array()) {
            EXPECT_EQ(actual.at(up).size(), expected.at(up).size())
                << "case: " << name << " at " << path;
        }
        if (want.is_number()) {
            const Json& got = actual.at(at);
            EXPECT_NEAR(got.is_number() ? got.get<double>() : NAN, want.get<double>(), tol)
                << "case: " << name << " at " << path;
        } else {
            EXPECT_EQ(actual.at(at), want) << "case: " << name << " at " << path;
        }
    }
}

const char* const kElbow = "0 0 0\n2 0 0\n2 2 0\n";
// A quarter turn about z, then a shift by (5, 0, 2): (x, y, z) -> (5 - y, x, z + 2).
const std::string kTurned = "0 0 0 5 0 2\n2 0 0 5 2 2\n0 1 0 4 0 2\n0 0 3 5 0 5\n";
const std::string kTurn = R"([[0, -1, 0, 5], [1, 0, 0, 0], [0, 0, 1, 2], [0, 0, 0, 1]])";
const char* const kWide = "0 0 0\n999.9979840000001 0.1 3\n";

TEST(Reports, TextJsonAndPictureOfEachSubcommand) {
    ASSERT_EQ(std::system("rsvg-convert --version >/dev/null 2>&1"), 0)
        << "rsvg-convert is missing: run scripts/setup.sh";
    const cli_test::InScratch here;
    write_file("huge.txt", "1e308 1e308 1e308\n-1e308 -1e308 -1e308\n0 0 1\n");
    write_file("a-far-triangle-that-meets-nothing-and-whose-name-is-long.txt",
               "9 9 9 10 9 9 9 10 9\n");
    write_file("elbow.txt", kElbow);
    write_file("w.txt", "1\n-1\n2\n1\n1\n1\n0  # the outlier\n");
    write_file("p.txt", "# source -> target\n0 0 0  1 1 1\n1,0,0, 1,3,1\n");
    write_file("rw.txt", "1\n1\n# a comment\n1\n1\n0\n");
    write_file("one.txt", "1 0 0\n");
    std::string many;
    for (int i = 0; i < 200000; ++i) {
        many += std::to_string(i % 97) + " " + std::to_string(i % 89) + " " +
                std::to_string(i % 83) + "\n";
    }
    write_file("many.txt", many);
    // The extension misleads on purpose: the content decides.
    write_file("a.txt",
               binary_stl({{0, 0, 0, 2, 0, 0, 0, 2, 0}, {5, 5, 5, 6, 5, 5, 5, 6, 5}}, "solid"));
    const std::string stl_b = binary_stl({{9, 9, 9, 10, 9, 9, 9, 10, 9},
                                          {0.5f, 0.5f, -1, 0.5f, 0.5f, 1, 1, 0.2f, 0},
                                          {5.2f, 5.2f, 4, 5.2f, 5.2f, 6, 5.5f, 5.1f, 5}});
    const std::string fitted = " matrix:m orthonormal:b orientation_preserving:b ";
    const struct {
        std::string command;  // as typed after kv3d; names the case
        std::string std_in{};
        std::string text{};     // a part of the text report; none: not checked
        std::string keys{};     // of the JSON report after command and version; none: not checked
        std::string values{};   // a part of the JSON report; none: not run
        double tol = 1e-13;     // of the numbers among values (0: exact)
        std::string picture{};  // a part of the picture
    } cases[] = {
        {"--help", "", "'#' starts a comment"},
        // Pictures of special cases: beyond the double range, a plane fitted to
        // points on a line, a hyperbola, a line, a point on the polyline, no
        // clash (and a legend of two rows), residuals all 0.
        {"fit-plane huge.txt"},
        {"distance --point 1e308,0,0 huge.txt"},
        {"fit-plane -", "0 0 0\n1 1 0\n2 2 0\n3 3 0\n4 4 0\n"},
        {"fit-conic -", "1 1 0\n2 0.5 0\n4 0.25 0\n-1 -1 0\n-2 -0.5 0\n"},
        {"fit-conic -", "1 1 1\n2 3 1\n3 5 1\n5 9 1\n8 15 1\n"},
        {"distance --point 2,0,0 elbow.txt"},
        {"clash a.txt a-far-triangle-that-meets-nothing-and-whose-name-is-long.txt"},
        {"transform --type affine -", "0 0 0 1 2 3\n1 0 0 2 2 3\n0 1 0 1 3 3\n0 0 1 1 2 4.01\n"},
        // Large inputs are drawn in part and say so.
        {"fit-plane many.txt", "", "", "", "", 0, "every 50th of 200000 points drawn (4000)"},
        {"bounds -", "1 2 3\n-1 5 0\n0 0 9000\n", "(-0.4999999999, 2.5, 4500.000001)",
         "points:i box.min:p box.max:p box.size:p box.center:p sphere.center:p sphere.radius:n "
         "sphere.box_sphere_radius:n out_of_range:i",
         R"({"points": 3, "box": {"min": [-1, 0, 0], "max": [1, 5, 9000]}, "out_of_range": 1,
             "sphere": {"radius": 4500.000723722164, "box_sphere_radius": 4500.000807055484}})",
         0},
        {"bounds - --digits 3", kWide, "(1e+03, 0.1, 3)", "",
         R"({"box": {"max": [999.9979840000001, 0.1, 3]}})", 0},
        // Weights are squared; the outlier of weight 0 is still measured.
        {"fit-plane - --weights w.txt", "0 0 5\n4 0 7\n4 3 7\n0 3 5\n2 1.5 6\n-2 1 4\n0 0 100\n",
         "base point (centre of gravity)",
         "points:i weights:s base_point:p normal:p u_axis:p v_axis:p rms_distance:n max_distance:n",
         R"({"points": 7, "normal": [-0.4472135954999579, 0, 0.8944271909999159],
             "rms_distance": 32.11586167968363})"},
        {"fit-conic -", "2 0 3\n0 1 3\n-2 0 3\n0 -1 3\n1.4142135623730951 0.7071067811865476 3\n",
         "",
         "points:i tangents:i type:s equation:s a:n b:n placement.origin:p placement.x_axis:p "
         "placement.y_axis:p placement.normal:p placement.matrix:m max_distance:n",
         R"({"type": "ellipse", "a": 2, "b": 1, "placement": {"origin": [0, 0, 3]}})"},
        // Blanks around the numbers of an option are skipped.
        {"fit-conic - --first-tangent 1,-2,0 --last-tangent \t1,\t2\t,0", "-1 1 0\n0 0 0\n1 1 0\n",
         "", "", R"({"tangents": 2, "type": "parabola", "placement": {"origin": [0, 0, 0]}})"},
        {"fit-conic -", "0 0 0\n1 0 0\n2 0 0\n3 0 0\n1 1 0\n", "", "points:i tangents:i type:s",
         R"({"type": "none"})"},
        {"distance --point 1,0.5,0 elbow.txt", "", "point to elbow.txt",
         "point:p distance:n nearest.vertices:i nearest.point:p nearest.segment:i "
         "nearest.parameter:n",
         R"({"distance": 0.5, "nearest": {"point": [1, 0, 0], "segment": 0, "parameter": 0.5}})"},
        // The line y = -1 runs parallel to segment 0: measured at its midpoint.
        {"distance --ray 7,-1,0,-2,0,0 -", kElbow, "parameter (distance from the origin)    6",
         "ray_point:p ray_direction:p distance:n nearest.vertices:i nearest.point:p "
         "nearest.segment:i nearest.parameter:n on_ray.point:p on_ray.parameter:n",
         R"({"distance": 1, "nearest": {"parameter": 0.5}, "on_ray": {"point": [1, -1, 0]}})"},
        {"distance - elbow.txt", "1 1 -1\n1 1 1\n", "",
         "distance:n first.vertices:i first.point:p first.segment:i first.parameter:n "
         "second.vertices:i second.point:p second.segment:i second.parameter:n",
         R"({"distance": 1, "first": {"point": [1, 1, 0], "parameter": 0.5},
             "second": {"point": [1, 0, 0], "segment": 0, "parameter": 0.5}})"},
        {"clash a.txt - --threads 3", stl_b, "\n  0  1\n  1  2\n",
         "a.file:s a.format:s a.triangles:i a.degenerate:i b.file:s b.format:s b.triangles:i "
         "b.degenerate:i tolerance:n candidates:i count:i pairs:l",
         R"({"a": {"format": "binary STL", "triangles": 2}, "b": {"triangles": 3}, "count": 2})"},
        {"transform p.txt --apply -", "1 0 0\n", "[  0  -1  0  1 ]",
         "type:s pairs:i pairs_used:i" + fitted + "residuals:l max_residual:n apply:s points:l",
         R"({"type": "rigid", "residuals": [0, 1], "points": [[1, 2, 1]]})"},
        // Four pairs fix an affine map; a fifth is only measured.
        {"transform --type affine -",
         "0 0 0 0 0 0\n1 0 0 1 0 0\n0 1 0 0 3 0\n0 0 1 1 0 1\n9 9 9 0 0 0\n", "", "",
         R"({"pairs_used": 4, "matrix": [[1, 0, 1, 0], [0, 3, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1]],
             "residuals": [0, 0, 0, 0, 33.67491648096547]})"},
        {"register -", kTurned + "1 1 1 4 1 3\n", "\nRMS residual ",
         "type:s pairs:i" + fitted + "rms:n residuals:l max_residual:n",
         R"({"type": "rigid", "pairs": 5, "rms": 0, "max_residual": 0, "matrix": )" + kTurn + "}"},
        {"register - --weights rw.txt", kTurned + "1 1 1 9 9 9\n", "",
         "type:s pairs:i weights:s" + fitted + "rms:n residuals:l max_residual:n",
         R"({"rms": 0, "residuals": [0, 0, 0, 0, 11.180339887498949], "matrix": )" + kTurn + "}"},
        // The turned pairs with every target doubled about the origin.
        {"register --type similarity - --apply one.txt",
         "0 0 0 10 0 4\n2 0 0 10 4 4\n0 1 0 8 0 4\n0 0 3 10 0 10\n", "",
         "type:s pairs:i" + fitted + "scale:n rms:n residuals:l max_residual:n apply:s points:l",
         R"({"scale": 2, "points": [[10, 2, 4]]})"},
        {"demo", "", "Kv3dPoint( 1.5, -2, 8000)", "", R"({"clash": {"count": 4}})"},
    };
    for (const auto& c : cases) {
        const bool binary = c.std_in.find('\0') != std::string::npos;
        const std::string name = c.command + " <<< " + (binary ? "binary STL" : c.std_in);
        std::vector<std::string> args = cli_test::words(c.command);
        const auto text = run_kv3d(args, c.std_in);
        ASSERT_EQ(text.status, 0) << "case: " << name << ": " << text.err;
        EXPECT_TRUE(cli_test::contains(text.out, c.text)) << "case: " << name;
        if (c.command != "--help" && c.command != "demo") {  // with --svg
            std::vector<std::string> drawn = args;
            drawn.insert(drawn.end(), {"--svg", "pic.svg"});
            EXPECT_EQ(run_kv3d(drawn, c.std_in).out, text.out) << "case: " << name << " --svg";
            const std::string picture = cli_test::read_file("pic.svg");
            EXPECT_EQ(render("pic.svg"), 0)
                << "case: " << name << ": " << cli_test::read_file("pic.svg.log");
            EXPECT_TRUE(cli_test::contains(picture, c.picture)) << "case: " << name;
            // Three views of at most 4000 points each, and a few marks.
            EXPECT_LE(cli_test::count(picture, "<circle"), 3u * 4000u + 20u) << "case: " << name;
            // The picture has a height.
            const std::string root = picture.substr(0, picture.find('>', picture.find("<svg")));
            EXPECT_FALSE(cli_test::contains(root, "height=\"0\"")) << "case: " << name;
            run_kv3d(drawn, c.std_in);
            EXPECT_EQ(cli_test::read_file("pic.svg"), picture)
                << "case: " << name << " --svg again";
        }
        if (c.values.empty()) {
            continue;
        }
        args.push_back("--json");
        const auto run = run_kv3d(args, c.std_in);
        ASSERT_EQ(run.status, 0) << "case: " << name << " --json: " << run.err;
        const Json report = Json::parse(run.out);
        if (!c.keys.empty()) {
            std::vector<std::string> keys;
            flatten(report, "", keys);
            EXPECT_EQ(keys, cli_test::words("command:s version:s " + c.keys)) << "case: " << name;
        }
        expect_within(report, Json{{"command", args[0]}, {"version", KV3D_VERSION}}, 0, name);
        expect_within(report, Json::parse(c.values), c.tol, name);
    }
    // The demo draws one picture of each command that draws.
    ASSERT_EQ(run_kv3d({"demo", "--svg-dir", "demo-pictures/made"}).status, 0) << "case: demo";
    for (const char* name : {"bounds", "fit-plane", "fit-conic", "distance", "register", "clash"}) {
        const std::string svg = "demo-pictures/made/" + std::string(name) + ".svg";
        EXPECT_EQ(render(svg), 0) << "case: demo " << name << ": "
                                  << cli_test::read_file(svg + ".log");
    }
}

}  // namespace
