#include "DemoSections.h"

#include <kv/KvJournal.h>
#include <kv3d/Kv3dArithmetic.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/Kv3dVector.h>

#include <sstream>
#include <string>
#include <vector>

#include "ReportWriter.h"

// Demo sections on the foundation: resolution, vector types, their journal text.

namespace kv3dcli {

namespace {

constexpr double kPi = 3.141592653589793;

}  // namespace

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        result.push_back(line);
    }
    return result;
}

void demo_resolution(ReportWriter& r) {
    r.begin_section("resolution", "Model resolution");
    r.number("same_point_tol", "point tolerance", Kv3dResObj::same_point_tol());
    r.number("same_angle_tol", "angle tolerance (rad)", Kv3dResObj::same_angle_tol());
    r.number("model_extent", "model extent", Kv3dResObj::model_extent());
    r.number("same_point_sqr", "squared point tolerance", Kv3dResObj::same_point_sqr());
    r.number("same_angle_cos", "same-direction cosine", Kv3dResObj::same_angle_cos());
    r.number("same_ortho_cos", "orthogonal cosine", Kv3dResObj::same_ortho_cos());
    r.end_section();
}

void demo_arithmetic(ReportWriter& r) {
    const Kv3dPoint p(1.0, 2.0, 3.0);
    const Kv3dPoint q(4.0, 6.0, 3.0);
    const Kv3dVector v = q - p;
    const Kv3dVector a(1.0, 2.0, 3.0);
    const Kv3dVector b(4.0, 5.0, 6.0);
    r.begin_section("arithmetic", "Points, vectors and directions");
    r.point("p", "p", p);
    r.point("q", "q", q);
    r.vector("q_minus_p", "v = q - p", v);
    r.number("length_v", "|v|", v.length());
    r.number("distance_p_q", "distance p to q", p.distance(q));
    r.direction("direction_v", "direction of v", v.direction());
    r.point("p_plus_2v", "p + 2 v", p + v * 2.0);
    r.point("midpoint", "(p + q) * 0.5", (p + q) * 0.5);
    r.vector("a", "a", a);
    r.vector("b", "b", b);
    r.number("a_dot_b", "a . b", a % b);
    r.vector("a_cross_b", "a x b", a * b);
    r.direction("direction_3_0_4", "direction (3, 0, 4)", Kv3dDirection(3.0, 0.0, 4.0));
    r.direction("direction_tiny", "direction (1e-21, 0, 0)", Kv3dDirection(1e-21, 0.0, 0.0));
    r.direction("x_cross_y", "x axis x y axis",
                (Kv3dDirection(1.0, 0.0, 0.0) * Kv3dDirection(0.0, 1.0, 0.0)).direction());
    r.end_section();
}

void demo_angles(ReportWriter& r) {
    const Kv3dDirection x(1.0, 0.0, 0.0);
    const Kv3dDirection diagonal(1.0, 1.0, 0.0);
    const Kv3dDirection nearly_x(1.0, 1e-8, 0.0);
    const Kv3dVector up(0.0, 0.0, 5.0);
    const double angle = x.angle(diagonal);
    r.begin_section("angles", "Angles");
    r.number("x_to_diagonal", "(1,0,0) to (1,1,0), rad", angle);
    r.number("x_to_diagonal_deg", "(1,0,0) to (1,1,0), degrees", angle * 180.0 / kPi);
    r.number("x_to_nearly_x", "(1,0,0) to (1,1e-8,0), rad", x.angle(nearly_x));
    r.number("x_to_minus_x", "(1,0,0) to (-1,0,0), rad", x.angle(-x));
    r.number("vector_to_x", "(0,0,5) to (1,0,0), rad", up.angle(x));
    r.number("zero_to_x", "zero vector to (1,0,0), rad", Kv3dVector().angle(x));
    r.end_section();
}

