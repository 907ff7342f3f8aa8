#pragma once

#include <string>
#include <vector>

#include "SvgDocument.h"

namespace kv3dcli {

// A point of a plane of the model: u to the right, v up in a picture.
struct PlanePoint {
    double u;
    double v;
};

// The smallest rectangle of a model plane that holds the points given to it;
// empty until the first. Points that are not finite are left out.
class PlaneRect {
public:
    void include(double u, double v);
    void include(const PlanePoint& p) { include(p.u, p.v); }

    bool empty() const { return empty_; }
    double min_u() const { return min_u_; }
    double min_v() const { return min_v_; }
    double max_u() const { return max_u_; }
    double max_v() const { return max_v_; }

private:
    bool empty_ = true;
    double min_u_ = 0.0;
    double min_v_ = 0.0;
    double max_u_ = 0.0;
    double max_v_ = 0.0;
};

// A framed region of a picture that shows a rectangle of a model plane at
// one scale in both directions (u to the right, v up), centred, with a tenth
// of blank margin. A rectangle without width and height shows a unit square
// around its point. Several panels share a scale when given the smallest of
// their fit_scale().
class SvgPanel {
public:
    // scale: pixels per model unit; 0 fits the rectangle into the region.
    SvgPanel(SvgDocument& doc, const SvgBox& region, const PlaneRect& shown, double scale = 0.0);

    // The largest scale at which the rectangle fits into the region.
    static double fit_scale(const SvgBox& region, const PlaneRect& shown);

    SvgDocument& doc() { return *doc_; }
    const SvgBox& region() const { return region_; }
    double scale() const { return scale_; }

    SvgPoint map(double u, double v) const;
    SvgPoint map(const PlanePoint& p) const { return map(p.u, p.v); }
    std::vector<SvgPoint> map(const std::vector<PlanePoint>& points) const;
    // The model plane point shown at a picture position.
    PlanePoint unmap(const SvgPoint& p) const;

    // A border, the title above it, and arrows naming the directions of u
    // and v in the lower left corner.
    void frame(const std::string& title, const std::string& u_name, const std::string& v_name);
    // A bar of a round model length (1, 2 or 5 times a power of ten) about a
    // fifth of the region wide, labelled with it, in the lower right corner.
    void scale_bar();
    // Until end_clip, shapes are cut to the region.
    void begin_clip() { doc_->begin_clip(region_); }
    void end_clip() { doc_->end_clip(); }

private:
    SvgDocument* doc_;
    SvgBox region_;
    double scale_;
    double centre_u_;
    double centre_v_;
};

// The largest of 1, 2 and 5 times a power of ten that is at most length
// (which is positive and finite).
double round_length_below(double length);

}  // namespace kv3dcli
