#include <cmath>

#include "EvenSample.h"
#include "SvgDocument.h"
#include "SvgPanel.h"
#include "cli/CliTestSupport.h"

namespace {

using cli_test::count;
using kv3dcli::EvenSample;
using kv3dcli::PlaneRect;
using kv3dcli::SvgBox;
using kv3dcli::SvgDocument;
using kv3dcli::SvgPanel;
using kv3dcli::SvgStyle;

// Numbers have at most two decimals and stay on the page.
TEST(SvgWriter, NumbersAndTextAreWrittenSafely) {
    const struct {
        const char* name;
        double value;
        const char* text;
    } numbers[] = {
        {"integer", 3.0, "3"},
        {"rounded to two decimals", 1.23456, "1.23"},
        {"negative", -7.125, "-7.12"},
        {"tiny negative is zero", -0.001, "0"},
        {"negative zero", -0.0, "0"},
        {"far off the page", 1e300, "10000000"},
        {"far off the other way", -1e300, "-10000000"},
        {"nan", std::nan(""), "0"},
        {"infinity", INFINITY, "0"},
    };
    for (const auto& c : numbers) {
        EXPECT_EQ(kv3dcli::svg_number(c.value), c.text) << "case: " << c.name;
    }
    // Text is escaped and always UTF-8.
    const struct {
        const char* name;
        std::string text;
        std::string escaped;
    } texts[] = {
        {"markup", "a<b & c>\"d'", "a&lt;b &amp; c&gt;&quot;d&apos;"},
        {"control characters", "a\tb\nc\x01", "a b c "},
        {"two-byte character", "\xc2\xb5m", "\xc2\xb5m"},
        {"three-byte character", "\xe2\x82\xac", "\xe2\x82\xac"},
        {"four-byte character", "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
        {"stray continuation byte", "a\x80z", "a\xef\xbf\xbdz"},
        {"latin-1 byte", "caf\xe9.txt", "caf\xef\xbf\xbd.txt"},
        {"overlong form", "\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},
        {"surrogate", "\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"cut off at the end", "ab\xe2\x82", "ab\xef\xbf\xbd\xef\xbf\xbd"},
    };
    for (const auto& c : texts) {
        EXPECT_EQ(kv3dcli::svg_escape(c.text), c.escaped) << "case: " << c.name;
    }
}

// Well-formedness is checked by rendering every picture (ReportTest.cpp).
// Here: a clip left open is closed by str(), and a corner left over after the
// last whole polygon draws nothing.
TEST(SvgWriter, DocumentClosesWhatItOpens) {
    SvgDocument doc(200, 100);
    doc.begin_clip(SvgBox{10, 10, 50, 50});
    doc.polygons({{0, 0}, {1, 0}, {0, 1}, {2, 2}, {3, 2}, {2, 3}, {9, 9}}, 3, SvgStyle());
    doc.begin_clip(SvgBox{0, 0, 5, 5});
    const std::string svg = doc.str();
    EXPECT_EQ(count(svg, "<g"), count(svg, "</g>")) << "case: every group closed";
    EXPECT_EQ(count(svg, "<clipPath"), 2u) << "case: one clip path per clip";
    EXPECT_EQ(count(svg, "<polygon"), 2u) << "case: a corner left over";
}

TEST(SvgWriter, PanelMapsModelToPictureAtOneScale) {
    PlaneRect shown, point, flat;
    shown.include(0, 0);
    shown.include(10, 5);
    shown.include(NAN, 1e9);  // left out
    point.include(3, 4);
    flat.include(0, 1);
    flat.include(4, 1);
    const SvgBox region{100, 50, 200, 200};
    SvgDocument doc(400, 300);
    const SvgPanel panel(doc, region, shown), single(doc, region, point);
    // 10 model units across 80 % of 200 pixels, centred, v up.
    EXPECT_DOUBLE_EQ(panel.scale(), 16.0) << "case: fitted scale";
    EXPECT_DOUBLE_EQ(panel.map(5, 2.5).x, 200.0) << "case: centre x";
    EXPECT_DOUBLE_EQ(panel.map(5, 2.5).y, 150.0) << "case: centre y";
    EXPECT_DOUBLE_EQ(panel.map(5, 3).y, 142.0) << "case: v points up";
    EXPECT_DOUBLE_EQ(panel.unmap(panel.map(7.25, -1.5)).u, 7.25) << "case: unmap u";
    EXPECT_DOUBLE_EQ(panel.unmap(panel.map(7.25, -1.5)).v, -1.5) << "case: unmap v";
    EXPECT_DOUBLE_EQ(single.map(3, 4).x, 200.0) << "case: a single point in the centre";
    EXPECT_DOUBLE_EQ(single.scale(), 160.0) << "case: a single point shows a unit square";
    EXPECT_DOUBLE_EQ(SvgPanel::fit_scale(region, flat), 40.0) << "case: no height";
    EXPECT_DOUBLE_EQ(SvgPanel(doc, region, flat, 2.0).scale(), 2.0) << "case: a given scale";
}

TEST(SvgWriter, RoundLengthsAndEvenSamples) {
    const struct {
        double length, round;
    } lengths[] = {{7, 5}, {1, 1}, {0.3, 0.2}, {999, 500}, {1.99, 1}, {2e-7, 2e-7}, {0, 0}};
    for (const auto& c : lengths) {
        EXPECT_DOUBLE_EQ(kv3dcli::round_length_below(c.length), c.round)
            << "case: round length below " << c.length;
    }

    const struct {
        const char* name;
        std::size_t n, limit, stride, size;
        const char* note;
    } samples[] = {
        {"empty", 0, 10, 1, 0, ""},
        {"at the limit", 10, 10, 1, 10, ""},
        {"one beyond", 11, 10, 2, 6, "every 2nd of 11 points drawn (6)"},
        {"third", 30, 10, 3, 10, "every 3rd of 30 points drawn (10)"},
        {"eleventh", 101, 10, 11, 10, "every 11th of 101 points drawn (10)"},
        {"twenty-first", 201, 10, 21, 10, "every 21st of 201 points drawn (10)"},
        {"hundred-twelfth", 1120, 10, 112, 10, "every 112th of 1120 points drawn (10)"},
    };
    for (const auto& c : samples) {
        const EvenSample sample(c.n, c.limit);
        EXPECT_EQ(sample.stride(), c.stride) << "case: " << c.name;
        EXPECT_EQ(sample.size(), c.size) << "case: " << c.name;
        EXPECT_EQ(sample.note("points"), c.note) << "case: " << c.name;
        std::size_t visited = 0;
        sample.for_each([&](std::size_t i) {
            EXPECT_EQ(i, visited * c.stride) << "case: " << c.name;
            ++visited;
        });
        EXPECT_EQ(visited, c.size) << "case: " << c.name;
    }
}

}  // namespace
