#include "outputs/plot_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "report/plot_series.h"
#include "report/stats_csv.h"

namespace kanimo {

namespace {

constexpr double chartWidth = 960;
constexpr double plotLeft = 80;
constexpr double plotRight = chartWidth - 30;
constexpr double panelTop = 60; // top of the first panel's plot area
constexpr double panelHeight = 170;
constexpr double panelSpacing = 250; // from one panel's top to the next
constexpr double chartHeight = panelTop + 2 * panelSpacing + panelHeight + 55;

const char* const livingColour = "#2e8b57";
const char* const deadColour = "#8a8a8a";
const char* const deadBandColour = "#c8c8c8";
const char* const birthColour = "#1f6fb4";
const char* const deathColour = "#c8323c";
const char* const kindColours[4] = {"#a9a9a9", "#d1495b", "#66a61e", "#3b75af"};

// A tick spacing of 1, 2 or 5 times a power of ten that gives at most `count` ticks.
double tickSpacing(double span, int count) {
    if (!(span > 0)) return 1;
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) return m * power;
    }
    return 10 * power;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

struct Point {
    double offset; // steps from the chart's first step
    double value;
};

struct Bar {
    double from;
    double to;
    double value;
};

// One panel: its place, its scales and the SVG it has drawn so far.
class Panel {
  public:
    // The steps run from `firstStep` to `firstStep + span`; points are given as offsets
    // from the first step, which doubles hold exactly however large the step numbers are.
    Panel(std::string& svg, double top, long long firstStep, long long span, double maxValue)
        : svg_(svg), top_(top), firstStep_(firstStep), span_(span) {
        spacing_ = tickSpacing(maxValue, 5);
        maxValue_ = maxValue > 0 ? std::ceil(maxValue / spacing_) * spacing_ : 1;
        if (!(maxValue > 0)) spacing_ = 1;
    }

    double x(double offset) const {
        return plotLeft + offset / static_cast<double>(span_) * (plotRight - plotLeft);
    }
    double y(double value) const { return top_ + panelHeight * (1 - value / maxValue_); }

    void axes(const std::string& title, const std::string& unit, double valueScale) {
        const double bottom = top_ + panelHeight;
        svg_ += "<text x='" + number(plotLeft) + "' y='" + number(top_ - 12) +
                "' font-size='14' font-weight='bold'>" + escaped(title) + "</text>\n";
        for (double v = 0; v <= maxValue_ + spacing_ / 2; v += spacing_) {
            svg_ += "<line x1='" + number(plotLeft) + "' x2='" + number(plotRight) + "' y1='" +
                    number(y(v)) + "' y2='" + number(y(v)) + "' stroke='#e4e4e4'/>\n";
            svg_ += "<text x='" + number(plotLeft - 6) + "' y='" + number(y(v) + 4) +
                    "' text-anchor='end'>" + number(v * valueScale) + "</text>\n";
        }
        // Whole steps, counted in integers: past 2^53 a double no longer moves by a step.
        const auto stepSpacing =
            static_cast<long long>(std::max(1.0, tickSpacing(static_cast<double>(span_), 10)));
        const long long past = firstStep_ % stepSpacing;
        for (long long offset = past == 0 ? 0 : stepSpacing - past; offset <= span_;
             offset += stepSpacing) {
            const std::string at = number(x(static_cast<double>(offset)));
            svg_ += "<line x1='" + at + "' x2='" + at + "' y1='" + number(bottom) + "' y2='" +
                    number(bottom + 5) + "' stroke='black'/>\n";
            svg_ += "<text x='" + at + "' y='" + number(bottom + 18) + "' text-anchor='middle'>" +
                    std::to_string(firstStep_ + offset) + "</text>\n";
        }
        const double middle = top_ + panelHeight / 2;
        svg_ += "<text transform='translate(" + number(plotLeft - 52) + "," + number(middle) +
                ") rotate(-90)' text-anchor='middle'>" + escaped(unit) + "</text>\n";
    }

    // Drawn last, over the data that reaches the edges.
    void frame() {
        svg_ += "<rect x='" + number(plotLeft) + "' y='" + number(top_) + "' width='" +
                number(plotRight - plotLeft) + "' height='" + number(panelHeight) +
                "' fill='none' stroke='black'/>\n";
    }

    // Legend entries from the right end of the title line leftwards.
    void legend(const std::vector<std::pair<const char*, std::string>>& entries) {
        double right = plotRight;
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            const double textWidth = 7.0 * static_cast<double>(it->second.size());
            const double left = right - textWidth - 18;
            svg_ += "<rect x='" + number(left) + "' y='" + number(top_ - 23) +
                    "' width='12' height='12' fill='" + it->first + "'/>\n";
            svg_ += "<text x='" + number(left + 16) + "' y='" + number(top_ - 13) + "'>" +
                    escaped(it->second) + "</text>\n";
            right = left - 14;
        }
    }

    void line(const std::vector<Point>& points, const char* colour) {
        svg_ += "<polyline fill='none' stroke='" + std::string(colour) +
                "' stroke-width='1.5' points='";
        for (const Point& p : points) svg_ += number(x(p.offset)) + "," + number(y(p.value)) + " ";
        svg_ += "'/>\n";
    }

    // The band between two lines, `upper` left to right then `lower` back.
    void band(const std::vector<Point>& lower, const std::vector<Point>& upper,
              const char* colour) {
        svg_ += "<polygon stroke='none' fill='" + std::string(colour) + "' points='";
        for (const Point& p : upper) svg_ += number(x(p.offset)) + "," + number(y(p.value)) + " ";
        for (auto it = lower.rbegin(); it != lower.rend(); ++it) {
            svg_ += number(x(it->offset)) + "," + number(y(it->value)) + " ";
        }
        svg_ += "'/>\n";
    }

