#include "ResidualPicture.h"

#include <algorithm>
#include <cmath>

#include "NumberFormat.h"
#include "PicturePage.h"
#include "PictureStyle.h"
#include "SvgPanel.h"

namespace kv3dcli {

namespace {

constexpr double kChartHeight = 300.0;
// Room on the left for the residual labels and below for the pair numbers.
constexpr double kLabelWidth = 70.0;
constexpr int kTicks = 5;

// Tick labels are multiples of a round step; six digits undo its rounding.
std::string tick_text(double value) { return format_number(value, 6); }

// The smallest round step (1, 2 or 5 times a power of ten) with which kTicks
// steps reach largest.
double tick_step(double largest) {
    if (!(largest > 0.0) || !std::isfinite(largest)) {
        return 1.0 / kTicks;
    }
    const double least = largest / kTicks;
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= least) {
            return factor * power;
        }
    }
    return 10 * power;
}

}  // namespace

std::string residual_picture(const std::string& title, const std::vector<double>& residuals,
                             std::optional<double> rms, std::size_t exact_pairs, int digits) {
    const std::size_t n = residuals.size();
    const std::size_t run = std::max<std::size_t>(1, (n + kPictureMaxBars - 1) / kPictureMaxBars);
    const std::size_t bars = (n + run - 1) / run;
    std::size_t worst = 0;
    for (std::size_t i = 0; i < n; ++i) {
        worst = residuals[i] > residuals[worst] ? i : worst;
    }
    const double largest = n > 0 ? residuals[worst] : 0.0;

    std::string facts = std::to_string(n) + " pairs; largest residual " +
                        format_number(largest, digits) + " (pair " + std::to_string(worst) + ")";
    if (rms) {
        facts += ", RMS " + format_number(*rms, digits);
    }
    std::vector<std::string> lines{facts};
    if (exact_pairs > 0) {
        lines.push_back("pairs 0 to " + std::to_string(exact_pairs - 1) +
                        " build the transform; the others are only measured");
    }
    PicturePage page(760, title, lines);
    SvgDocument& doc = page.doc();
    const SvgBox chart{PicturePage::kMargin + kLabelWidth, page.top() + 12,
                       page.width() - 2 * PicturePage::kMargin - kLabelWidth, kChartHeight};
    SvgTextStyle heading;
    heading.bold = true;
    doc.text(SvgPoint{PicturePage::kMargin, chart.y - 6},
             "residual of each pair: distance of the moved source point from its target", heading);

    const double step = tick_step(largest);
    const double top = step * kTicks;
    const auto y_of = [&](double r) { return chart.y + chart.height * (1.0 - r / top); };
    SvgTextStyle small;
    small.size = 11;
    small.anchor = "end";
    const SvgStyle grid = stroke_style("#dddddd");
    for (int k = 0; k <= kTicks; ++k) {
        const double y = y_of(k * step);
        doc.line(SvgPoint{chart.x, y}, SvgPoint{chart.x + chart.width, y}, grid);
        doc.text(SvgPoint{chart.x - 6, y + 4}, tick_text(k * step), small);
    }

    const double slot = chart.width / static_cast<double>(std::max<std::size_t>(bars, 1));
    const double gap = slot > 4 ? slot * 0.2 : 0.0;
    const SvgStyle bar = fill_style(kColourPoints);
    const SvgStyle worst_bar = fill_style(kColourHighlight);
    for (std::size_t k = 0; k < bars; ++k) {
        const std::size_t first = k * run, last = std::min(n, first + run);
        const double height =
            *std::max_element(residuals.begin() + first, residuals.begin() + last);
        const double x = chart.x + k * slot + gap / 2;
        const double y = y_of(std::min(height, top));
        const bool has_worst = worst >= first && worst < last;
        doc.rect(SvgBox{x, y, slot - gap, chart.y + chart.height - y}, has_worst ? worst_bar : bar);
    }
    // Pair numbers under about ten bars.
    small.anchor = "middle";
    const std::size_t every = std::max<std::size_t>(1, (bars + 9) / 10);
    for (std::size_t k = 0; k < bars; k += every) {
        doc.text(SvgPoint{chart.x + (k + 0.5) * slot, chart.y + chart.height + 14},
                 std::to_string(k * run), small);
    }
    SvgTextStyle label = small;
    label.anchor = "start";
    label.colour = kColourHighlight;
    doc.text(SvgPoint{chart.x + (worst / run + 0.5) * slot + 4, y_of(largest) - 5},
             format_number(largest, digits), label);

    SvgLegend legend;
    legend.add(SvgLegend::Swatch::kArea, bar,
               run > 1 ? "largest residual of " + std::to_string(run) +
                             " consecutive pairs, from the pair "
                             "numbered below it"
                       : "residual of the pair numbered below it");
    legend.add(SvgLegend::Swatch::kArea, worst_bar, "largest residual");
    if (rms) {
        const SvgStyle line = stroke_style(kColourFit, 1.5, true);
        const double y = y_of(*rms);
        doc.line(SvgPoint{chart.x, y}, SvgPoint{chart.x + chart.width, y}, line);
        legend.add(SvgLegend::Swatch::kLine, line, "RMS residual");
    }
    const SvgStyle axis = stroke_style(kColourInk);
    doc.line(SvgPoint{chart.x, chart.y + chart.height},
             SvgPoint{chart.x + chart.width, chart.y + chart.height}, axis);
    doc.line(SvgPoint{chart.x, chart.y}, SvgPoint{chart.x, chart.y + chart.height}, axis);
    return page.finish(chart.y + chart.height + 20, legend, {});
}

}  // namespace kv3dcli
