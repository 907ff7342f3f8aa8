#pragma once

#include <string>
#include <vector>

#include "SvgDocument.h"

namespace kv3dcli {

// A legend: one swatch and its label per entry, set in rows from left to
// right and wrapped at a given width.
class SvgLegend {
public:
    enum class Swatch { kLine, kDot, kArea, kCross };

    void add(Swatch swatch, const SvgStyle& style, const std::string& label);

    // Draws the entries from (x, y), the top left corner, in rows no wider
    // than width; returns the height taken.
    double draw(SvgDocument& doc, double x, double y, double width) const;

private:
    struct Entry {
        Swatch swatch;
        SvgStyle style;
        std::string label;
    };
    std::vector<Entry> entries_;
};

// The width of a text of the given size in pixels, estimated for the
// legend's and the pictures' layout (sans-serif, about 0.6 of the size per
// character).
double estimated_text_width(const std::string& text, double size);

}  // namespace kv3dcli
