#pragma once

#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>

#include <string>
#include <vector>

#include "PicturePage.h"
#include "SvgDocument.h"

namespace kv3dcli {

class SvgPanel;

// Three orthographic views of a model at one scale, side by side: from the
// top (x to the right, y up), from the front (x to the right, z up) and from
// the side (y to the right, z up). Shapes are drawn in the order they are
// given, later ones on top; the views show everything but the lines.
class OrthoViews {
public:
    // A dot of radius pixels at each point.
    void points(const std::vector<Kv3dPoint>& points, const SvgStyle& style, double radius);
    void polyline(const std::vector<Kv3dPoint>& points, const SvgStyle& style);
    // Triangles of three corners each, taken in turn.
    void triangles(const std::vector<Kv3dPoint>& corners, const SvgStyle& style);
    // The axis-aligned box from min to max.
    void box(const Kv3dPoint& min, const Kv3dPoint& max, const SvgStyle& style);
    void sphere(const Kv3dPoint& centre, double radius, const SvgStyle& style);
    // The whole line through p along d, cut at the frames; a cross where it
    // is seen end-on. It does not widen the views.
    void line(const Kv3dPoint& p, const Kv3dVector& d, const SvgStyle& style);
    // A short text beside p.
    void label(const Kv3dPoint& p, const std::string& text);

    // Draws the views across the page below its top; returns their bottom.
    double draw(PicturePage& page) const;

private:
    enum class Kind { kPoints, kPolyline, kTriangles, kBox, kSphere, kLine, kLabel };
    struct Shape {
        Kind kind;
        std::vector<Kv3dPoint> points;
        double size;  // dot radius in pixels, or sphere radius
        SvgStyle style;
        std::string text;
    };
    struct View;

    void draw_shape(const Shape& shape, const View& view, SvgPanel& panel) const;

    std::vector<Shape> shapes_;
};

}  // namespace kv3dcli