    // Bars from 0, one a window: each takes the part of its window from `from` to `to`, so
    // that two series side by side share a window without covering each other.
    void bars(const std::vector<Bar>& bars, const char* colour) {
        svg_ += "<path stroke='none' fill='" + std::string(colour) + "' d='";
        for (const Bar& b : bars) {
            if (!(b.value > 0)) continue;
            svg_ += 'M';
            svg_ += number(x(b.from)) + "," + number(y(0));
            svg_ += 'V';
            svg_ += number(y(b.value));
            svg_ += 'H';
            svg_ += number(x(b.to));
            svg_ += 'V';
            svg_ += number(y(0));
            svg_ += 'Z';
        }
        svg_ += "'/>\n";
    }

  private:
    std::string& svg_;
    double top_;
    long long firstStep_;
    long long span_;
    double maxValue_ = 1;
    double spacing_ = 1;
};

} // namespace

std::string plotSvg(const PlotSeries& series, const std::string& title) {
    const std::vector<PlotSeries::Window>& windows = series.windows();
    std::string svg = "<?xml version='1.0' encoding='UTF-8'?>\n"
                      "<svg xmlns='http://www.w3.org/2000/svg' width='" +
                      number(chartWidth) + "' height='" + number(chartHeight) + "' viewBox='0 0 " +
                      number(chartWidth) + " " + number(chartHeight) +
                      "' font-family='DejaVu Sans, sans-serif' font-size='12'>\n"
                      "<rect width='100%' height='100%' fill='white'/>\n"
                      "<text x='" +
                      number(chartWidth / 2) + "' y='24' font-size='16' text-anchor='middle'>" +
                      escaped(title) + "</text>\n";
    if (windows.empty()) return svg + "</svg>\n";

    const long long first = windows.front().firstStep;
    const long long chartSpan = windows.back().firstStep + windows.back().steps - first;
    const double span = static_cast<double>(series.windowSteps());

    // Means are drawn at the middle of their window (across it when there is only one), the
    // dead with a band from the fewest to the most of any step of the window; counts per
    // window as bars, births in the first half of the window and deaths in the second, a
    // short last window scaled up to a whole one.
    std::vector<Point> living, dead, deadLeast, deadMost;
    std::vector<Bar> births, deaths;
    std::vector<Point> stacked[5];
    double most = 0;
    double mostEvents = 0;
    for (const PlotSeries::Window& w : windows) {
        const double steps = static_cast<double>(w.steps);
        const double from = static_cast<double>(w.firstStep - first);
        const double to = from + steps;
        const double half = from + steps / 2;
        const double bornPer = static_cast<double>(w.births) * span / steps;
        const double diedPer = static_cast<double>(w.deaths) * span / steps;
        births.push_back({from, half, bornPer});
        deaths.push_back({half, to, diedPer});
        mostEvents = std::max({mostEvents, bornPer, diedPer});
        const double least = static_cast<double>(w.deadLeast);
        const double highest = static_cast<double>(w.deadMost);
        deadLeast.insert(deadLeast.end(), {{from, least}, {to, least}});
        deadMost.insert(deadMost.end(), {{from, highest}, {to, highest}});
        double shares[5] = {0, 0, 0, 0, 0};
        for (int k = 0; k < 4 && w.sharedSteps > 0; ++k) {
            shares[k + 1] = shares[k] + w.share[k] / static_cast<double>(w.sharedSteps);
        }
        const double middle = from + (steps - 1) / 2;
        for (const double at :
             windows.size() == 1 ? std::vector<double>{from, to} : std::vector<double>{middle}) {
            living.push_back({at, static_cast<double>(w.living) / steps});
            dead.push_back({at, static_cast<double>(w.dead) / steps});
            for (int k = 0; k < 5; ++k) stacked[k].push_back({at, shares[k]});
        }
        most = std::max({most, living.back().value, highest});
    }

    Panel population(svg, panelTop, first, chartSpan, most);
    population.axes("Creatures in the world", "creatures", 1);
    population.legend(
        {{livingColour, "living"}, {deadColour, "dead, shrinking (band: fewest to most)"}});
    population.band(deadLeast, deadMost, deadBandColour);
    population.line(dead, deadColour);
    population.line(living, livingColour);
    population.frame();

    const std::string per = span == 1 ? "per step" : "per " + number(span) + " steps";
    Panel events(svg, panelTop + panelSpacing, first, chartSpan, mostEvents);
    events.axes("Births and deaths, " + per, per, 1);
    events.legend({{birthColour, "births"}, {deathColour, "deaths"}});
    events.bars(births, birthColour);
    events.bars(deaths, deathColour);
    events.frame();

    Panel kinds(svg, panelTop + 2 * panelSpacing, first, chartSpan, 1);
    kinds.axes("Segment kinds among the living", "% of segments", 100);
    kinds.legend({{kindColours[0], segmentKindNames[0]},
                  {kindColours[1], segmentKindNames[1]},
                  {kindColours[2], segmentKindNames[2]},
                  {kindColours[3], segmentKindNames[3]}});
    for (int k = 0; k < 4; ++k) kinds.band(stacked[k], stacked[k + 1], kindColours[k]);
    kinds.frame();

    svg += "<text x='" + number((plotLeft + plotRight) / 2) + "' y='" + number(chartHeight - 12) +
           "' text-anchor='middle'>step</text>\n";
    return svg + "</svg>\n";
}

} // namespace kanimo
