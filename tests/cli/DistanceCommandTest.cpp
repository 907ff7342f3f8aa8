#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

using cli_test::run_kv3d;
using cli_test::write_file;
using nlohmann::json;

const char* const kElbow = "0 0 0\n2 0 0\n2 2 0\n";

json run_json(std::vector<std::string> args, const std::string& std_in = "") {
    args.push_back("--json");
    const auto r = run_kv3d(args, std_in);
    EXPECT_EQ(r.status, 0) << "case: " << args[1] << "; " << r.err;
    return r.status == 0 ? json::parse(r.out) : json();
}

TEST(DistanceCommand, PointToPolyline) {
    const json doc = run_json({"distance", "--point", "1,0.5,0", write_file("elbow.txt", kElbow)});
    EXPECT_EQ(doc.at("distance"), 0.5) << "case: point beside segment 0";
    EXPECT_EQ(doc.at("nearest").at("point"), json::parse("[1, 0, 0]"))
        << "case: point beside segment 0";
    EXPECT_EQ(doc.at("nearest").at("segment"), 0) << "case: point beside segment 0";
    EXPECT_EQ(doc.at("nearest").at("parameter"), 0.5) << "case: point beside segment 0";
    EXPECT_EQ(doc.at("nearest").at("vertices"), 3) << "case: point beside segment 0";

    const auto text = run_kv3d({"distance", "--point", " 3, 3 ,0", "-"}, kElbow);
    EXPECT_EQ(text.status, 0) << "case: text report";
    EXPECT_NE(text.out.find("kv3d distance: point (3, 3, 0) to <stdin>"), std::string::npos)
        << "case: text report title";
    EXPECT_NE(text.out.find("(2, 2, 0)"), std::string::npos) << "case: text report nearest";
}

TEST(DistanceCommand, RayToPolyline) {
    // The line y = -1 runs parallel to segment 0: measured at its midpoint.
    const json doc = run_json({"distance", "--ray", "7,-1,0,-2,0,0", "-"}, kElbow);
    EXPECT_EQ(doc.at("distance"), 1.0) << "case: parallel ray";
    EXPECT_EQ(doc.at("nearest").at("parameter"), 0.5) << "case: parallel ray";
    EXPECT_EQ(doc.at("ray_direction"), json::parse("[-1, 0, 0]")) << "case: direction normalised";
    EXPECT_EQ(doc.at("on_ray").at("point"), json::parse("[1, -1, 0]")) << "case: parallel ray";
    EXPECT_EQ(doc.at("on_ray").at("parameter"), 6.0) << "case: parallel ray";
}

TEST(DistanceCommand, PolylineToPolyline) {
    const std::string elbow = write_file("elbow.txt", kElbow);
    const json doc = run_json({"distance", "-", elbow}, "1 1 -1\n1 1 1\n");
    EXPECT_EQ(doc.at("distance"), 1.0) << "case: crossing above";
    EXPECT_EQ(doc.at("first").at("point"), json::parse("[1, 1, 0]")) << "case: crossing above";
    EXPECT_EQ(doc.at("first").at("parameter"), 0.5) << "case: crossing above";
    EXPECT_EQ(doc.at("second").at("point"), json::parse("[1, 0, 0]")) << "case: crossing above";
    EXPECT_EQ(doc.at("second").at("segment"), 0) << "case: crossing above";

    const json demo = run_json({"demo"});
    EXPECT_EQ(demo.at("polyline_distance").at("ray_parameter"), 0.5) << "case: demo";
}

// One line on standard error, status 2, nothing on standard output.
TEST(DistanceCommand, RefusesBadInputWithOneLine) {
    const std::string elbow = write_file("elbow.txt", kElbow);
    const std::string empty = write_file("empty.txt", "# no vertices\n");
    const std::string bad = write_file("bad.txt", "0 0 0\n1 1\n");
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string std_in;
        std::string err;
    } cases[] = {
        {"no polyline", {"distance"}, "", ""},
        {"one polyline alone",
         {"distance", elbow},
         "",
         "kv3d: two polyline files needed, or one with --point or --ray\n"},
        {"three polylines",
         {"distance", elbow, elbow, elbow},
         "",
         "kv3d: two polyline files needed, or one with --point or --ray\n"},
        {"point and two polylines",
         {"distance", "--point", "1,2,3", elbow, elbow},
         "",
         "kv3d: one polyline file needed after --point or --ray\n"},
        {"point and ray",
         {"distance", "--point", "1,2,3", "--ray", "0,0,0,1,0,0", elbow},
         "",
         "kv3d: give --point or --ray, not both\n"},
        {"point of two numbers",
         {"distance", "--point", "1,2", elbow},
         "",
         "kv3d: --point: expected X,Y,Z, three finite numbers separated by commas\n"},
        {"point not a number",
         {"distance", "--point", "1,2,x", elbow},
         "",
         "kv3d: --point: expected X,Y,Z, three finite numbers separated by commas\n"},
        {"point not finite",
         {"distance", "--point", "1,2,inf", elbow},
         "",
         "kv3d: --point: expected X,Y,Z, three finite numbers separated by commas\n"},
        {"empty point", {"distance", "--point", "", elbow}, "", ""},
        {"ray of five numbers",
         {"distance", "--ray", "0,0,0,1,0", elbow},
         "",
         "kv3d: --ray: expected PX,PY,PZ,DX,DY,DZ, six finite numbers separated by commas\n"},
        {"ray without direction",
         {"distance", "--ray", "0,0,0,0,0,0", elbow},
         "",
         "kv3d: --ray: the zero vector has no direction\n"},
        {"both from standard input",
         {"distance", "-", "-"},
         "",
         "kv3d: standard input ('-') can feed only one of the two files\n"},
        {"empty polyline",
         {"distance", "--point", "0,0,0", empty},
         "",
         "kv3d: " + empty + ": 0 points, at least 1 needed\n"},
        {"bad line",
         {"distance", elbow, bad},
         "",
         "kv3d: " + bad + ":2: expected three finite numbers, found 2\n"},
        {"missing file", {"distance", elbow, "/nonexistent/poly.txt"}, "", ""},
        {"unknown option", {"distance", "--plane", "0,0,0", elbow}, "", ""},
    };
    for (const auto& c : cases) {
        const auto r = run_kv3d(c.args, c.std_in);
        EXPECT_EQ(r.status, 2) << "case: " << c.name;
        EXPECT_EQ(r.out, "") << "case: " << c.name;
        EXPECT_EQ(r.err.rfind("kv3d: ", 0), 0u) << "case: " << c.name << "; " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "case: " << c.name << "; " << r.err;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err) << "case: " << c.name;
        }
    }
}

}  // namespace
