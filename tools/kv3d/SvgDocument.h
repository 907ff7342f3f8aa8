#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kv3dcli {

// A position in picture pixels: x to the right, y down.
struct SvgPoint {
    double x;
    double y;
};

// A rectangle of the picture: its top left corner and its size in pixels.
struct SvgBox {
    double x;
    double y;
    double width;
    double height;
};

// How a shape is stroked and filled. Colours are SVG colour texts
// ("#4477aa"); "none" leaves the stroke or the fill out.
struct SvgStyle {
    std::string stroke = "none";
    std::string fill = "none";
    double stroke_width = 1.0;
    // Opacity of the fill alone (the stroke stays opaque).
    double fill_opacity = 1.0;
    bool dashed = false;
};

// How a text is set.
struct SvgTextStyle {
    double size = 12.0;
    std::string colour = "#222222";
    // "start", "middle" or "end": where the text stands relative to x.
    std::string anchor = "start";
    bool bold = false;
};

// A plain SVG 1.1 document built in memory: shapes and texts in the order
// they are added (later ones on top), groups clipped to a rectangle, and
// linear colour gradients. Coordinates are written with two decimals, so the
// same drawing always gives the same bytes. Texts are escaped.
class SvgDocument {
public:
    SvgDocument(double width, double height);

    double width() const { return width_; }
    double height() const { return height_; }
    // The size can grow while the drawing is laid out.
    void set_height(double height) { height_ = height; }

    void line(SvgPoint a, SvgPoint b, const SvgStyle& style);
    void polyline(const std::vector<SvgPoint>& points, const SvgStyle& style);
    void circle(SvgPoint centre, double radius, const SvgStyle& style);
    // Polygons of corners corners each (the points taken in turn), of one
    // style, written as one group.
    void polygons(const std::vector<SvgPoint>& points, std::size_t corners, const SvgStyle& style);
    // An x-shaped cross of half-width size pixels.
    void cross(SvgPoint centre, double size, const SvgStyle& style);
    // Circles of one radius and style, written as one group.
    void dots(const std::vector<SvgPoint>& centres, double radius, const SvgStyle& style);
    void rect(const SvgBox& box, const SvgStyle& style);
    void text(SvgPoint at, const std::string& text, const SvgTextStyle& style = SvgTextStyle());

    // Until the matching end_clip, shapes are cut to the box.
    void begin_clip(const SvgBox& box);
    void end_clip();

    // A left-to-right gradient through the colours, evenly spaced; returns
    // the fill text that paints with it ("url(#...)").
    std::string horizontal_gradient(const std::vector<std::string>& colours);

    // The finished document.
    std::string str() const;

private:
    void shape(const std::string& element, const std::string& attributes, const SvgStyle& style);
    static std::string style_attributes(const SvgStyle& style);

    double width_;
    double height_;
    std::string defs_;
    std::string body_;
    int next_id_ = 0;
    int open_clips_ = 0;
};

// The number as SVG writes it: at most two decimals, no trailing zeros.
std::string svg_number(double value);

// The text with &, <, >, " and ' escaped for XML, control characters as
// blanks and bytes that are not UTF-8 as U+FFFD, so that any file name can
// stand in a picture.
std::string svg_escape(const std::string& text);

}  // namespace kv3dcli
