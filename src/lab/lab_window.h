#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "lab/stepper.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSlider;
class QSpinBox;
class QTimer;

namespace kanimo {

class BranchStrip;
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
    void showBranches(const Published& p);
    void deleteCreature(std::uint64_t id);
    void changeSettings();
    void chooseBranch(int index);
    bool mayChange();

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
    QMenu* branchMenu_;
    BranchStrip* branchStrip_;

    // Of the branch shown; each branch is saved to a file of its own.
    QString path_;
    long long savedStep_ = 0; // the step saved, the world's first when never run, -1: never
    struct BranchFile {
        QString path;
        long long savedStep = -1;
    };
    std::vector<BranchFile> files_; // of every branch, the shown one's as it was when left
    std::vector<BranchInfo> branches_;
    int branch_ = 0;
    std::uint64_t worldSerial_ = 0;
    bool awaitingWorld_ = false; // a new world was handed over and has not published yet
    std::uint64_t shownSerial_ = 0;
    std::uint64_t selected_ = 0;
    std::uint64_t chartSerial_ = 0;
    long long shownStep_ = 0;
    bool running_ = false;
};

} // namespace kanimo
