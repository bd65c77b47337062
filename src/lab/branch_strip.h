#pragma once

#include <QWidget>
#include <vector>

#include "lab/stepper.h"

namespace kanimo {

// The run and its branches side by side under the timeline: a row each, from the step it
// starts at to its newest, joined to the branch it came from. The branch shown stands out,
// the step shown marked on it. A click on a row shows that branch at the step clicked.
class BranchStrip : public QWidget {
    Q_OBJECT

  public:
    explicit BranchStrip(QWidget* parent = nullptr);
    void setBranches(const std::vector<BranchInfo>& branches, int shown, long long firstStep,
                     long long step);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  signals:
    void chosen(int branch, long long step);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    double xOf(long long step) const;
    long long stepAt(double x) const;
    long long lastStep() const;

    std::vector<BranchInfo> branches_;
    int shown_ = 0;
    long long first_ = 0;
    long long step_ = 0;
};

QString branchName(const std::vector<BranchInfo>& branches, int index);

} // namespace kanimo
