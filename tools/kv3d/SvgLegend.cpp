#include "SvgLegend.h"

#include <algorithm>

namespace kv3dcli {

namespace {

constexpr double kTextSize = 11.0;
constexpr double kRowHeight = 18.0;
constexpr double kSwatchWidth = 22.0;
constexpr double kGap = 18.0;

}  // namespace

double estimated_text_width(const std::string& text, double size) {
    // UTF-8 continuation bytes take no width of their own.
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    });
    return 0.6 * size * static_cast<double>(characters);
}

void SvgLegend::add(Swatch swatch, const SvgStyle& style, const std::string& label) {
    entries_.push_back(Entry{swatch, style, label});
}

double SvgLegend::draw(SvgDocument& doc, double x, double y, double width) const {
    if (entries_.empty()) {
        return 0.0;
    }
    SvgTextStyle text;
    text.size = kTextSize;
    double at = x;
    double row = y + kRowHeight / 2;
    for (const Entry& e : entries_) {
        const double entry_width =
            kSwatchWidth + 6 + estimated_text_width(e.label, kTextSize) + kGap;
        if (at > x && at + entry_width - kGap > x + width) {
            at = x;
            row += kRowHeight;
        }
        switch (e.swatch) {
            case Swatch::kLine:
                doc.line(SvgPoint{at, row}, SvgPoint{at + kSwatchWidth, row}, e.style);
                break;
            case Swatch::kDot:
                doc.circle(SvgPoint{at + kSwatchWidth / 2, row}, 4, e.style);
                break;
            case Swatch::kArea:
                doc.rect(SvgBox{at + 3, row - 6, kSwatchWidth - 6, 12}, e.style);
                break;
            case Swatch::kCross:
                doc.cross(SvgPoint{at + kSwatchWidth / 2, row}, 5, e.style);
                break;
        }
        doc.text(SvgPoint{at + kSwatchWidth + 6, row + 4}, e.label, text);
        at += entry_width;
    }
    return row + kRowHeight / 2 - y;
}

}  // namespace kv3dcli
