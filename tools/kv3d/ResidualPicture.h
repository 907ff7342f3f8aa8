#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kv3dcli {

// The residual of each point pair of a transform fit (the distance of the
// moved source point from its target) as a bar, the largest marked, with the
// RMS residual as a line when there is one. More pairs than a picture can
// show side by side are grouped: each bar then stands for the largest
// residual of a run of consecutive pairs. The first exact_pairs pairs build
// the transform and the rest are only measured (0: every pair is fitted). Numbers with the given
// significant digits.
std::string residual_picture(const std::string& title, const std::vector<double>& residuals,
                             std::optional<double> rms, std::size_t exact_pairs, int digits);

}  // namespace kv3dcli
