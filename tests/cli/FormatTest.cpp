#include <cfloat>
#include <charconv>

#include "CliTestSupport.h"
#include "EvenSample.h"
#include "NumberFormat.h"
#include "SvgDocument.h"
#include "SvgPanel.h"

namespace {

using kv3dcli::format_number;
using kv3dcli::SvgBox;
using kv3dcli::SvgDocument;

// The indices an even sample of n items at most limit visits.
std::string visits(std::size_t n, std::size_t limit) {
    std::string all;
    kv3dcli::EvenSample(n, limit).for_each([&](std::size_t i) { all += " " + std::to_string(i); });
    return all;
}

std::string note(std::size_t n, std::size_t limit) {
    return kv3dcli::EvenSample(n, limit).note("points");
}

// The scale that fits the points (u, v) into 80 % of a 200 by 100 region.
std::string fit_scale(std::initializer_list<std::array<double, 2>> points) {
    kv3dcli::PlaneRect shown;
    for (const auto& p : points) {
        shown.include(p[0], p[1]);
    }
    return format_number(kv3dcli::SvgPanel::fit_scale(SvgBox{0, 0, 200, 100}, shown), 15);
}

std::string round_below(double length) {
    return format_number(kv3dcli::round_length_below(length), 15);
}

// Report numbers are rounded to the digits asked for, trailing zeros dropped.
// Picture numbers have at most two decimals and stay on the page; text is
// escaped and always UTF-8; a panel's scale fits the finite points shown (a
// unit square for a single one); scale bars have round lengths; large inputs
// are drawn in part.
TEST(Format, NumbersTextLengthsAndSamples) {
    using kv3dcli::svg_escape;
    using kv3dcli::svg_number;
    const std::string u = "\xef\xbf\xbd";  // U+FFFD, the replacement character
    const struct {
        const char* name;
        std::string got, want;
    } cases[] = {
        {"size just below 1000", format_number(999.9979840000001, 10), "999.997984"},
        {"rounds into the next power of ten", format_number(9.96, 2), "10"},
        {"a million at 7", format_number(1e6, 7), "1000000"},
        {"a million at 6", format_number(1e6, 6), "1e+06"},
        {"large integer at 17", format_number(305106314845305472.0, 17), "3.051063148453055e+17"},
        {"fixed down to 1e-4", format_number(0.0001234, 10), "0.0001234"},
        {"scientific below 1e-4", format_number(0.00001234, 10), "1.234e-05"},
        {"negative zero", format_number(-0.0, 10), "-0"},
        {"largest double at 17", format_number(DBL_MAX, 17), "1.7976931348623157e+308"},
        {"largest double rounds past it", format_number(DBL_MAX, 1), "2e+308"},
        {"smallest subnormal", format_number(4.9406564584124654e-324, 3), "5e-324"},
        {"minus infinity", format_number(-INFINITY, 10), "-inf"},
        {"nan with its sign bit set", format_number(-std::nan(""), 10), "nan"},
        {"digits below 1 act as 1", format_number(0.96, 0), "1"},
        {"digits above 17 act as 17", format_number(0.1, 40), "0.1"},
        {"svg number, integer", svg_number(3.0), "3"},
        {"svg number, rounded to two decimals", svg_number(1.23456), "1.23"},
        {"svg number, tiny negative is zero", svg_number(-0.001), "0"},
        {"svg number, far off the page", svg_number(1e300), "10000000"},
        {"svg number, far off the other way", svg_number(-1e300), "-10000000"},
        {"svg number, nan", svg_number(std::nan("")), "0"},
        {"svg text, markup", svg_escape("a<b & c>\"d'"), "a&lt;b &amp; c&gt;&quot;d&apos;"},
        {"svg text, control characters", svg_escape("a\tb\nc\x01"), "a b c "},
        {"svg text, two-byte character", svg_escape("\xc2\xb5m"), "\xc2\xb5m"},
        {"svg text, three-byte character", svg_escape("\xe2\x82\xac"), "\xe2\x82\xac"},
        {"svg text, stray continuation byte", svg_escape("a\x80z"), "a" + u + "z"},
        {"svg text, overlong form", svg_escape("\xc0\xaf"), u + u},
        {"svg text, surrogate", svg_escape("\xed\xa0\x80"), u + u + u},
        {"svg text, beyond U+10FFFF", svg_escape("\xf4\x90\x80\x80"), u + u + u + u},
        {"svg text, cut off at the end", svg_escape("ab\xe2\x82"), "ab\xef\xbf\xbd\xef\xbf\xbd"},
        {"fit scale, taller than wide", fit_scale({{0, 0}, {1, 4}}), "20"},
        {"fit scale, one point and one not finite", fit_scale({{3, 4}, {NAN, 1e9}}), "80"},
        {"fit scale, no height", fit_scale({{0, 1}, {4, 1}}), "40"},
        {"round length below 7", round_below(7), "5"},
        {"round length below 1", round_below(1), "1"},
        {"round length below 0.3", round_below(0.3), "0.2"},
        {"round length below 1.99", round_below(1.99), "1"},
        {"round length below 2e-7", round_below(2e-7), "2e-07"},
        {"round length below 0", round_below(0), "0"},
        {"sample of nothing", visits(0, 10), ""},
        {"sample at the limit", visits(10, 10), " 0 1 2 3 4 5 6 7 8 9"},
        {"sample at the limit, note", note(10, 10), ""},
        {"sample one beyond", visits(11, 10), " 0 2 4 6 8 10"},
        {"sample one beyond, note", note(11, 10), "every 2nd of 11 points drawn (6)"},
        {"every third", note(30, 10), "every 3rd of 30 points drawn (10)"},
        {"every eleventh", note(101, 10), "every 11th of 101 points drawn (10)"},
        {"every twenty-first", note(201, 10), "every 21st of 201 points drawn (10)"},
        {"every hundred-twelfth", visits(1120, 10), " 0 112 224 336 448 560 672 784 896 1008"},
        {"stride, 1120 in 10", std::to_string(kv3dcli::EvenSample(1120, 10).stride()), "112"},
        {"every hundred-twelfth, note", note(1120, 10), "every 112th of 1120 points drawn (10)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got, c.want) << "case: " << c.name;
    }
}

// Well-formedness is checked by rendering every picture (ReportTest.cpp).
// Here: a clip left open is closed by str(), and a corner left over after the
// last whole polygon draws nothing.
TEST(Format, SvgDocumentClosesWhatItOpens) {
    SvgDocument doc(200, 100);
    doc.begin_clip(SvgBox{10, 10, 50, 50});
    doc.polygons({{0, 0}, {1, 0}, {0, 1}, {2, 2}, {3, 2}, {2, 3}, {9, 9}}, 3, {});
    doc.begin_clip(SvgBox{0, 0, 5, 5});
    const std::string svg = doc.str();
    EXPECT_EQ(cli_test::count(svg, "<g"), cli_test::count(svg, "</g>")) << "case: groups closed";
    EXPECT_EQ(cli_test::count(svg, "<clipPath"), 2u) << "case: one clip path per clip";
    EXPECT_EQ(cli_test::count(svg, "<polygon"), 2u) << "case: a corner left over";
}

// Random doubles of every magnitude: at most the digits asked for (from the
// first to the last non-zero digit of the mantissa), within half a unit of the
// last digit plus half a unit of the last bit; at 17 digits the same double.
TEST(Format, RandomValuesKeepTheirDigitsAndReadBackClose) {
    std::mt19937_64 rng(4242);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    const std::regex outside(R"(^-?[0.]*|\.|0+$)");  // sign, dots, leading and trailing zeros
    for (int i = 0; i < 20000; ++i) {
        const double value = std::ldexp(mantissa(rng), static_cast<int>(rng() % 2001) - 1000);
        const int digits = 1 + static_cast<int>(rng() % 17);
        const std::string text = format_number(value, digits);
        const std::string name =
            format_number(value) + " at " + std::to_string(digits) + ": " + text;
        double back = 0.0;
        const auto read = std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(read.ptr, text.data() + text.size()) << "case: " << name;
        const std::string used = std::regex_replace(text.substr(0, text.find('e')), outside, "");
        EXPECT_LE(used.size(), static_cast<std::size_t>(digits)) << "case: " << name;
        const double bound = (0.5 * std::pow(10.0, 1 - digits) + DBL_EPSILON) * std::fabs(value);
        EXPECT_LE(std::fabs(back - value), bound) << "case: " << name;
        if (digits == 17) {
            EXPECT_EQ(back, value) << "case: " << name;
        }
    }
}

}  // namespace
