#include "PairFit.h"

#include <CLI/CLI.hpp>

#include <kv3d/Kv3dApply.h>

#include <algorithm>
#include <vector>

#include "InputText.h"
#include "PointFileReader.h"
#include "ReportWriter.h"

namespace kv3dcli {

PairFitInput read_pair_fit_input(const CommonArgs& args, const std::string& pairs_path,
                                 std::size_t min_pairs, const std::string& apply_path) {
    const PointFileReader reader(args);
    PairFitInput input;
    input.pairs = reader.read_pairs(pairs_path, min_pairs);
    if (!apply_path.empty()) {
        input.points = reader.read_points(apply_path, 1);
    }
    return input;
}

Kv3dTransform::Kv3dTransformType fit_type(const std::string& name) {
    if (name == "similarity") {
        return Kv3dTransform::SIMILARITY;
    }
    if (name == "affine") {
        return Kv3dTransform::AFFINE;
    }
    return Kv3dTransform::RIGID;
}

void add_pair_fit_options(CLI::App& command, std::string& pairs_path, std::string& type,
                          const std::string& type_help, std::string& apply_path) {
    command
        .add_option("PAIRS", pairs_path,
                    "Pairs file: six numbers a line, a source point then\n"
                    "its target point ('-' reads standard input)")
        ->required()
        ->type_name("FILE");
    command.add_option("--type", type, type_help)
        ->check(CLI::IsMember({"rigid", "similarity", "affine"}))
        ->capture_default_str();
    command
        .add_option("--apply", apply_path,
                    "Point file to move by the fitted transform\n"
                    "('-' reads standard input)")
        ->type_name("FILE");
}

void report_matrix(ReportWriter& r, const Kv3dTransform& T) {
    r.matrix("matrix", "matrix (row by row; x' = A x + t)", T.as_matrix());
    r.flag("orthonormal", "rigid motion (orthonormal A)", T.is_orthonormal());
    r.flag("orientation_preserving", "keeps orientation", T.is_orient_preserving());
}

std::vector<double> pair_residuals(const Kv3dTransform& T, const PairFitInput& input) {
    std::vector<double> residuals;
    residuals.reserve(input.pairs.size());
    for (const auto& pair : input.pairs) {
        Kv3dPoint p = pair.first;
        residuals.push_back(p.apply(T).distance(pair.second));
    }
    return residuals;
}

void report_residuals(ReportWriter& r, const std::vector<double>& residuals) {
    r.number_list("residuals", "distance of each moved source point from its target", residuals);
    r.number("max_residual", "largest distance",
             residuals.empty() ? 0.0 : *std::max_element(residuals.begin(), residuals.end()));
}

void report_moved_points(ReportWriter& r, const Kv3dTransform& T, const PairFitInput& input,
                         const std::string& apply_path) {
    if (apply_path.empty()) {
        return;
    }
    KvArray<Kv3dPoint> moved = input.points;
    Kv3d_apply(T, moved);
    r.text("apply", "moved points from", input_display_name(apply_path));
    r.point_list("points", "moved points", std::vector<Kv3dPoint>(moved.begin(), moved.end()));
}

}  // namespace kv3dcli
