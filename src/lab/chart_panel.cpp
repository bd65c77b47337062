#include "lab/chart_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

#include "lab/kind_colours.h"

namespace kanimo {

namespace {

constexpr int panels = 3;
constexpr double leftMargin = 48;
constexpr double rightMargin = 10;
constexpr double readoutHeight = 34;
constexpr double titleHeight = 16;
constexpr double axisHeight = 14;

const QColor livingColour(200, 60, 50);
const QColor deadColour(90, 90, 100);
const QColor birthColour(60, 150, 70);
const QColor deathColour(180, 80, 40);
const char* const kindNames[4] = {"drag", "bite", "feed", "propel"};

double perStep(long long sum, const PlotSeries::Window& w) {
    return w.steps > 0 ? static_cast<double>(sum) / static_cast<double>(w.steps) : 0.0;
}

double kindShare(const PlotSeries::Window& w, int k) {
    return w.sharedSteps > 0 ? w.share[k] / static_cast<double>(w.sharedSteps) : 0.0;
}

// A round number at or above v for an axis: 1, 2 or 5 times a power of ten.
double niceTop(double v) {
    if (!(v > 0)) return 1.0;
    const double p = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * p >= v) return m * p;
    }
    return 10 * p;
}

} // namespace

ChartPanel::ChartPanel(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(260, 160);
}

void ChartPanel::setSeries(const std::vector<PlotSeries::Window>& windows, long long windowSteps) {
    windows_ = windows;
    windowSteps_ = windowSteps;
    update();
}

// The three panels side by side in a wide dock, one above the other in a tall one.
QRectF ChartPanel::plotArea(int panel) const {
    const bool sideBySide = width() > height() * 1.6;
    const double cellWidth = sideBySide ? static_cast<double>(width()) / panels : width();
    const double cellHeight =
        sideBySide ? height() - readoutHeight : (height() - readoutHeight) / panels;
    const double left = sideBySide ? panel * cellWidth : 0.0;
    const double top = readoutHeight + (sideBySide ? 0.0 : panel * cellHeight);
    return QRectF(left + leftMargin, top + titleHeight, cellWidth - leftMargin - rightMargin,
                  cellHeight - titleHeight - axisHeight);
}

int ChartPanel::windowAt(QPointF at) const {
    if (windows_.empty()) return -1;
    for (int panel = 0; panel < panels; ++panel) {
        const QRectF area = plotArea(panel);
        if (at.x() < area.left() || at.x() > area.right()) continue;
        if (at.y() < area.top() - titleHeight || at.y() > area.bottom() + axisHeight) continue;
        const int n = static_cast<int>(windows_.size());
        return std::clamp(static_cast<int>((at.x() - area.left()) / area.width() * n), 0, n - 1);
    }
    return -1;
}

void ChartPanel::mouseMoveEvent(QMouseEvent* event) {
    const int at = windowAt(event->position());
    if (at != hover_) {
        hover_ = at;
        update();
    }
}

void ChartPanel::leaveEvent(QEvent*) {
    hover_ = -1;
    update();
}

void ChartPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    p.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::Text);
    QFont small = font();
    small.setPointSizeF(std::max(7.0, small.pointSizeF() - 1));
    p.setFont(small);

    const int n = static_cast<int>(windows_.size());
    const char* const titles[panels] = {"Living (red) and dead (grey; band: fewest to most)",
                                        "Births (green, up) and deaths (orange, down) a step",
                                        "Share of each segment kind, living"};
    double tops[panels] = {1.0, 0.1, 1.0};
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        const PlotSeries::Window& w = windows_[i];
        tops[0] = std::max({tops[0], perStep(w.living, w), static_cast<double>(w.deadMost)});
        // The first window holds a seeding's births, which would flatten all the rest: its
        // bar may run off the scale.
        if (i > 0 || windows_.size() == 1) {
            tops[1] = std::max({tops[1], perStep(w.births, w), perStep(w.deaths, w)});
        }
    }
    tops[0] = niceTop(tops[0]);
    tops[1] = niceTop(tops[1]);

    for (int panel = 0; panel < panels; ++panel) {
        const QRectF a = plotArea(panel);
        p.setPen(text);
        p.drawText(QRectF(a.left() - leftMargin + 4, a.top() - titleHeight,
                          a.width() + leftMargin - 8, titleHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, tr(titles[panel]));
        p.setPen(QPen(palette().color(QPalette::Mid), 1));
        p.drawRect(a);
        const QString top = panel == 2 ? QString("100%") : QString::number(tops[panel]);
        const QString bottom = panel == 1 ? QString::number(tops[panel]) : QString("0");
        const double labelLeft = a.left() - leftMargin;
        p.setPen(text);
        p.drawText(QRectF(labelLeft, a.top() - 6, leftMargin - 4, 12),
                   Qt::AlignRight | Qt::AlignVCenter, top);
        p.drawText(QRectF(labelLeft, a.bottom() - 6, leftMargin - 4, 12),
                   Qt::AlignRight | Qt::AlignVCenter, bottom);
        if (n == 0) continue;
        const double slot = a.width() / n;
        auto xAt = [&](int i) { return a.left() + (i + 0.5) * slot; };
        auto yAt = [&](double v, double most) { return a.bottom() - v / most * a.height(); };
        p.save();
        p.setClipRect(a);
        if (panel == 0) {
            QPainterPath band;
            for (int i = 0; i < n; ++i) {
                const QPointF q(xAt(i), yAt(static_cast<double>(windows_[i].deadMost), tops[0]));
                i == 0 ? band.moveTo(q) : band.lineTo(q);
            }
            for (int i = n - 1; i >= 0; --i) {
                band.lineTo(xAt(i), yAt(static_cast<double>(windows_[i].deadLeast), tops[0]));
            }
            band.closeSubpath();
            QColor fill = deadColour;
            fill.setAlpha(70);
            p.fillPath(band, fill);
            QPolygonF living;
            QPolygonF dead;
            for (int i = 0; i < n; ++i) {
                living << QPointF(xAt(i), yAt(perStep(windows_[i].living, windows_[i]), tops[0]));
                dead << QPointF(xAt(i), yAt(perStep(windows_[i].dead, windows_[i]), tops[0]));
            }
            p.setPen(QPen(deadColour, 1.5));
            p.drawPolyline(dead);
            p.setPen(QPen(livingColour, 1.8));
            p.drawPolyline(living);
        } else if (panel == 1) {
            // Births up from the middle line, deaths down from it: never over one another,
            // however narrow a window's slot. A bar is at least a pixel wide.
            p.setPen(Qt::NoPen);
            p.setRenderHint(QPainter::Antialiasing, false);
            const double middle = a.top() + a.height() / 2;
            const double half = a.height() / 2;
            const double bar = std::max(slot, 1.0);
            for (int i = 0; i < n; ++i) {
                const double x = a.left() + i * slot;
                const double b = std::min(perStep(windows_[i].births, windows_[i]), tops[1]);
                const double d = std::min(perStep(windows_[i].deaths, windows_[i]), tops[1]);
                p.setBrush(birthColour);
                p.drawRect(QRectF(x, middle - b / tops[1] * half, bar, b / tops[1] * half));
                p.setBrush(deathColour);
                p.drawRect(QRectF(x, middle, bar, d / tops[1] * half));
            }
            p.setPen(QPen(palette().color(QPalette::Mid), 1));
            p.drawLine(QPointF(a.left(), middle), QPointF(a.right(), middle));
            p.setRenderHint(QPainter::Antialiasing);
        } else {
            for (int k = 0; k < 4; ++k) {
                QPolygonF line;
                for (int i = 0; i < n; ++i) {
                    if (windows_[i].sharedSteps > 0) {
                        line << QPointF(xAt(i), yAt(kindShare(windows_[i], k), 1.0));
                    }
                }
                p.setPen(QPen(kindColour(k), 1.6));
                p.drawPolyline(line);
            }
        }
        if (hover_ >= 0 && hover_ < n) {
            p.setPen(QPen(text, 1, Qt::DashLine));
            p.drawLine(QPointF(xAt(hover_), a.top()), QPointF(xAt(hover_), a.bottom()));
        }
        p.restore();
        // The steps along the bottom axis.
        p.setPen(text);
        const long long first = windows_.front().firstStep;
        const long long last = windows_.back().firstStep + windows_.back().steps - 1;
        p.drawText(QRectF(a.left(), a.bottom() + 1, a.width(), axisHeight), Qt::AlignLeft,
                   tr("step %1").arg(first));
        p.drawText(QRectF(a.left(), a.bottom() + 1, a.width(), axisHeight), Qt::AlignRight,
                   tr("step %1").arg(last));
    }

    // The readout: the hovered window's values, or the legend.
    QRectF readout(4, 2, width() - 8, readoutHeight - 4);
    p.setPen(text);
    if (hover_ >= 0 && hover_ < n) {
        const PlotSeries::Window& w = windows_[hover_];
        const QString steps =
            w.steps == 1 ? tr("step %1").arg(w.firstStep)
                         : tr("steps %1 to %2").arg(w.firstStep).arg(w.firstStep + w.steps - 1);
        QString line1 = tr("%1: living %2, dead %3 (%4 to %5)")
                            .arg(steps)
                            .arg(perStep(w.living, w), 0, 'f', 1)
                            .arg(perStep(w.dead, w), 0, 'f', 1)
                            .arg(w.deadLeast)
                            .arg(w.deadMost);
        QString line2 = tr("births %1, deaths %2 a step; ")
                            .arg(perStep(w.births, w), 0, 'f', 2)
                            .arg(perStep(w.deaths, w), 0, 'f', 2);
        for (int k = 0; k < 4; ++k) {
            line2 += QString("%1 %2%%3")
                         .arg(kindNames[k])
                         .arg(100 * kindShare(w, k), 0, 'f', 0)
                         .arg(k < 3 ? ", " : "");
        }
        p.drawText(readout, Qt::AlignLeft | Qt::AlignTop, line1 + "\n" + line2);
    } else {
        QString legend = n == 0 ? tr("No steps yet.")
                                : tr("%1 windows of %2 step(s). Hover for the values at a step.")
                                      .arg(n)
                                      .arg(windowSteps_);
        p.drawText(readout, Qt::AlignLeft | Qt::AlignTop, legend);
        // Swatches for the kinds, after the legend line.
        double x = readout.left() + p.fontMetrics().horizontalAdvance(legend) + 16;
        for (int k = 0; k < 4; ++k) {
            const QString name = QString::fromLatin1(kindNames[k]);
            p.fillRect(QRectF(x, readout.top() + 4, 8, 8), kindColour(k));
            p.drawText(QRectF(x + 11, readout.top(), 80, 16), Qt::AlignLeft | Qt::AlignVCenter,
                       name);
            x += p.fontMetrics().horizontalAdvance(name) + 22;
        }
    }
}

} // namespace kanimo
