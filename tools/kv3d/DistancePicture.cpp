#include "DistancePicture.h"

#include <vector>

#include "EvenSample.h"
#include "NumberFormat.h"
#include "OrthoViews.h"
#include "PicturePage.h"
#include "PictureStyle.h"

namespace kv3dcli {

namespace {

// The vertices of an even sample, the last vertex always among them, so that
// the drawn line keeps both ends.
std::vector<Kv3dPoint> sampled_vertices(const KvArray<Kv3dPoint>& polyline,
                                        const EvenSample& sample) {
    std::vector<Kv3dPoint> kept;
    kept.reserve(sample.size() + 1);
    sample.for_each([&](std::size_t i) { kept.push_back(polyline[i]); });
    if (!sample.complete() && (polyline.size() - 1) % sample.stride() != 0) {
        kept.push_back(polyline[polyline.size() - 1]);
    }
    return kept;
}

}  // namespace

std::string distance_picture(const DistanceFrom& from, const std::string& to_name,
                             const KvArray<Kv3dPoint>& to, const Kv3dPoint& nearest_from,
                             const Kv3dPoint& nearest_to, double distance, int digits) {
    const auto triple = [digits](const Kv3dPoint& p) {
        return format_triple(p.x(), p.y(), p.z(), digits);
    };
    std::string what;
    switch (from.kind) {
        case DistanceFrom::Kind::kPoint:
            what = "point " + triple(from.point);
            break;
        case DistanceFrom::Kind::kRay:
            what =
                "the line of the ray from " + triple(from.point) + " along " +
                format_triple(from.direction.x(), from.direction.y(), from.direction.z(), digits);
            break;
        case DistanceFrom::Kind::kPolyline:
            what = from.name;
            break;
    }
    PicturePage page(960, "kv3d distance: " + what + " to " + to_name,
                     {"distance " + format_number(distance, digits) + ", from " +
                      triple(nearest_from) + " to " + triple(nearest_to) + " on " + to_name});

    const SvgStyle second = stroke_style(kColourPoints, 1.5);
    const SvgStyle first = stroke_style(kColourSecond, 1.5);
    const SvgStyle ray = stroke_style(kColourSecond, 1.2, true);
    const SvgStyle source = fill_style(kColourSecond);
    const SvgStyle nearest = fill_style(kColourHighlight);
    const SvgStyle link = stroke_style(kColourHighlight, 2.0);
    OrthoViews views;
    std::vector<std::string> notes;
    const EvenSample to_sample(to.size(), kPictureMaxPoints);
    views.polyline(sampled_vertices(to, to_sample), second);
    notes.push_back(to_sample.note("vertices of " + to_name));
    SvgLegend legend;
    legend.add(SvgLegend::Swatch::kLine, second, to_name);
    switch (from.kind) {
        case DistanceFrom::Kind::kPoint:
            views.points({from.point}, source, 4.0);
            legend.add(SvgLegend::Swatch::kDot, source, "the point");
            break;
        case DistanceFrom::Kind::kRay:
            views.line(from.point, from.direction, ray);
            views.points({from.point}, source, 4.0);
            legend.add(SvgLegend::Swatch::kLine, ray, "the ray's line");
            legend.add(SvgLegend::Swatch::kDot, source, "its origin");
            break;
        case DistanceFrom::Kind::kPolyline: {
            const EvenSample from_sample(from.polyline->size(), kPictureMaxPoints);
            views.polyline(sampled_vertices(*from.polyline, from_sample), first);
            notes.push_back(from_sample.note("vertices of " + from.name));
            legend.add(SvgLegend::Swatch::kLine, first, from.name);
            break;
        }
    }
    views.polyline({nearest_from, nearest_to}, link);
    views.points({nearest_from, nearest_to}, nearest, 3.5);
    legend.add(SvgLegend::Swatch::kLine, link, "nearest points and their distance");
    const double bottom = views.draw(page);
    return page.finish(bottom, legend, notes);
}

}  // namespace kv3dcli
