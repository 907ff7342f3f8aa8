#include "OrthoViews.h"

#include <algorithm>
#include <cmath>

#include "SvgPanel.h"

namespace kv3dcli {

// A view: the model axes shown to the right (u) and up (v).
struct OrthoViews::View {
    const char* title;
    int u;
    int v;
};

namespace {

constexpr double kGap = 24.0;

// A line seen more end-on than this (projected length per unit of length)
// is drawn as a cross.
constexpr double kEndOn = 1e-9;

PlanePoint project(const Kv3dPoint& p, int u, int v) { return PlanePoint{p[u], p[v]}; }

const char* const kAxisNames[3] = {"x", "y", "z"};

}  // namespace

void OrthoViews::points(const std::vector<Kv3dPoint>& points, const SvgStyle& style,
                        double radius) {
    shapes_.push_back(Shape{Kind::kPoints, points, radius, style, std::string()});
}

void OrthoViews::polyline(const std::vector<Kv3dPoint>& points, const SvgStyle& style) {
    shapes_.push_back(Shape{Kind::kPolyline, points, 0.0, style, std::string()});
}

void OrthoViews::triangles(const std::vector<Kv3dPoint>& corners, const SvgStyle& style) {
    shapes_.push_back(Shape{Kind::kTriangles, corners, 0.0, style, std::string()});
}

void OrthoViews::box(const Kv3dPoint& min, const Kv3dPoint& max, const SvgStyle& style) {
    shapes_.push_back(Shape{Kind::kBox, {min, max}, 0.0, style, std::string()});
}

void OrthoViews::sphere(const Kv3dPoint& centre, double radius, const SvgStyle& style) {
    shapes_.push_back(Shape{Kind::kSphere, {centre}, radius, style, std::string()});
}

void OrthoViews::line(const Kv3dPoint& p, const Kv3dVector& d, const SvgStyle& style) {
    shapes_.push_back(
        Shape{Kind::kLine, {p, Kv3dPoint(d.x(), d.y(), d.z())}, 0.0, style, std::string()});
}

void OrthoViews::label(const Kv3dPoint& p, const std::string& text) {
    shapes_.push_back(Shape{Kind::kLabel, {p}, 0.0, SvgStyle(), text});
}

void OrthoViews::draw_shape(const Shape& shape, const View& view, SvgPanel& panel) const {
    SvgDocument& doc = panel.doc();
    const auto at = [&](const Kv3dPoint& p) { return panel.map(project(p, view.u, view.v)); };
    switch (shape.kind) {
        case Kind::kPoints:
        case Kind::kPolyline:
        case Kind::kTriangles: {
            std::vector<SvgPoint> mapped;
            mapped.reserve(shape.points.size());
            for (const Kv3dPoint& p : shape.points) {
                mapped.push_back(at(p));
            }
            if (shape.kind == Kind::kPoints) {
                doc.dots(mapped, shape.size, shape.style);
            } else if (shape.kind == Kind::kTriangles) {
                doc.polygons(mapped, 3, shape.style);
            } else {
                doc.polyline(mapped, shape.style);
            }
            break;
        }
        case Kind::kBox: {
            const SvgPoint a = at(shape.points[0]);
            const SvgPoint b = at(shape.points[1]);
            doc.rect(SvgBox{std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(b.x - a.x),
                            std::fabs(b.y - a.y)},
                     shape.style);
            break;
        }
        case Kind::kSphere:
            doc.circle(at(shape.points[0]), shape.size * panel.scale(), shape.style);
            break;
        case Kind::kLine: {
            const SvgPoint p = at(shape.points[0]);
            const Kv3dPoint& d = shape.points[1];
            const double du = d[view.u], dv = d[view.v];
            const double length = std::hypot(du, dv);
            if (length <= kEndOn * std::hypot(length, d[3 - view.u - view.v])) {
                doc.cross(p, 5, shape.style);
                break;
            }
            // Far enough both ways to leave the frame wherever p is.
            const SvgBox& r = panel.region();
            const double reach = std::hypot(p.x - r.x, p.y - r.y) + std::hypot(r.width, r.height);
            const double ux = du / length * reach, uy = -dv / length * reach;
            doc.line(SvgPoint{p.x - ux, p.y - uy}, SvgPoint{p.x + ux, p.y + uy}, shape.style);
            break;
        }
        case Kind::kLabel: {
            SvgTextStyle text;
            text.size = 11;
            const SvgPoint p = at(shape.points[0]);
            doc.text(SvgPoint{p.x + 6, p.y - 6}, shape.text, text);
            break;
        }
    }
}

double OrthoViews::draw(PicturePage& page) const {
    static const View views[3] = {
        {"top (from +z)", 0, 1}, {"front (from -y)", 0, 2}, {"side (from +x)", 1, 2}};
    const double side = (page.width() - 2 * PicturePage::kMargin - 2 * kGap) / 3;
    PlaneRect shown[3];
    double scale = INFINITY;
    for (int i = 0; i < 3; ++i) {
        for (const Shape& s : shapes_) {
            if (s.kind == Kind::kLine) {
                shown[i].include(project(s.points[0], views[i].u, views[i].v));
                continue;
            }
            const double r = s.kind == Kind::kSphere ? s.size : 0.0;
            for (const Kv3dPoint& p : s.points) {
                shown[i].include(p[views[i].u] - r, p[views[i].v] - r);
                shown[i].include(p[views[i].u] + r, p[views[i].v] + r);
            }
        }
        const SvgBox region{0, 0, side, side};
        scale = std::min(scale, SvgPanel::fit_scale(region, shown[i]));
    }
    for (int i = 0; i < 3; ++i) {
        const SvgBox region{PicturePage::kMargin + i * (side + kGap), page.top(), side, side};
        SvgPanel panel(page.doc(), region, shown[i], scale);
        panel.frame(views[i].title, kAxisNames[views[i].u], kAxisNames[views[i].v]);
        panel.begin_clip();
        for (const Shape& s : shapes_) {
            draw_shape(s, views[i], panel);
        }
        panel.end_clip();
        panel.scale_bar();
    }
    return page.top() + side;
}

}  // namespace kv3dcli
