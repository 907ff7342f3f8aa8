#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/CliTestSupport.h"

// Every subcommand's --json report against the one table of keys the README
// documents: the keys in order, nested ones as "section.key", each with the
// kind of its value.

namespace {

using cli_test::run_kv3d;
using Json = nlohmann::ordered_json;
using cli_test::write_file;

// "n" number (null when not finite), "i" count, "s" text, "b" true/false,
// "p" [x, y, z], "m" four rows of four, "l" list, "o" object of sections.
std::string kind(const Json& v) {
    const bool point = v.is_array() && v.size() == 3 && v[0].is_number();
    const bool matrix = v.is_array() && v.size() == 4 && v[0].is_array() && v[0].size() == 4;
    return v.is_number_unsigned()         ? "i"
           : v.is_number() || v.is_null() ? "n"
           : v.is_string()                ? "s"
           : v.is_boolean()               ? "b"
           : point                        ? "p"
           : matrix                       ? "m"
           : v.is_array()                 ? "l"
                                          : "o";
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

TEST(JsonKeys, EverySubcommandWritesTheDocumentedKeys) {
    const std::string points = write_file("keys-points.txt", "0 0 0\n4 1 0\n2 3 1\n1 1 2\n3 2 0\n");
    const std::string weights = write_file("keys-weights.txt", "1\n1\n2\n1\n1\n");
    const std::string line = write_file("keys-line.txt", "0 0 0\n1 1 0\n2 2 0\n3 3 0\n4 4 0\n");
    const std::string weights4 = write_file("keys-weights4.txt", "1\n1\n2\n0.5\n");
    const std::string off_line = write_file("keys-off.txt", "0 0 0\n1 0 0\n2 0 0\n3 0 0\n1 1 0\n");
    const std::string pairs =
        write_file("keys-pairs.txt", "0 0 0 1 2 3\n1 0 0 2 2 3\n0 1 0 1 3 3\n0 0 1 1 2 4\n");
    const std::string a = write_file("keys-a.txt", "0 0 0 2 0 0 0 2 0\n");
    const std::string b = write_file("keys-b.txt", "0.5 0.5 -1 0.5 0.5 1 1 0.2 0\n");
    const std::vector<std::string> fitted = {"matrix:m", "orthonormal:b",
                                             "orientation_preserving:b"};
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> keys;
    } cases[] = {
        {"bounds",
         {"bounds", points},
         {"points:i", "box.min:p", "box.max:p", "box.size:p", "box.center:p", "sphere.center:p",
          "sphere.radius:n", "sphere.box_sphere_radius:n", "out_of_range:i"}},
        {"fit-plane",
         {"fit-plane", points, "--weights", weights},
         {"points:i", "weights:s", "base_point:p", "normal:p", "u_axis:p", "v_axis:p",
          "rms_distance:n", "max_distance:n"}},
        {"fit-conic",
         {"fit-conic", points},
         {"points:i", "tangents:i", "type:s", "equation:s", "a:n", "b:n", "placement.origin:p",
          "placement.x_axis:p", "placement.y_axis:p", "placement.normal:p", "placement.matrix:m",
          "max_distance:n"}},
        {"fit-conic without a curve",
         {"fit-conic", off_line},
         {"points:i", "tangents:i", "type:s"}},
        {"distance from a point",
         {"distance", "--point", "1,2,3", points},
         {"point:p", "distance:n", "nearest.vertices:i", "nearest.point:p", "nearest.segment:i",
          "nearest.parameter:n"}},
        {"distance from a ray",
         {"distance", "--ray", "0,0,5,1,0,0", points},
         {"ray_point:p", "ray_direction:p", "distance:n", "nearest.vertices:i", "nearest.point:p",
          "nearest.segment:i", "nearest.parameter:n", "on_ray.point:p", "on_ray.parameter:n"}},
        {"distance between polylines",
         {"distance", points, line},
         {"distance:n", "first.vertices:i", "first.point:p", "first.segment:i", "first.parameter:n",
          "second.vertices:i", "second.point:p", "second.segment:i", "second.parameter:n"}},
        {"clash",
         {"clash", a, b},
         {"a.file:s", "a.format:s", "a.triangles:i", "a.degenerate:i", "b.file:s", "b.format:s",
          "b.triangles:i", "b.degenerate:i", "tolerance:n", "candidates:i", "count:i", "pairs:l"}},
        {"transform",
         {"transform", pairs, "--apply", points},
         {"type:s", "pairs:i", "pairs_used:i", fitted[0], fitted[1], fitted[2], "residuals:l",
          "max_residual:n", "apply:s", "points:l"}},
        {"register weighted",
         {"register", pairs, "--weights", weights4},
         {"type:s", "pairs:i", "weights:s", fitted[0], fitted[1], fitted[2], "rms:n", "residuals:l",
          "max_residual:n"}},
        {"register",
         {"register", pairs, "--type", "similarity", "--apply", points},
         {"type:s", "pairs:i", fitted[0], fitted[1], fitted[2], "scale:n", "rms:n", "residuals:l",
          "max_residual:n", "apply:s", "points:l"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--json");
        const auto run = run_kv3d(args);
        ASSERT_EQ(run.status, 0) << "case: " << c.name << ": " << run.err;
        const Json report = Json::parse(run.out);
        std::vector<std::string> keys;
        flatten(report, "", keys);
        std::vector<std::string> expected = {"command:s", "version:s"};
        expected.insert(expected.end(), c.keys.begin(), c.keys.end());
        EXPECT_EQ(keys, expected) << "case: " << c.name;
        EXPECT_EQ(report.value("command", ""), c.args[0]) << "case: " << c.name;
        EXPECT_EQ(report.value("version", ""), KV3D_VERSION) << "case: " << c.name;
    }
}

}  // namespace
