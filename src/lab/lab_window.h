#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>

#include "lab/stepper.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSlider;
class QSpinBox;
class QTimer;

namespace kanimo {

class ChartPanel;
class InspectorPanel;
class WorldView;

// The Lab's main window: the world view in the middle, the inspector and the charts in
// docks, the run controls in a toolbar, and the world's figures in the status bar.
class LabWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `path`: the file the world came from, empty for a new one.
    LabWindow(std::unique_ptr<LabWorld> world, const QString& path);
    ~LabWindow() override;

    Stepper& stepper() { return *stepper_; }
    WorldView& view() { return *view_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void makeActions();
    void refresh();
    void select(std::uint64_t id);
    void setRunning(bool running);
    void speedChosen(int index);
    void newWorld();
    void openWorld();
    void openPath(const QString& path);
    bool save();
    bool saveAs();
    bool saveTo(const QString& path);
    void exportPicture();
    bool mayDiscard();
    void startWorld(std::unique_ptr<LabWorld> world, const QString& path);
    void noteRecent(const QString& path);
    void updateRecentMenu();
    void updateTitle();
    void jumpTo(long long step);
    void showTimeline(const Published& p);

    std::unique_ptr<Stepper> stepper_;
    WorldView* view_;
    InspectorPanel* inspector_;
    ChartPanel* charts_;
    QTimer* frameTimer_;

    QAction* runAction_;
    QAction* stepAction_;
    QAction* drawAction_;
    QAction* plainAction_;
    QAction* followAction_;
    QComboBox* speed_;
    QMenu* recentMenu_;
    QLabel* stepLabel_;
    QLabel* seedLabel_;
    QLabel* countLabel_;
    QLabel* rateLabel_;
    QLabel* zoomLabel_;
    QSlider* timeline_;
    QSpinBox* timelineStep_;
    QLabel* timelineSpan_;

    QString path_;
    long long savedStep_ = 0; // the step saved, or the world's first when never saved
    std::uint64_t worldSerial_ = 0;
    std::uint64_t shownSerial_ = 0;
    std::uint64_t selected_ = 0;
    std::uint64_t chartSerial_ = 0;
    long long shownStep_ = 0;
    bool running_ = false;
};

} // namespace kanimo
