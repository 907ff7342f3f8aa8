#include "ClashPicture.h"

#include <kv3d/Kv3dPoint.h>

#include "EvenSample.h"
#include "OrthoViews.h"
#include "PicturePage.h"
#include "PictureStyle.h"

namespace kv3dcli {

namespace {

// The triangles of set whose mark equals clashing, an even sample of them
// when there are many, as corners taken in threes; their count goes to
// *found and the note on a sample to notes.
std::vector<Kv3dPoint> triangles(const TriangleSet& set, const std::vector<bool>& marks,
                                 bool clashing, std::size_t* found,
                                 std::vector<std::string>& notes) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < set.size(); ++i) {
        if (marks[i] == clashing) {
            chosen.push_back(i);
        }
    }
    *found = chosen.size();
    const EvenSample sample(chosen.size(), kPictureMaxTriangles);
    std::vector<Kv3dPoint> corners;
    corners.reserve(3 * sample.size());
    sample.for_each([&](std::size_t k) {
        const double* t = set.triangle(chosen[k]);
        for (int c = 0; c < 3; ++c) {
            corners.emplace_back(t[3 * c], t[3 * c + 1], t[3 * c + 2]);
        }
    });
    notes.push_back(
        sample.note((clashing ? "clashing triangles of " : "other triangles of ") + set.name));
    return corners;
}

}  // namespace

std::string clash_picture(const TriangleSet& a, const TriangleSet& b,
                          const std::vector<bool>& clashing_a, const std::vector<bool>& clashing_b,
                          std::size_t pairs) {
    std::vector<std::string> notes;
    std::size_t calm_a = 0, calm_b = 0, hit_a = 0, hit_b = 0;
    const std::vector<Kv3dPoint> other_a = triangles(a, clashing_a, false, &calm_a, notes);
    const std::vector<Kv3dPoint> other_b = triangles(b, clashing_b, false, &calm_b, notes);
    const std::vector<Kv3dPoint> clash_a = triangles(a, clashing_a, true, &hit_a, notes);
    const std::vector<Kv3dPoint> clash_b = triangles(b, clashing_b, true, &hit_b, notes);

    PicturePage page(
        960, "kv3d clash: " + a.name + " x " + b.name,
        {"A: " + a.name + ", " + std::to_string(a.size()) + " triangles (" + a.format +
             "); B: " + b.name + ", " + std::to_string(b.size()) + " triangles (" + b.format + ")",
         std::to_string(pairs) + " intersecting pairs: " + std::to_string(hit_a) +
             " triangles of A and " + std::to_string(hit_b) + " of B clash"});
    SvgStyle mesh_a = fill_style(kColourPoints, 0.12);
    mesh_a.stroke = kColourPoints;
    mesh_a.stroke_width = 0.6;
    SvgStyle mesh_b = fill_style(kColourSecond, 0.12);
    mesh_b.stroke = kColourSecond;
    mesh_b.stroke_width = 0.6;
    SvgStyle clashing_a_style = fill_style(kColourHighlight, 0.8);
    clashing_a_style.stroke = "#771100";
    clashing_a_style.stroke_width = 0.8;
    SvgStyle clashing_b_style = fill_style(kColourFit, 0.55);
    clashing_b_style.stroke = "#994400";
    clashing_b_style.stroke_width = 0.8;
    OrthoViews views;
    views.triangles(other_a, mesh_a);
    views.triangles(other_b, mesh_b);
    views.triangles(clash_b, clashing_b_style);
    views.triangles(clash_a, clashing_a_style);
    const double bottom = views.draw(page);

    SvgLegend legend;
    legend.add(SvgLegend::Swatch::kArea, mesh_a, "A: " + a.name);
    legend.add(SvgLegend::Swatch::kArea, mesh_b, "B: " + b.name);
    legend.add(SvgLegend::Swatch::kArea, clashing_a_style, "triangles of A that clash");
    legend.add(SvgLegend::Swatch::kArea, clashing_b_style, "triangles of B that clash");
    return page.finish(bottom, legend, notes);
}

}  // namespace kv3dcli