void demo_predicates(ReportWriter& r) {
    const double tol = Kv3dResObj::same_point_tol();
    const Kv3dPoint origin;
    const Kv3dVector a(1.0, 2.0, 3.0);
    const Kv3dVector zero;
    const Kv3dDirection x(1.0, 0.0, 0.0);
    r.begin_section("predicates", "Tolerance predicates");
    r.flag("points_tol_apart_equal", "points 1 tol apart equal",
           origin.geom_equal(Kv3dPoint(tol, 0.0, 0.0)));
    r.flag("points_1_0001_tol_apart_equal", "points 1.0001 tol apart equal",
           origin.geom_equal(Kv3dPoint(1.0001 * tol, 0.0, 0.0)));
    r.flag("parallel_a_minus_2a", "a parallel to -2 a", a.parallel(a * -2.0));
    r.flag("parallel_a_x", "a parallel to x axis", a.parallel(x));
    r.flag("orthogonal_x_y", "x axis orthogonal to y axis",
           x.orthogonal(Kv3dDirection(0.0, 1.0, 0.0)));
    r.flag("orthogonal_x_nearly_y", "x orthogonal to (1e-6, 1, 0)",
           x.orthogonal(Kv3dDirection(1e-6, 1.0, 0.0)));
    r.flag("opposite_x_minus_x", "x axis opposite to -x", x.opposite(-x));
    r.flag("zero_parallel_a", "zero vector parallel to a", zero.parallel(a));
    r.flag("zero_orthogonal_a", "zero vector orthogonal to a", zero.orthogonal(a));
    r.flag("x_parallel_zero", "x axis parallel to zero vector", x.parallel(zero));
    r.flag("out_of_range_8000", "(8000, 0, 0) out of range",
           Kv3dPoint(8000.0, 0.0, 0.0).out_of_range());
    r.flag("out_of_range_8000_001", "(8000.001, 0, 0) out of range",
           Kv3dPoint(8000.001, 0.0, 0.0).out_of_range());
    r.flag("numerical_zero_1e_21", "(1e-21, -1e-21, 0) numerically 0",
           Kv3d_numerical_zero(1e-21, -1e-21, 0.0));
    r.flag("same_location", "(0,0,0) and (0.3,0.4,0) within 0.5",
           Kv3d_same_location(origin, Kv3dPoint(0.3, 0.4, 0.0), 0.5));
    r.end_section();
}

void demo_snapping(ReportWriter& r) {
    const Kv3dPoint far(1e6, 0.0, 0.0);
    const Kv3dPoint near_far(1e6 - 1e-7, 2.0, 0.0);
    r.begin_section("snapping", "Differences with cancellation snapping");
    r.point("a", "a", far);
    r.point("b", "b", near_far);
    r.vector("plain_difference", "a - b", far - near_far);
    r.vector("snapped_difference", "Kv3d_difference(a, b)", Kv3d_difference(far, near_far));
    r.vector("snapped_sum", "Kv3d_sum((1,1,1), (-1,0,0))",
             Kv3d_sum(Kv3dVector(1.0, 1.0, 1.0), Kv3dVector(-1.0, 0.0, 0.0)));
    r.note("(a component is snapped to 0 when it is below 1e-12 of the first operand's)");
    r.end_section();
}

void demo_journal(ReportWriter& r) {
    std::ostringstream text;
    KvJournal journal(text);
    const Kv3dPoint p(1.5, -2.0, 8000.0);
    journal << p << kvEndExpr;
    p.debug(journal, static_cast<KvDebug>(2), false, 2);
    Kv3dVector(0.5, 0.0, -1e-06).debug(journal, static_cast<KvDebug>(2), false, 2);
    Kv3dDirection(0.0, 3.0, 4.0).debug(journal, static_cast<KvDebug>(2), false, 2);
    Kv3dDirection(0.0, 3.0, 4.0).debug(journal, static_cast<KvDebug>(1), false, 2);
    r.begin_section("journal", "Journal output");
    r.lines("text", "journal text (the last debug call, at level 1, writes nothing)",
            split_lines(text.str()));
    r.end_section();
}

}  // namespace kv3dcli
