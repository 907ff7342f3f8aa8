#pragma once

#include <string>
#include <vector>

#include "SvgDocument.h"
#include "SvgLegend.h"
#include "SvgPanel.h"

namespace kv3dcli {

// The layout every picture of the tool shares: a bold title and lines of
// facts at the top, the drawing, then its legend and notes (what was left
// out, for instance) below it.
class PicturePage {
public:
    PicturePage(double width, const std::string& title, const std::vector<std::string>& facts);

    SvgDocument& doc() { return doc_; }
    double width() const { return doc_.width(); }
    // Where the drawing starts, below the title and the facts.
    double top() const { return top_; }
    // The left and right margin of the page.
    static constexpr double kMargin = 20.0;

    // A region across the page below its top for one panel showing the
    // rectangle, as high as its shape asks within limits.
    SvgBox panel_region(const PlaneRect& shown) const;

    // Sets the legend and the notes below the drawing, which ends at
    // drawing_bottom, and returns the finished picture.
    std::string finish(double drawing_bottom, const SvgLegend& legend,
                       const std::vector<std::string>& notes);

private:
    SvgDocument doc_;
    double top_;
};

}  // namespace kv3dcli
