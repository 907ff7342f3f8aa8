#include "PicturePage.h"

#include <algorithm>
#include <cmath>

namespace kv3dcli {

namespace {

constexpr double kLineHeight = 17.0;

}  // namespace

PicturePage::PicturePage(double width, const std::string& title,
                         const std::vector<std::string>& facts)
    : doc_(width, 0.0) {
    SvgTextStyle heading;
    heading.size = 16;
    heading.bold = true;
    doc_.text(SvgPoint{kMargin, 28}, title, heading);
    SvgTextStyle text;
    text.size = 12;
    double y = 28;
    for (const std::string& fact : facts) {
        y += kLineHeight;
        doc_.text(SvgPoint{kMargin, y}, fact, text);
    }
    // Room for the panel titles, which stand above their frames.
    top_ = y + 36;
}

SvgBox PicturePage::panel_region(const PlaneRect& shown) const {
    const double width = doc_.width() - 2 * kMargin;
    const double du = shown.max_u() - shown.min_u();
    const double dv = shown.max_v() - shown.min_v();
    // As high as the shape asks; a shape too large for a double's range
    // (an infinite or NaN ratio) gets the largest height.
    const double ratio = dv / du;
    const double height = std::isfinite(ratio) ? std::clamp(width * ratio, 240.0, 520.0) : 520.0;
    return SvgBox{kMargin, top_, width, height};
}

std::string PicturePage::finish(double drawing_bottom, const SvgLegend& legend,
                                const std::vector<std::string>& notes) {
    double y = drawing_bottom + 12;
    y += legend.draw(doc_, kMargin, y, width() - 2 * kMargin);
    SvgTextStyle note;
    note.size = 11;
    note.colour = "#666666";
    for (const std::string& text : notes) {
        if (!text.empty()) {
            y += 15;
            doc_.text(SvgPoint{kMargin, y}, text, note);
        }
    }
    doc_.set_height(y + 16);
    return doc_.str();
}

}  // namespace kv3dcli
