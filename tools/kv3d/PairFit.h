#pragma once

#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>

#include <cstddef>
#include <string>
#include <vector>

#include "CommonArgs.h"

namespace CLI {
class App;
}

namespace kv3dcli {

class ReportWriter;

// What the commands that fit a transform to point pairs share.

// The pairs of a pairs file and the points to move by the fitted transform.
struct PairFitInput {
    KvArray<KvPair<Kv3dPoint, Kv3dPoint>> pairs;
    KvArray<Kv3dPoint> points;  // empty without --apply
};

// Reads at least min_pairs pairs from pairs_path, and the points of
// apply_path when it is not empty.
PairFitInput read_pair_fit_input(const CommonArgs& args, const std::string& pairs_path,
                                 std::size_t min_pairs, const std::string& apply_path);

// "rigid", "similarity" or "affine" as the library's type (rigid otherwise).
Kv3dTransform::Kv3dTransformType fit_type(const std::string& name);

// Adds the pairs file argument, --type (limited to the three names) and
// --apply.
void add_pair_fit_options(CLI::App& command, std::string& pairs_path, std::string& type,
                          const std::string& type_help, std::string& apply_path);

// The matrix and whether it is orthonormal and keeps orientation.
void report_matrix(ReportWriter& r, const Kv3dTransform& T);

// The distance of each source point moved by T from its target.
std::vector<double> pair_residuals(const Kv3dTransform& T, const PairFitInput& input);

// The residuals of the pairs, and the largest.
void report_residuals(ReportWriter& r, const std::vector<double>& residuals);

// The points of apply_path moved by T; nothing when apply_path is empty.
void report_moved_points(ReportWriter& r, const Kv3dTransform& T, const PairFitInput& input,
                         const std::string& apply_path);

}  // namespace kv3dcli
