#include "BoundsPicture.h"

#include <vector>

#include "EvenSample.h"
#include "NumberFormat.h"
#include "OrthoViews.h"
#include "PicturePage.h"
#include "PictureStyle.h"

namespace kv3dcli {

std::string bounds_picture(const std::string& name, const KvArray<Kv3dPoint>& points,
                           const Kv3dBBox& box, const Kv3dBSphere& sphere, int digits) {
    const Kv3dVector size = box.bbmax() - box.bbmin();
    const Kv3dPoint& c = sphere.center();
    PicturePage page(
        960, "kv3d bounds: " + name,
        {std::to_string(points.size()) + " points; box from " +
             format_triple(box.bbmin().x(), box.bbmin().y(), box.bbmin().z(), digits) + " to " +
             format_triple(box.bbmax().x(), box.bbmax().y(), box.bbmax().z(), digits),
         "box size " + format_triple(size.x(), size.y(), size.z(), digits),
         "enclosing sphere: centre " + format_triple(c.x(), c.y(), c.z(), digits) + ", radius " +
             format_number(sphere.radius(), digits)});

    const EvenSample sample(points.size(), kPictureMaxPoints);
    std::vector<Kv3dPoint> shown;
    shown.reserve(sample.size());
    sample.for_each([&](std::size_t i) { shown.push_back(points[i]); });

    const SvgStyle dots = fill_style(kColourPoints, 0.8);
    const SvgStyle outline = stroke_style(kColourBox, 1.5);
    const SvgStyle ball = stroke_style(kColourSphere, 1.5, true);
    const SvgStyle centre = fill_style(kColourSphere);
    OrthoViews views;
    views.sphere(c, sphere.radius(), ball);
    views.box(box.bbmin(), box.bbmax(), outline);
    views.points(shown, dots, 2.0);
    views.points({c}, centre, 3.5);
    const double bottom = views.draw(page);

    SvgLegend legend;
    legend.add(SvgLegend::Swatch::kDot, dots, "points");
    legend.add(SvgLegend::Swatch::kLine, outline, "bounding box");
    legend.add(SvgLegend::Swatch::kLine, ball, "enclosing sphere (outline in each view)");
    legend.add(SvgLegend::Swatch::kDot, centre, "sphere centre");
    return page.finish(bottom, legend, {sample.note("points")});
}

}  // namespace kv3dcli
