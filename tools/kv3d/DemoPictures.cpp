#include "DemoPictures.h"

#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dInterference.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTriangle.h>

#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>

#include "BoundsCommand.h"
#include "ClashPicture.h"
#include "DistanceCommand.h"
#include "FitConicCommand.h"
#include "FitPlaneCommand.h"
#include "InputError.h"
#include "PictureFile.h"
#include "RegisterCommand.h"
#include "TriangleFileReader.h"

// The pictures of the demo: the commands themselves draw built-in data that
// reaches them as standard input, so the demo shows exactly what --svg does.

namespace kv3dcli {

namespace {

// A repeatable wobble in [-1, 1] standing in for measurement noise.
double wobble(std::size_t i) { return std::sin(12.9898 * static_cast<double>(i) + 0.5); }

std::string line(double x, double y, double z) {
    std::ostringstream s;
    s.precision(17);
    s << x << ' ' << y << ' ' << z;
    return s.str();
}

// 400 points on a squashed helix.
std::string helix_points() {
    std::string text;
    for (std::size_t i = 0; i < 400; ++i) {
        const double t = 0.04 * static_cast<double>(i);
        text += line(10 * std::cos(t) + 0.6 * wobble(i), 6 * std::sin(t), 0.8 * t) + '\n';
    }
    return text;
}

// A 16 x 10 grid on the plane z = 0.2 x - 0.1 y + 1, each point off by up to 0.05.
std::string noisy_plane_points() {
    std::string text;
    for (std::size_t i = 0; i < 160; ++i) {
        const double x = static_cast<double>(i % 16) - 7.5;
        const double y = 0.8 * static_cast<double>(i / 16) - 3.6;
        text += line(x, y, 0.2 * x - 0.1 * y + 1 + 0.05 * wobble(i)) + '\n';
    }
    return text;
}

// Nine points of an ellipse with half axes 5 and 3 in a tilted plane, each off
// by up to 0.03, along two thirds of it.
std::string ellipse_arc_points() {
    std::string text;
    for (std::size_t i = 0; i < 9; ++i) {
        const double t = 0.5 * static_cast<double>(i);
        const double u = 5 * std::cos(t) + 0.03 * wobble(i);
        const double v = 3 * std::sin(t);
        text += line(u + 2, 0.8 * v, 0.6 * v - 1) + '\n';
    }
    return text;
}

// A zigzag polyline, measured from a ray.
std::string zigzag_points() {
    std::string text;
    for (std::size_t i = 0; i < 7; ++i) {
        const double x = static_cast<double>(i);
        text += line(x, i % 2 == 0 ? 0.0 : 1.5, 0.3 * x) + '\n';
    }
    return text;
}

// Twelve points of a bracket and their measurements after a turn of 0.1 rad
// about z and a shift by (2, -1, 0.5), each off by up to 0.02.
std::string measured_pairs() {
    std::string text;
    const double c = std::cos(0.1);
    const double s = std::sin(0.1);
    for (std::size_t i = 0; i < 12; ++i) {
        const double x = 40.0 * static_cast<double>(i % 3) / 2;
        const double y = 30.0 * static_cast<double>((i / 3) % 2);
        const double z = 12.0 * static_cast<double>(i / 6);
        text += line(x, y, z) + ' ' +
                line(c * x - s * y + 2 + 0.02 * wobble(i), s * x + c * y - 1,
                     z + 0.5 + 0.01 * wobble(i + 20)) +
                '\n';
    }
    return text;
}

// Runs a command on text given as its standard input, drawing into path;
// bad data fails the demo.
template <class Args>
void draw(Args args, const std::string& path, int digits, const std::string& text,
          int (*run)(const Args&, std::ostream&, std::ostream&)) {
    std::istringstream in(text);
    args.std_in = &in;
    args.digits = digits;
    args.svg_path = path;
    std::ostringstream out, err;
    if (run(args, out, err) != 0) {
        const std::string reason = err.str();
        const std::size_t from = reason.rfind("kv3d: ", 0) == 0 ? 6 : 0;
        throw InputError(reason.substr(from, reason.find('\n') - from));
    }
}

TriangleSet triangle_set(const char* name, const KvArray<Kv3dTriangle>& triangles) {
    TriangleSet set{name, "built in", {}};
    for (const Kv3dTriangle& t : triangles) {
        for (const Kv3dPoint& p : {t.p0(), t.p1(), t.p2()}) {
            set.coords.insert(set.coords.end(), {p.x(), p.y(), p.z()});
        }
    }
    return set;
}

// A wavy 12 x 12 sheet of triangles, and a slanted plate of two that cuts it.
void clash_demo_picture(const std::string& path) {
    KvArray<Kv3dTriangle> sheet;
    const auto at = [](int i, int j) {
        return Kv3dPoint(i, j, 0.6 * std::sin(0.5 * i) * std::cos(0.4 * j));
    };
    for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 12; ++j) {
            sheet.append(Kv3dTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1)));
            sheet.append(Kv3dTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1)));
        }
    }
    KvArray<Kv3dTriangle> plate;
    const Kv3dPoint p0(3, 2, -1), p1(9, 4, -1), p2(9, 4, 1.5), p3(3, 2, 1.5);
    plate.append(Kv3dTriangle(p0, p1, p2));
    plate.append(Kv3dTriangle(p0, p2, p3));
    KvArray<KvPair<std::size_t, std::size_t>> pairs;
    Kv3d_find_intersecting_triangles(sheet, plate, pairs, 1, nullptr);
    write_text_file(
        path, clash_picture(triangle_set("sheet", sheet), triangle_set("plate", plate), pairs));
}

}  // namespace

void write_demo_pictures(const std::string& dir, int digits) {
    const std::string in = dir + "/";
    BoundsArgs bounds;
    bounds.points_path = "-";
    draw(bounds, in + "bounds.svg", digits, helix_points(), run_bounds);

    FitPlaneArgs plane;
    plane.points_path = "-";
    draw(plane, in + "fit-plane.svg", digits, noisy_plane_points(), run_fit_plane);

    FitConicArgs conic;
    conic.points_path = "-";
    draw(conic, in + "fit-conic.svg", digits, ellipse_arc_points(), run_fit_conic);

    DistanceArgs distance;
    distance.ray = "0,3,0,1,-0.2,0.4";
    distance.polylines = {"-"};
    draw(distance, in + "distance.svg", digits, zigzag_points(), run_distance);

    RegisterArgs registration;
    registration.pairs_path = "-";
    draw(registration, in + "register.svg", digits, measured_pairs(), run_register);

    clash_demo_picture(in + "clash.svg");
}

}  // namespace kv3dcli
