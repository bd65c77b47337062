#pragma once

#include <QWidget>
#include <vector>

#include "report/plot_series.h"

namespace kanimo {

// The run's series drawn as it goes, from the same windows as kanimo-sim --plot: the
// living and the dead (the dead as the band from the fewest to the most of any step of a
// window, around their mean), births and deaths per window side by side, and the share of
// each segment kind among the living's segments. Hovering shows a window's values.
class ChartPanel : public QWidget {
  public:
    explicit ChartPanel(QWidget* parent = nullptr);
    void setSeries(const std::vector<PlotSeries::Window>& windows, long long windowSteps);
    QSize sizeHint() const override { return QSize(800, 260); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    int windowAt(QPointF at) const;
    QRectF plotArea(int panel) const;

    std::vector<PlotSeries::Window> windows_;
    long long windowSteps_ = 1;
    int hover_ = -1;
};

} // namespace kanimo
