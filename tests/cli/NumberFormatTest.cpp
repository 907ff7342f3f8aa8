#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "NumberFormat.h"

namespace {

using kv3dcli::format_number;

// The significant digits of a number's text: the mantissa without sign,
// point, leading zeros and trailing zeros.
int significant_digits(std::string text) {
    text = text.substr(0, text.find('e'));
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c < '0' || c > '9'; }),
               text.end());
    const std::size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? 0
                                      : static_cast<int>(text.find_last_not_of('0') - first + 1);
}

TEST(NumberFormat, RoundsToTheDigitsAndDropsTrailingZeros) {
    const struct {
        const char* name;
        double value;
        int digits;
        const char* text;
    } cases[] = {
        {"size just below 1000", 999.9979840000001, 10, "999.997984"},
        {"rounds into the next power of ten", 9.96, 2, "10"},
        {"integer with fewer digits than asked", 100, 10, "100"},
        {"a million at 7", 1e6, 7, "1000000"},
        {"a million at 6", 1e6, 6, "1e+06"},
        {"integer with more digits than asked", 8001, 3, "8e+03"},
        {"large integer at 17 digits", 305106314845305472.0, 17, "3.051063148453055e+17"},
        {"fixed down to 1e-4", 0.0001234, 10, "0.0001234"},
        {"scientific below 1e-4", 0.00001234, 10, "1.234e-05"},
        {"negative zero", -0.0, 10, "-0"},
        {"largest double at 17", DBL_MAX, 17, "1.7976931348623157e+308"},
        {"largest double rounds past it at 1", DBL_MAX, 1, "2e+308"},
        {"smallest subnormal", std::numeric_limits<double>::denorm_min(), 3, "5e-324"},
        {"minus infinity", -INFINITY, 10, "-inf"},
        {"nan", std::nan(""), 10, "nan"},
        {"nan with its sign bit set", -std::nan(""), 10, "nan"},
        {"digits below 1 act as 1", 0.96, 0, "1"},
        {"digits above 17 act as 17", 0.1, 40, "0.1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format_number(c.value, c.digits), c.text) << "case: " << c.name;
    }
}

// Random doubles of every magnitude: at most the digits asked for, within
// half a unit of the last digit; at 17 digits the same double.
TEST(NumberFormat, RandomValuesKeepTheirDigitsAndReadBackClose) {
    std::mt19937_64 rng(4242);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i) {
        const double value = std::ldexp(mantissa(rng), static_cast<int>(rng() % 2001) - 1000);
        const int digits = 1 + static_cast<int>(rng() % 17);
        const std::string text = format_number(value, digits);
        const std::string name = format_number(value) + " at " + std::to_string(digits);
        double back = 0.0;
        const auto read = std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(read.ptr, text.data() + text.size()) << "case: " << name << " -> " << text;
        EXPECT_LE(significant_digits(text), digits) << "case: " << name << " -> " << text;
        // Half a unit of the last digit, and half a unit of the last bit of
        // the double the text reads back to.
        const double bound = (0.5 * std::pow(10.0, 1 - digits) + DBL_EPSILON) * std::fabs(value);
        EXPECT_LE(std::fabs(back - value), bound) << "case: " << name << " -> " << text;
        if (digits == 17) {
            EXPECT_EQ(back, value) << "case: " << name << " -> " << text;
        }
    }
}

}  // namespace
