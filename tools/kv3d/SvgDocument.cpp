#include "SvgDocument.h"

#include <charconv>
#include <cmath>

namespace kv3dcli {

namespace {

std::string box_attributes(const SvgBox& box) {
    return "x=\"" + svg_number(box.x) + "\" y=\"" + svg_number(box.y) + "\" width=\"" +
           svg_number(box.width) + "\" height=\"" + svg_number(box.height) + "\"";
}

// The length of the UTF-8 sequence that starts at text[i], or 0 when the
// bytes there are not one (overlong forms and surrogates included).
std::size_t utf8_length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) {
        return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u;
    };
    const unsigned lead = byte(i);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xbf;  // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xbf) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string svg_number(double value) {
    // Pictures never need more than a hundredth of a pixel; a coordinate that
    // is not finite or far off the page is pinned, so that the file stays
    // well formed whatever it is given.
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    value = std::fmax(-1e7, std::fmin(1e7, value));
    char buffer[32];
    const auto printed =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    std::string text(buffer, printed.ptr);
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string svg_escape(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            const std::size_t length = utf8_length(text, i);
            escaped += length > 0 ? text.substr(i, length) : std::string("\xef\xbf\xbd");
            i += length > 0 ? length - 1 : 0;
            continue;
        }
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                escaped += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
    }
    return escaped;
}

SvgDocument::SvgDocument(double width, double height) : width_(width), height_(height) {}

std::string SvgDocument::style_attributes(const SvgStyle& style) {
    std::string attributes = "stroke=\"" + style.stroke + "\" fill=\"" + style.fill + "\"";
    if (style.stroke != "none") {
        attributes += " stroke-width=\"" + svg_number(style.stroke_width) + "\"";
    }
    if (style.fill != "none" && style.fill_opacity < 1.0) {
        attributes += " fill-opacity=\"" + svg_number(style.fill_opacity) + "\"";
    }
    if (style.dashed) {
        attributes += " stroke-dasharray=\"" + svg_number(4 * style.stroke_width) + " " +
                      svg_number(3 * style.stroke_width) + "\"";
    }
    return attributes;
}

void SvgDocument::shape(const std::string& element, const std::string& attributes,
                        const SvgStyle& style) {
    body_ += "<" + element + " " + attributes + " " + style_attributes(style) + "/>\n";
}

void SvgDocument::line(SvgPoint a, SvgPoint b, const SvgStyle& style) {
    shape("line",
          "x1=\"" + svg_number(a.x) + "\" y1=\"" + svg_number(a.y) + "\" x2=\"" + svg_number(b.x) +
              "\" y2=\"" + svg_number(b.y) + "\"",
          style);
}

namespace {

std::string point_list(const SvgPoint* first, const SvgPoint* last) {
    std::string list;
    for (const SvgPoint* p = first; p != last; ++p) {
        list += (p == first ? "" : " ") + svg_number(p->x) + "," + svg_number(p->y);
    }
    return list;
}

}  // namespace

void SvgDocument::polyline(const std::vector<SvgPoint>& points, const SvgStyle& style) {
    if (points.empty()) {
        return;
    }
    const std::string list = point_list(points.data(), points.data() + points.size());
    shape("polyline", "points=\"" + list + "\" stroke-linejoin=\"round\"", style);
}

void SvgDocument::polygons(const std::vector<SvgPoint>& points, std::size_t corners,
                           const SvgStyle& style) {
    if (corners == 0 || points.size() < corners) {
        return;
    }
    body_ += "<g " + style_attributes(style) + " stroke-linejoin=\"round\">\n";
    for (std::size_t i = 0; i + corners <= points.size(); i += corners) {
        body_ += "<polygon points=\"" + point_list(&points[i], &points[i] + corners) + "\"/>\n";
    }
    body_ += "</g>\n";
}

void SvgDocument::circle(SvgPoint centre, double radius, const SvgStyle& style) {
    shape("circle",
          "cx=\"" + svg_number(centre.x) + "\" cy=\"" + svg_number(centre.y) + "\" r=\"" +
              svg_number(radius) + "\"",
          style);
}

void SvgDocument::cross(SvgPoint c, double size, const SvgStyle& style) {
    line(SvgPoint{c.x - size, c.y - size}, SvgPoint{c.x + size, c.y + size}, style);
    line(SvgPoint{c.x - size, c.y + size}, SvgPoint{c.x + size, c.y - size}, style);
}

void SvgDocument::dots(const std::vector<SvgPoint>& centres, double radius, const SvgStyle& style) {
    if (centres.empty()) {
        return;
    }
    body_ += "<g " + style_attributes(style) + ">\n";
    const std::string r = "\" r=\"" + svg_number(radius) + "\"/>\n";
    for (const SvgPoint& c : centres) {
        body_ += "<circle cx=\"" + svg_number(c.x) + "\" cy=\"" + svg_number(c.y) + r;
    }
    body_ += "</g>\n";
}

void SvgDocument::rect(const SvgBox& box, const SvgStyle& style) {
    shape("rect", box_attributes(box), style);
}

void SvgDocument::text(SvgPoint at, const std::string& text, const SvgTextStyle& style) {
    body_ += "<text x=\"" + svg_number(at.x) + "\" y=\"" + svg_number(at.y) + "\" font-size=\"" +
             svg_number(style.size) + "\" fill=\"" + style.colour + "\"";
    if (style.anchor != "start") {
        body_ += " text-anchor=\"" + style.anchor + "\"";
    }
    if (style.bold) {
        body_ += " font-weight=\"bold\"";
    }
    body_ += ">" + svg_escape(text) + "</text>\n";
}

void SvgDocument::begin_clip(const SvgBox& box) {
    const std::string id = "clip" + std::to_string(next_id_++);
    defs_ += "<clipPath id=\"" + id + "\"><rect " + box_attributes(box) + "/></clipPath>\n";
    body_ += "<g clip-path=\"url(#" + id + ")\">\n";
    ++open_clips_;
}

void SvgDocument::end_clip() {
    if (open_clips_ > 0) {
        body_ += "</g>\n";
        --open_clips_;
    }
}

std::string SvgDocument::horizontal_gradient(const std::vector<std::string>& colours) {
    const std::string id = "gradient" + std::to_string(next_id_++);
    defs_ += "<linearGradient id=\"" + id + "\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"0\">\n";
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const double offset = colours.size() > 1
                                  ? static_cast<double>(i) / static_cast<double>(colours.size() - 1)
                                  : 0.0;
        defs_ +=
            "<stop offset=\"" + svg_number(offset) + "\" stop-color=\"" + colours[i] + "\"/>\n";
    }
    defs_ += "</linearGradient>\n";
    return "url(#" + id + ")";
}

std::string SvgDocument::str() const {
    const std::string w = svg_number(width_);
    const std::string h = svg_number(height_);
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    doc += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + w +
           "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
           "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n";
    if (!defs_.empty()) {
        doc += "<defs>\n" + defs_ + "</defs>\n";
    }
    doc += "<rect x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n";
    doc += body_;
    for (int i = 0; i < open_clips_; ++i) {
        doc += "</g>\n";
    }
    return doc + "</svg>\n";
}

}  // namespace kv3dcli
