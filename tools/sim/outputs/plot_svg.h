#pragma once

#include <string>

namespace kanimo {

class PlotSeries;

// The --plot chart as an SVG document: three panels over the steps of the run, with axes,
// units and legends: the living and the dead (mean per window), births and deaths per
// window, and the share of each segment kind among the living's segments, stacked.
// `title` heads the chart; it is escaped here.
std::string plotSvg(const PlotSeries& series, const std::string& title);

} // namespace kanimo
