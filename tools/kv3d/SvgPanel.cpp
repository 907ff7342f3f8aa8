#include "SvgPanel.h"

#include <algorithm>
#include <cmath>

#include "NumberFormat.h"

namespace kv3dcli {

namespace {

// The blank margin around the shown rectangle, as a fraction of the region.
constexpr double kMargin = 0.1;

const char* const kFrameColour = "#bbbbbb";
const char* const kInkColour = "#444444";

}  // namespace

void PlaneRect::include(double u, double v) {
    if (!std::isfinite(u) || !std::isfinite(v)) {
        return;
    }
    if (empty_) {
        min_u_ = max_u_ = u;
        min_v_ = max_v_ = v;
        empty_ = false;
        return;
    }
    min_u_ = std::min(min_u_, u);
    max_u_ = std::max(max_u_, u);
    min_v_ = std::min(min_v_, v);
    max_v_ = std::max(max_v_, v);
}

double SvgPanel::fit_scale(const SvgBox& region, const PlaneRect& shown) {
    const double inner = 1.0 - 2.0 * kMargin;
    // Without width and height the rectangle stands for a unit square, and
    // with one of them zero the other decides.
    double du = shown.empty() ? 0.0 : shown.max_u() - shown.min_u();
    double dv = shown.empty() ? 0.0 : shown.max_v() - shown.min_v();
    if (du == 0.0 && dv == 0.0) {
        du = dv = 1.0;
    }
    const double su = du > 0.0 ? region.width * inner / du : INFINITY;
    const double sv = dv > 0.0 ? region.height * inner / dv : INFINITY;
    const double scale = std::min(su, sv);
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

SvgPanel::SvgPanel(SvgDocument& doc, const SvgBox& region, const PlaneRect& shown, double scale)
    : doc_(&doc),
      region_(region),
      scale_(scale > 0.0 ? scale : fit_scale(region, shown)),
      centre_u_(shown.min_u() / 2 + shown.max_u() / 2),
      centre_v_(shown.min_v() / 2 + shown.max_v() / 2) {}

SvgPoint SvgPanel::map(double u, double v) const {
    return SvgPoint{region_.x + region_.width / 2 + (u - centre_u_) * scale_,
                    region_.y + region_.height / 2 - (v - centre_v_) * scale_};
}

std::vector<SvgPoint> SvgPanel::map(const std::vector<PlanePoint>& points) const {
    std::vector<SvgPoint> mapped;
    mapped.reserve(points.size());
    for (const PlanePoint& p : points) {
        mapped.push_back(map(p));
    }
    return mapped;
}

PlanePoint SvgPanel::unmap(const SvgPoint& p) const {
    return PlanePoint{centre_u_ + (p.x - region_.x - region_.width / 2) / scale_,
                      centre_v_ - (p.y - region_.y - region_.height / 2) / scale_};
}

void SvgPanel::frame(const std::string& title, const std::string& u_name,
                     const std::string& v_name) {
    SvgStyle border;
    border.stroke = kFrameColour;
    doc_->rect(region_, border);
    SvgTextStyle heading;
    heading.bold = true;
    doc_->text(SvgPoint{region_.x, region_.y - 6}, title, heading);

    // Two arrows of 24 pixels from the lower left corner.
    SvgStyle arrow;
    arrow.stroke = kInkColour;
    arrow.stroke_width = 1.2;
    const SvgPoint o{region_.x + 12, region_.y + region_.height - 12};
    const SvgPoint u_end{o.x + 24, o.y};
    const SvgPoint v_end{o.x, o.y - 24};
    doc_->line(o, u_end, arrow);
    doc_->line(o, v_end, arrow);
    doc_->polyline({{u_end.x - 5, u_end.y - 3}, u_end, {u_end.x - 5, u_end.y + 3}}, arrow);
    doc_->polyline({{v_end.x - 3, v_end.y + 5}, v_end, {v_end.x + 3, v_end.y + 5}}, arrow);
    SvgTextStyle label;
    label.size = 11;
    label.colour = kInkColour;
    doc_->text(SvgPoint{u_end.x + 3, u_end.y + 4}, u_name, label);
    label.anchor = "middle";
    doc_->text(SvgPoint{v_end.x, v_end.y - 4}, v_name, label);
}

void SvgPanel::scale_bar() {
    const double length = round_length_below(region_.width / 5 / scale_);
    if (!std::isfinite(length) || length <= 0.0) {
        return;
    }
    const double pixels = length * scale_;
    const double right = region_.x + region_.width - 12;
    const double y = region_.y + region_.height - 12;
    SvgStyle bar;
    bar.stroke = kInkColour;
    bar.stroke_width = 1.5;
    doc_->line(SvgPoint{right - pixels, y}, SvgPoint{right, y}, bar);
    doc_->line(SvgPoint{right - pixels, y - 4}, SvgPoint{right - pixels, y + 1}, bar);
    doc_->line(SvgPoint{right, y - 4}, SvgPoint{right, y + 1}, bar);
    SvgTextStyle label;
    label.size = 11;
    label.colour = kInkColour;
    label.anchor = "middle";
    // Six digits undo the rounding of 2 * 10^-k and the like.
    doc_->text(SvgPoint{right - pixels / 2, y - 6}, format_number(length, 6), label);
}

double round_length_below(double length) {
    if (!(length > 0.0) || !std::isfinite(length)) {
        return 0.0;
    }
    const double power = std::pow(10.0, std::floor(std::log10(length)));
    for (double step : {5.0, 2.0, 1.0}) {
        if (step * power <= length) {
            return step * power;
        }
    }
    // log10 rounded up across a power of ten.
    return power / 2;
}

}  // namespace kv3dcli
