#pragma once

#include <cstddef>
#include <string>

#include "SvgDocument.h"

namespace kv3dcli {

// The colours, strokes and limits the tool's pictures share, so that a
// thing looks the same in every picture.

// The most points, triangles and bars a picture draws; larger inputs are
// sampled evenly (EvenSample), and the picture says so.
constexpr std::size_t kPictureMaxPoints = 4000;
constexpr std::size_t kPictureMaxTriangles = 3000;
constexpr std::size_t kPictureMaxBars = 200;

// A palette that stays distinct for the common forms of colour blindness.
constexpr const char* kColourInk = "#222222";
constexpr const char* kColourPoints = "#4477aa";
constexpr const char* kColourSecond = "#228833";
constexpr const char* kColourBox = "#228833";
constexpr const char* kColourSphere = "#aa3377";
constexpr const char* kColourFit = "#ee7733";
constexpr const char* kColourHighlight = "#cc3311";
constexpr const char* kColourAxes = "#999999";

inline SvgStyle stroke_style(const std::string& colour, double width = 1.0, bool dashed = false) {
    SvgStyle style;
    style.stroke = colour;
    style.stroke_width = width;
    style.dashed = dashed;
    return style;
}

inline SvgStyle fill_style(const std::string& colour, double opacity = 1.0) {
    SvgStyle style;
    style.fill = colour;
    style.fill_opacity = opacity;
    return style;
}

}  // namespace kv3dcli
