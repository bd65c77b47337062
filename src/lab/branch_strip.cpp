#include "lab/branch_strip.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kanimo {

namespace {

constexpr int rowHeight = 14;
constexpr int margin = 8;
constexpr int labelWidth = 260; // at the right, the names of the rows

int rowY(int row) {
    return row * rowHeight + rowHeight / 2;
}

} // namespace

QString branchName(const std::vector<BranchInfo>& branches, int index) {
    if (index == 0) return QObject::tr("The run");
    const BranchInfo& b = branches[static_cast<std::size_t>(index)];
    const QString change = QString::fromStdString(b.change);
    if (b.parent == 0) {
        return QObject::tr("Branch %1: %2 at step %3").arg(index).arg(change).arg(b.forkStep);
    }
    return QObject::tr("Branch %1 (of %2): %3 at step %4")
        .arg(index)
        .arg(b.parent)
        .arg(change)
        .arg(b.forkStep);
}

BranchStrip::BranchStrip(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(tr("The run and its branches: click one to show it at that step"));
}

void BranchStrip::setBranches(const std::vector<BranchInfo>& branches, int shown,
                              long long firstStep, long long step) {
    const bool rows = branches.size() != branches_.size();
    branches_ = branches;
    shown_ = shown;
    first_ = firstStep;
    step_ = step;
    if (rows) updateGeometry();
    update();
}

QSize BranchStrip::sizeHint() const {
    return QSize(400, rowHeight * static_cast<int>(std::max<std::size_t>(branches_.size(), 1)));
}

long long BranchStrip::lastStep() const {
    long long last = first_ + 1;
    for (const BranchInfo& b : branches_) last = std::max(last, b.newestStep);
    return last;
}

double BranchStrip::xOf(long long step) const {
    const double span = std::max(1.0, width() - labelWidth - 2.0 * margin);
    return margin +
           span * static_cast<double>(step - first_) / static_cast<double>(lastStep() - first_);
}

long long BranchStrip::stepAt(double x) const {
    const double span = std::max(1.0, width() - labelWidth - 2.0 * margin);
    const double share = std::clamp((x - margin) / span, 0.0, 1.0);
    return first_ + std::llround(share * static_cast<double>(lastStep() - first_));
}

void BranchStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor quiet = palette().color(QPalette::Disabled, QPalette::WindowText);
    const QColor strong = palette().color(QPalette::Highlight);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    painter.setFont(small);
    for (std::size_t i = 0; i < branches_.size(); ++i) {
        const BranchInfo& b = branches_[i];
        const int row = static_cast<int>(i);
        const bool shown = row == shown_;
        const double from = xOf(i == 0 ? first_ : b.forkStep);
        const double to = std::max(from + 2, xOf(b.newestStep));
        const QColor colour = shown ? strong : quiet;
        if (b.parent >= 0) {
            // Joined to the row it came from, where it starts.
            painter.setPen(QPen(colour, 1));
            painter.drawLine(QPointF(from, rowY(b.parent)), QPointF(from, rowY(row)));
        }
        painter.setPen(QPen(colour, shown ? 4 : 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(from, rowY(row)), QPointF(to, rowY(row)));
        if (shown) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(palette().color(QPalette::WindowText));
            painter.drawEllipse(QPointF(xOf(step_), rowY(row)), 4, 4);
        }
        painter.setPen(shown ? palette().color(QPalette::WindowText) : quiet);
        const QRect label(width() - labelWidth, row * rowHeight, labelWidth - 2, rowHeight);
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(branchName(branches_, row),
                                                          Qt::ElideRight, labelWidth - 2));
    }
}

void BranchStrip::mousePressEvent(QMouseEvent* event) {
    const int row = static_cast<int>(event->position().y()) / rowHeight;
    if (row < 0 || row >= static_cast<int>(branches_.size())) return;
    const BranchInfo& b = branches_[static_cast<std::size_t>(row)];
    // On the name, the branch at the step it was left at; on the row, at the step clicked.
    if (event->position().x() >= width() - labelWidth) {
        emit chosen(row, -1);
        return;
    }
    emit chosen(row, std::clamp(stepAt(event->position().x()), first_, b.newestStep));
}

} // namespace kanimo
