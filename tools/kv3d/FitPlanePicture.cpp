#include "FitPlanePicture.h"

#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dVector.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "EvenSample.h"
#include "NumberFormat.h"
#include "PicturePage.h"
#include "PictureStyle.h"
#include "SvgPanel.h"

namespace kv3dcli {

namespace {

// A diverging scale from most negative (blue) through 0 (near white) to most
// positive (red), in equal steps of signed distance.
const char* const kScale[] = {"#2166ac", "#4393c3", "#92c5de", "#d1e5f0", "#ecf1f4", "#f7f7f7",
                              "#f8ece6", "#fddbc7", "#f4a582", "#d6604d", "#b2182b"};
constexpr int kSteps = sizeof kScale / sizeof kScale[0];
constexpr int kMiddle = kSteps / 2;

// The step of the scale for signed distance d, the largest distance being
// largest (0 when every point lies in the plane).
int step(double d, double largest) {
    if (!(largest > 0.0)) {
        return kMiddle;
    }
    const long k = std::lround((d / largest + 1.0) / 2.0 * (kSteps - 1));
    return static_cast<int>(std::clamp(k, 0L, static_cast<long>(kSteps - 1)));
}

// The scale as a row of swatches under the panel, labelled at both ends and
// in the middle; returns its bottom.
double colour_scale(SvgDocument& doc, double x, double y, double largest, int digits) {
    constexpr double kSwatch = 26.0;
    SvgTextStyle text;
    text.size = 11;
    doc.text(SvgPoint{x, y + 12}, "signed distance from the plane (+ on the normal's side):", text);
    const double left = x +
                        estimated_text_width(
                            "signed distance from the plane (+ on the "
                            "normal's side):",
                            11) +
                        12;
    SvgStyle swatch = fill_style(kScale[0]);
    swatch.stroke = "#888888";
    swatch.stroke_width = 0.5;
    for (int k = 0; k < kSteps; ++k) {
        swatch.fill = kScale[k];
        doc.rect(SvgBox{left + k * kSwatch, y + 2, kSwatch, 12}, swatch);
    }
    text.anchor = "middle";
    const double label_y = y + 28;
    doc.text(SvgPoint{left + kSwatch / 2, label_y}, format_number(-largest, digits), text);
    doc.text(SvgPoint{left + kMiddle * kSwatch + kSwatch / 2, label_y}, "0", text);
    doc.text(SvgPoint{left + (kSteps - 0.5) * kSwatch, label_y}, format_number(largest, digits),
             text);
    return label_y + 4;
}

}  // namespace

std::string fit_plane_picture(const std::string& name, const KvArray<Kv3dPoint>& points,
                              const Kv3dPlane& plane, double rms, int digits) {
    // An orthonormal frame of the plane, seen from the normal's side.
    const Kv3dDirection n = plane.normal();
    const Kv3dDirection u = plane.u_axis().direction();
    const Kv3dDirection v = (n * u).direction();
    const Kv3dPoint& base = plane.basepoint();

    std::vector<PlanePoint> at(points.size());
    std::vector<double> d(points.size());
    PlaneRect shown;
    std::size_t lowest = 0, highest = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Kv3dVector w = points[i] - base;
        at[i] = PlanePoint{w % u, w % v};
        d[i] = w % n;
        shown.include(at[i]);
        lowest = d[i] < d[lowest] ? i : lowest;
        highest = d[i] > d[highest] ? i : highest;
    }
    shown.include(0.0, 0.0);
    const double largest =
        points.size() == 0 ? 0.0 : std::max(std::fabs(d[lowest]), std::fabs(d[highest]));

    PicturePage page(
        760, "kv3d fit-plane: " + name,
        {std::to_string(points.size()) + " points; RMS distance " + format_number(rms, digits) +
             ", largest distance " + format_number(largest, digits),
         "base point " + format_triple(base.x(), base.y(), base.z(), digits),
         "unit normal " + format_triple(n.x(), n.y(), n.z(), digits)});
    const SvgBox region = page.panel_region(shown);
    SvgPanel panel(page.doc(), region, shown);
    SvgDocument& doc = page.doc();
    panel.frame("the points in the plane's frame, seen along the normal", "u", "v");
    panel.begin_clip();
    const SvgStyle axes = stroke_style(kColourAxes, 1.0, true);
    const SvgPoint o = panel.map(0.0, 0.0);
    doc.line(SvgPoint{region.x, o.y}, SvgPoint{region.x + region.width, o.y}, axes);
    doc.line(SvgPoint{o.x, region.y}, SvgPoint{o.x, region.y + region.height}, axes);

    // One group of dots per colour, the nearest to the plane first, so that
    // the points farthest from it lie on top.
    std::vector<std::vector<SvgPoint>> by_step(kSteps);
    const EvenSample sample(points.size(), kPictureMaxPoints);
    const auto take = [&](std::size_t i) {
        by_step[step(d[i], largest)].push_back(panel.map(at[i]));
    };
    sample.for_each(take);
    if (!sample.complete()) {
        take(lowest);
        take(highest);
    }
    SvgStyle dot = fill_style(kScale[kMiddle]);
    dot.stroke = "#555555";
    dot.stroke_width = 0.4;
    for (int ring = 0; ring <= kMiddle; ++ring) {
        for (int k : {kMiddle - ring, kMiddle + ring}) {
            dot.fill = kScale[k];
            doc.dots(by_step[k], 3.0, dot);
            if (ring == 0) {
                break;
            }
        }
    }
    const SvgStyle centre = stroke_style(kColourInk, 1.5);
    doc.cross(o, 6, centre);
    panel.end_clip();
    panel.scale_bar();

    const double bottom =
        colour_scale(doc, PicturePage::kMargin, region.y + region.height + 8, largest, digits);
    SvgLegend legend;
    legend.add(SvgLegend::Swatch::kCross, centre, "base point (centre of gravity)");
    legend.add(SvgLegend::Swatch::kLine, axes, "u axis (largest spread) and v axis");
    std::vector<std::string> notes{sample.note("points")};
    if (!sample.complete()) {
        notes.push_back("the farthest point on each side of the plane is always drawn");
    }
    return page.finish(bottom, legend, notes);
}

}  // namespace kv3dcli
