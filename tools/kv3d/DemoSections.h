#pragma once

#include <string>
#include <vector>

namespace kv3dcli {

class ReportWriter;

// The sections of the demo report, each on its own built-in data.
void demo_resolution(ReportWriter& r);
void demo_arithmetic(ReportWriter& r);
void demo_angles(ReportWriter& r);
void demo_predicates(ReportWriter& r);
void demo_snapping(ReportWriter& r);
void demo_journal(ReportWriter& r);
void demo_bounding_box(ReportWriter& r);
void demo_bounding_sphere(ReportWriter& r);
void demo_transform(ReportWriter& r);
void demo_point_pair_fit(ReportWriter& r);
void demo_registration(ReportWriter& r);
void demo_parabola(ReportWriter& r);
void demo_line_and_plane(ReportWriter& r);
void demo_triangle(ReportWriter& r);
void demo_clash(ReportWriter& r);
void demo_polyline_distance(ReportWriter& r);
void demo_rotations(ReportWriter& r);
void demo_plane_fit(ReportWriter& r);
void demo_conic_fit(ReportWriter& r);

// The lines of text, without their line ends.
std::vector<std::string> split_lines(const std::string& text);

}  // namespace kv3dcli
