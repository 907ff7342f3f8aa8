#include "FitConicPicture.h"

#include <kv3d/Kv3dCartesCoordSys.h>
#include <kv3d/Kv3dFitting.h>
#include <kv3d/Kv3dPlane.h>
#include <kv3d/Kv3dVector.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ConicCanonical.h"
#include "EvenSample.h"
#include "NumberFormat.h"
#include "PicturePage.h"
#include "PictureStyle.h"
#include "SvgPanel.h"

namespace kv3dcli {

namespace {

using Piece = std::vector<PlanePoint>;

constexpr int kCurveSamples = 720;

// Samples of f(s) for s evenly from s0 to s1.
template <class F>
Piece sampled(double s0, double s1, F f) {
    Piece piece;
    piece.reserve(kCurveSamples + 1);
    for (int k = 0; k <= kCurveSamples; ++k) {
        piece.push_back(f(s0 + (s1 - s0) * k / kCurveSamples));
    }
    return piece;
}

// The canonical curve of the type as polylines that cross the window (the
// part of the canonical plane the panel shows), or the whole ellipse.
std::vector<Piece> canonical_curve(int type, double a, double b, const PlaneRect& window) {
    const double x_reach = std::max(std::fabs(window.min_u()), std::fabs(window.max_u()));
    const double y0 = window.min_v(), y1 = window.max_v();
    const double y_reach = std::max(std::fabs(y0), std::fabs(y1));
    switch (type) {
        case 0:
            return {sampled(0.0, 2 * M_PI, [&](double t) {
                return PlanePoint{a * std::cos(t), b * std::sin(t)};
            })};
        case 1: {
            // Far enough along both branches to leave the window.
            const double reach =
                std::min(std::asinh(y_reach / b), std::acosh(std::max(1.0, x_reach / a))) * 1.05 +
                0.05;
            std::vector<Piece> branches;
            for (double side : {-1.0, 1.0}) {
                branches.push_back(sampled(-reach, reach, [&](double t) {
                    return PlanePoint{side * a * std::cosh(t), b * std::sinh(t)};
                }));
            }
            return branches;
        }
        case 2:
            return {sampled(-x_reach, x_reach, [&](double x) {
                return PlanePoint{x, -x * x / (2 * a * a)};
            })};
        case 3:
            return {{{-a * y0, y0}, {-a * y1, y1}}, {{a * y0, y0}, {a * y1, y1}}};
        case 4:
            return {{{-a, y0}, {-a, y1}}, {{a, y0}, {a, y1}}};
        case 5:
            return {{{0.0, y0}, {0.0, y1}}};
        default:
            return {};
    }
}

// What fixes the view besides the points: the whole ellipse, the vertices.
void include_features(int type, double a, double b, PlaneRect& shown) {
    shown.include(0.0, 0.0);
    if (type == 0) {
        shown.include(-a, -b);
        shown.include(a, b);
    } else if (type == 1 || type == 4) {
        shown.include(-a, 0.0);
        shown.include(a, 0.0);
    }
}

std::string shape_fact(const ConicFit& fit, int digits) {
    if (!fit.found()) {
        return "no real conic fits these conditions";
    }
    return conic_type_name(fit.type) + std::string(" ") + conic_equation(fit.type) +
           ", a = " + format_number(fit.a, digits) + ", b = " + format_number(fit.b, digits);
}

}  // namespace

std::string fit_conic_picture(const std::string& name, const KvArray<Kv3dPoint>& points,
                              const ConicFit& fit, int digits) {
    const bool found = fit.found();
    // Model to canonical coordinates, or without a curve to the frame of the
    // points' least-squares plane.
    Kv3dTransform to_plane = fit.placement;
    if (!found) {
        const Kv3dPlane plane = Kv3d_fit_plane_to_points(points);
        to_plane =
            Kv3dTransform(Kv3dCartesCoordSys(plane.basepoint(), plane.u_axis(), plane.v_axis()));
    }
    const bool invertible = to_plane.invert();
    const Kv3dPoint o = Kv3dPoint(0, 0, 0).apply(fit.placement);
    PicturePage page(
        760, "kv3d fit-conic: " + name,
        {std::to_string(points.size()) + " points; " + shape_fact(fit, digits),
         found ? std::string(conic_origin_name(fit.type)) + " " +
                     format_triple(o.x(), o.y(), o.z(), digits) + "; largest distance of a point " +
                     format_number(fit.max_distance, digits)
               : std::string("the points in their least-squares plane")});

    const EvenSample sample(points.size(), kPictureMaxPoints);
    std::vector<PlanePoint> shown_points;
    PlaneRect shown;
    sample.for_each([&](std::size_t i) {
        Kv3dPoint p = points[i];
        p.apply(to_plane);
        shown_points.push_back(PlanePoint{p.x(), p.y()});
        shown.include(shown_points.back());
    });
    if (found) {
        include_features(fit.type, fit.a, fit.b, shown);
    }
    const SvgBox region = page.panel_region(shown);
    SvgPanel panel(page.doc(), region, shown);
    SvgDocument& doc = page.doc();
    panel.frame(found ? "the points and the curve in the curve's plane"
                      : "the points in their least-squares plane",
                "x", "y");
    panel.begin_clip();
    const SvgStyle axes = stroke_style(kColourAxes, 1.0, true);
    const SvgStyle curve = stroke_style(kColourFit, 2.0);
    const SvgStyle dots = fill_style(kColourPoints, 0.85);
    const SvgStyle centre = stroke_style(kColourInk, 1.5);
    const SvgPoint origin = panel.map(0.0, 0.0);
    if (found) {
        doc.line(SvgPoint{region.x, origin.y}, SvgPoint{region.x + region.width, origin.y}, axes);
        doc.line(SvgPoint{origin.x, region.y}, SvgPoint{origin.x, region.y + region.height}, axes);
        PlaneRect window;
        window.include(panel.unmap(SvgPoint{region.x, region.y + region.height}));
        window.include(panel.unmap(SvgPoint{region.x + region.width, region.y}));
        for (const Piece& piece : canonical_curve(fit.type, fit.a, fit.b, window)) {
            doc.polyline(panel.map(piece), curve);
        }
    }
    doc.dots(panel.map(shown_points), 3.0, dots);
    if (found) {
        doc.cross(origin, 6, centre);
        SvgTextStyle label;
        label.size = 11;
        doc.text(SvgPoint{origin.x + 8, origin.y - 8}, conic_origin_name(fit.type), label);
    }
    panel.end_clip();
    panel.scale_bar();

    SvgLegend legend;
    legend.add(SvgLegend::Swatch::kDot, dots, "points");
    if (found) {
        legend.add(SvgLegend::Swatch::kLine, curve,
                   std::string("fitted ") + conic_type_name(fit.type));
        legend.add(SvgLegend::Swatch::kCross, centre, conic_origin_name(fit.type));
        legend.add(SvgLegend::Swatch::kLine, axes, "canonical x and y axes");
    }
    std::vector<std::string> notes{sample.note("points")};
    if (!invertible) {
        notes.push_back("the placement is singular: the points are drawn at the origin");
    }
    return page.finish(region.y + region.height, legend, notes);
}

}  // namespace kv3dcli
