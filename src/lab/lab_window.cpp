#include "lab/lab_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <ctime>
#include <utility>

#include "files/output_file.h"
#include "lab/branch_strip.h"
#include "lab/chart_panel.h"
#include "lab/inspector_panel.h"
#include "lab/new_world_dialog.h"
#include "lab/settings_dialog.h"
#include "lab/world_view.h"
#include "render/frame.h"
#include "render/picture.h"
#include "render/png_writer.h"

namespace kanimo {

namespace {

constexpr int recentFileCount = 8;
// The largest world File > Export picture draws whole: its picture takes 256 MB.
constexpr int widestExport = 8001;

struct SpeedChoice {
    const char* name;
    double stepsPerSecond; // 0: as fast as it goes
};
constexpr SpeedChoice speedChoices[] = {
    {"1 step/s", 1},      {"5 steps/s", 5},       {"20 steps/s", 20},        {"60 steps/s", 60},
    {"200 steps/s", 200}, {"1000 steps/s", 1000}, {"As fast as it goes", 0},
};
constexpr int defaultSpeed = 3;

QString stdText(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

LabWindow::LabWindow(std::unique_ptr<LabWorld> world, const QString& path) : path_(path) {
    // A world that has not run since it was made or opened has nothing to lose.
    savedStep_ = world->stepNumber();
    shownStep_ = savedStep_;
    stepper_ = std::make_unique<Stepper>(std::move(world));
    view_ = new WorldView;
    // The view, and under it the timeline of the run: any step of it can be shown again.
    auto* centre = new QWidget;
    auto* centreLayout = new QVBoxLayout(centre);
    centreLayout->setContentsMargins(0, 0, 0, 0);
    centreLayout->setSpacing(2);
    centreLayout->addWidget(view_, 1);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 0, 6, 2);
    bar->addWidget(new QLabel(tr("Timeline:")));
    timeline_ = new QSlider(Qt::Horizontal);
    timeline_->setToolTip(tr("Drag to show any step of the run again, exactly"));
    timeline_->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(timeline_, 1);
    timelineStep_ = new QSpinBox;
    timelineStep_->setRange(0, 0);
    timelineStep_->setKeyboardTracking(false);
    timelineStep_->setToolTip(tr("Type a step of the run to show it"));
    bar->addWidget(timelineStep_);
    timelineSpan_ = new QLabel;
    bar->addWidget(timelineSpan_);
    centreLayout->addLayout(bar);
    branchStrip_ = new BranchStrip;
    branchStrip_->setContentsMargins(6, 0, 6, 2);
    branchStrip_->hide();
    centreLayout->addWidget(branchStrip_);
    setCentralWidget(centre);
    files_.push_back(BranchFile{path_, savedStep_});
    connect(branchStrip_, &BranchStrip::chosen, this,
            [this](int i, long long step) { stepper_->chooseBranch(i, step); });
    connect(timeline_, &QSlider::sliderMoved, this, [this](int v) { jumpTo(v); });
    connect(timeline_, &QSlider::actionTriggered, this, [this](int) {
        if (!timeline_->isSliderDown()) jumpTo(timeline_->sliderPosition());
    });
    connect(timelineStep_, &QSpinBox::valueChanged, this, [this](int v) {
        if (v != shownStep_) jumpTo(v);
    });

    inspector_ = new InspectorPanel;
    auto* inspectorDock = new QDockWidget(tr("Inspector"), this);
    inspectorDock->setObjectName("inspector");
    inspectorDock->setWidget(inspector_);
    addDockWidget(Qt::RightDockWidgetArea, inspectorDock);
    charts_ = new ChartPanel;
    auto* chartDock = new QDockWidget(tr("Charts"), this);
    chartDock->setObjectName("charts");
    chartDock->setWidget(charts_);
    addDockWidget(Qt::BottomDockWidgetArea, chartDock);
    // The inspector takes the whole right side, the charts the bottom under the view.
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    // Docks take their sizes once the window is laid out.
    QTimer::singleShot(0, this, [this, chartDock, inspectorDock] {
        if (!QSettings().contains("window/state")) {
            resizeDocks({chartDock}, {220}, Qt::Vertical);
            resizeDocks({inspectorDock}, {340}, Qt::Horizontal);
        }
    });

    stepLabel_ = new QLabel;
    seedLabel_ = new QLabel;
    countLabel_ = new QLabel;
    rateLabel_ = new QLabel;
    zoomLabel_ = new QLabel;
    for (QLabel* l : {stepLabel_, seedLabel_, countLabel_, rateLabel_, zoomLabel_}) {
        statusBar()->addPermanentWidget(l);
    }

    makeActions();
    QMenu* viewMenu = menuBar()->findChild<QMenu*>("viewMenu");
    viewMenu->addSeparator();
    viewMenu->addAction(inspectorDock->toggleViewAction());
    viewMenu->addAction(chartDock->toggleViewAction());

    connect(view_, &WorldView::viewChanged, this, [this] {
        stepper_->setView(view_->drawing() ? std::optional(view_->request()) : std::nullopt);
    });
    connect(view_, &WorldView::creatureClicked, this, [this](std::uint64_t id) { select(id); });
    connect(view_, &WorldView::creaturePressed, this,
            [this](std::uint64_t id) { stepper_->expect(id); });
    connect(inspector_, &InspectorPanel::selectRequested, this,
            [this](std::uint64_t id) { select(id); });
    connect(inspector_, &InspectorPanel::jumpRequested, this,
            [this](long long step) { jumpTo(step); });
    connect(inspector_, &InspectorPanel::deleteRequested, this,
            [this](std::uint64_t id) { deleteCreature(id); });
    connect(inspector_, &InspectorPanel::followChanged, this, [this](bool on) {
        followAction_->setChecked(on);
        refresh();
    });

    frameTimer_ = new QTimer(this);
    frameTimer_->setTimerType(Qt::PreciseTimer);
    connect(frameTimer_, &QTimer::timeout, this, [this] { refresh(); });
    frameTimer_->start(1000 / 60);

    QSettings settings;
    resize(1280, 900);
    restoreGeometry(settings.value("window/geometry").toByteArray());
    restoreState(settings.value("window/state").toByteArray());
    updateRecentMenu();
    stepper_->setSpeed(speedChoices[defaultSpeed].stepsPerSecond);
    stepper_->setView(view_->request());
    updateTitle();
    statusBar()->showMessage(tr("Space runs the world, '.' takes one step. Click a creature to "
                                "inspect it; the wheel zooms, dragging pans."));
}

LabWindow::~LabWindow() = default;

void LabWindow::makeActions() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    auto add = [this](QMenu* menu, const QString& text, QKeySequence key, auto slot) {
        QAction* a = menu->addAction(text);
        if (!key.isEmpty()) a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add(file, tr("&New world..."), QKeySequence::New, [this] { newWorld(); });
    add(file, tr("&Open..."), QKeySequence::Open, [this] { openWorld(); });
    recentMenu_ = file->addMenu(tr("Open &recent"));
    add(file, tr("&Save"), QKeySequence::Save, [this] { save(); });
    add(file, tr("Save &as..."), QKeySequence::SaveAs, [this] { saveAs(); });
    add(file, tr("&Export picture..."), QKeySequence(tr("Ctrl+E")), [this] { exportPicture(); });
    file->addSeparator();
    add(file, tr("&Quit"), QKeySequence::Quit, [this] { close(); });

    QMenu* run = menuBar()->addMenu(tr("&Run"));
    runAction_ =
        add(run, tr("&Run"), QKeySequence(Qt::Key_Space), [this] { setRunning(!running_); });
    stepAction_ = add(run, tr("One &step"), QKeySequence(Qt::Key_Period), [this] {
        running_ = false;
        runAction_->setText(tr("&Run"));
        stepper_->stepOnce();
    });

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->setObjectName("viewMenu");
    QAction* fit =
        add(viewMenu, tr("&Fit the world"), QKeySequence(Qt::Key_F), [this] { view_->fit(); });
    QAction* zoomIn =
        add(viewMenu, tr("Zoom &in"), QKeySequence(Qt::Key_Plus), [this] { view_->zoomBy(1.25); });
    zoomIn->setShortcuts(
        {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal), QKeySequence::ZoomIn});
    QAction* zoomOut =
        add(viewMenu, tr("Zoom &out"), QKeySequence(Qt::Key_Minus), [this] { view_->zoomBy(0.8); });
    zoomOut->setShortcuts({QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut});
    QAction* actual = add(viewMenu, tr("&Actual size (100%)"), QKeySequence(Qt::Key_1),
                          [this] { view_->actualSize(); });
    viewMenu->addSeparator();
    plainAction_ = add(viewMenu, tr("&Plain background"), QKeySequence(Qt::Key_B),
                       [this](bool on) { view_->setPlain(on); });
    plainAction_->setCheckable(true);
    drawAction_ = add(viewMenu, tr("&Draw the world"), QKeySequence(Qt::Key_D),
                      [this](bool on) { view_->setDrawing(on); });
    drawAction_->setCheckable(true);
    drawAction_->setChecked(true);
    drawAction_->setToolTip(tr("Turn drawing off to let the world run as fast as it can"));
    QAction* follow = add(viewMenu, tr("Follow the &selected creature"), QKeySequence(Qt::Key_C),
                          [this](bool on) { inspector_->setFollowing(on); });
    follow->setCheckable(true);
    followAction_ = follow;
    QAction* goTo = add(run, tr("&Go to step..."), QKeySequence(tr("Ctrl+G")), [this] {
        timelineStep_->setFocus();
        timelineStep_->selectAll();
    });
    goTo->setToolTip(tr("Type a step of the run to show it again"));
    add(run, tr("Go to the selected creature's b&irth"), QKeySequence(tr("Ctrl+B")),
        [this] { inspector_->goToBirth(); });
    add(run, tr("Go to the selected creature's d&eath"), QKeySequence(tr("Ctrl+D")),
        [this] { inspector_->goToDeath(); });
    run->addSeparator();
    QAction* remove = add(run, tr("&Delete the selected creature"), QKeySequence::Delete,
                          [this] { deleteCreature(selected_); });
    remove->setToolTip(tr("Deleting a creature at the step shown starts a branch of the run"));
    add(run, tr("Change se&ttings..."), QKeySequence(tr("Ctrl+T")), [this] { changeSettings(); });
    branchMenu_ = run->addMenu(tr("&Branches"));
    branchMenu_->setEnabled(false);
    add(run, tr("Ne&xt branch"), QKeySequence(Qt::Key_BracketRight), [this] {
        if (branch_ + 1 < static_cast<int>(branches_.size())) chooseBranch(branch_ + 1);
    });
    add(run, tr("Pre&vious branch"), QKeySequence(Qt::Key_BracketLeft), [this] {
        if (branch_ > 0) chooseBranch(branch_ - 1);
    });
    QAction* clear = new QAction(tr("Clear the selection"), this);
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(clear, &QAction::triggered, this, [this] { select(0); });
    addAction(clear);

    QToolBar* bar = addToolBar(tr("Run"));
    bar->setObjectName("runBar");
    bar->addAction(runAction_);
    bar->addAction(stepAction_);
    bar->addSeparator();
    bar->addWidget(new QLabel(tr(" Speed: ")));
    speed_ = new QComboBox;
    for (const SpeedChoice& c : speedChoices) speed_->addItem(tr(c.name));
    speed_->setCurrentIndex(defaultSpeed);
    speed_->setFocusPolicy(Qt::NoFocus);
    connect(speed_, &QComboBox::currentIndexChanged, this, [this](int i) { speedChosen(i); });
    bar->addWidget(speed_);
    bar->addAction(drawAction_);
    bar->addSeparator();
    bar->addAction(fit);
    bar->addAction(zoomIn);
    bar->addAction(zoomOut);
    bar->addAction(actual);
    bar->addAction(plainAction_);
}

void LabWindow::speedChosen(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(speedChoices))) return;
    stepper_->setSpeed(speedChoices[index].stepsPerSecond);
}

void LabWindow::setRunning(bool running) {
    running_ = running;
    runAction_->setText(running ? tr("&Pause") : tr("&Run"));
    stepper_->setRunning(running);
}

void LabWindow::select(std::uint64_t id) {
    selected_ = id;
    view_->setSelected(id);
    stepper_->select(id);
    if (id == 0) inspector_->setFollowing(false);
    // Filled at once when the world read the creature as the mouse was pressed on it;
    // otherwise the card comes with the next publication.
    if (auto p = stepper_->latest(); p && id != p->selection.id) {
        if (id != 0 && p->expected.id == id) {
            inspector_->showSelection(p->expected);
        } else {
            Selection s;
            s.id = id;
            s.pending = true;
            inspector_->showSelection(s);
        }
    }
}

void LabWindow::refresh() {
    std::shared_ptr<const Published> p = stepper_->latest();
    if (!p) return;
    // What the world replaced published on its way out says nothing of the new one.
    if (awaitingWorld_ && p->worldSerial == worldSerial_) return;
    awaitingWorld_ = false;
    if (p->serial != shownSerial_) {
        shownSerial_ = p->serial;
        if (p->worldSerial != worldSerial_) {
            worldSerial_ = p->worldSerial;
            view_->show(p);
            view_->fit();
        } else {
            view_->show(p);
        }
        shownStep_ = p->step;
        showBranches(*p);
        showTimeline(*p);
        stepLabel_->setText(tr("Step %1").arg(p->step));
        seedLabel_->setText(p->seed ? tr("Seed %1").arg(*p->seed) : tr("Seed unknown"));
        countLabel_->setText(tr("%1 living, %2 dead").arg(p->living).arg(p->length - p->living));
        if (p->selection.id == selected_) inspector_->showSelection(p->selection);
        if (p->selection.id == selected_ && inspector_->following() && p->selection.inWorld) {
            view_->centreOn(p->selection.card.pos);
        }
        // The charts change slowly; redrawing them a few times a second is plenty.
        if (charts_->isVisible() && (p->serial - chartSerial_ >= 6 || !p->running)) {
            charts_->setSeries(p->windows, p->windowSteps);
            chartSerial_ = p->serial;
        }
        updateTitle();
    }
    rateLabel_->setText(tr("%1 steps/s, %2 frames/s")
                            .arg(p->stepsPerSecond, 0, 'f', 0)
                            .arg(view_->drawing() ? view_->framesPerSecond() : 0.0, 0, 'f', 0));
    zoomLabel_->setText(
        tr("Zoom %1%")
            .arg(view_->mapping().zoom * 100, 0, 'f', view_->mapping().zoom < 0.1 ? 1 : 0));
}

void LabWindow::jumpTo(long long step) {
    running_ = false;
    runAction_->setText(tr("&Run"));
    stepper_->jumpTo(step);
}

void LabWindow::showTimeline(const Published& p) {
    const QSignalBlocker blockSlider(timeline_);
    const QSignalBlocker blockSpin(timelineStep_);
    const int first = static_cast<int>(p.firstStep);
    const int newest = static_cast<int>(p.newestStep);
    timeline_->setRange(first, newest);
    timelineStep_->setRange(first, newest);
    if (!timeline_->isSliderDown()) timeline_->setValue(static_cast<int>(p.step));
    if (!timelineStep_->hasFocus()) timelineStep_->setValue(static_cast<int>(p.step));
    if (p.jumpTarget >= 0) {
        timelineSpan_->setText(tr("going to step %1...").arg(p.jumpTarget));
    } else if (p.branch > 0) {
        timelineSpan_->setText(tr("of %1 to %2, its own from %3")
                                   .arg(first)
                                   .arg(newest)
                                   .arg(p.branches[static_cast<std::size_t>(p.branch)].forkStep));
    } else {
        timelineSpan_->setText(tr("of %1 to %2").arg(first).arg(newest));
    }
}

void LabWindow::showBranches(const Published& p) {
    // Each branch keeps its own file; the shown one's are path_ and savedStep_.
    while (files_.size() < p.branches.size()) files_.push_back(BranchFile{});
    if (p.branch != branch_) {
        files_[static_cast<std::size_t>(branch_)] = {path_, savedStep_};
        branch_ = p.branch;
        path_ = files_[static_cast<std::size_t>(branch_)].path;
        savedStep_ = files_[static_cast<std::size_t>(branch_)].savedStep;
    }
    bool same = p.branches.size() == branches_.size();
    for (std::size_t i = 0; same && i < branches_.size(); ++i) {
        same = branches_[i].newestStep == p.branches[i].newestStep;
    }
    if (!same) {
        branches_ = p.branches;
        branchMenu_->clear();
        auto* group = new QActionGroup(branchMenu_);
        for (int i = 0; i < static_cast<int>(branches_.size()); ++i) {
            QAction* a = branchMenu_->addAction(branchName(branches_, i));
            a->setCheckable(true);
            group->addAction(a);
            connect(a, &QAction::triggered, this, [this, i] { chooseBranch(i); });
        }
    }
    const QList<QAction*> listed = branchMenu_->actions();
    if (branch_ < listed.size()) listed[branch_]->setChecked(true);
    branchMenu_->setEnabled(branches_.size() > 1);
    branchStrip_->setVisible(branches_.size() > 1);
    if (branches_.size() > 1) branchStrip_->setBranches(branches_, branch_, p.firstStep, p.step);
}

bool LabWindow::mayChange() {
    if (stepper_->latest()->jumpTarget < 0) return true;
    statusBar()->showMessage(tr("The timeline is on its way to a step: change the world there "
                                "once it is shown"),
                             5000);
    return false;
}

void LabWindow::deleteCreature(std::uint64_t id) {
    if (id == 0) {
        statusBar()->showMessage(tr("Click a creature first, then delete it"), 5000);
        return;
    }
    if (!mayChange()) return;
    const long long step = shownStep_;
    if (std::string problem = stepper_->deleteCreature(id); !problem.empty()) {
        statusBar()->showMessage(stdText(problem), 8000);
        return;
    }
    statusBar()->showMessage(
        tr("Deleted creature #%1 at step %2: a branch of the run starts there").arg(id).arg(step),
        8000);
}

void LabWindow::changeSettings() {
    if (!mayChange()) return;
    setRunning(false);
    const auto [settings, step] =
        stepper_->call([](LabWorld& w) { return std::pair(w.world().settings, w.stepNumber()); });
    SettingsDialog dialog(
        settings, step,
        [this](const WorldSettings& changed) { return stepper_->changeSettings(changed); }, this);
    if (dialog.exec() == QDialog::Accepted) {
        statusBar()->showMessage(
            tr("New settings from step %1: a branch of the run starts there").arg(step), 8000);
    }
}

void LabWindow::chooseBranch(int index) {
    if (index < 0 || index >= static_cast<int>(branches_.size()) || index == branch_) return;
    stepper_->chooseBranch(index);
}

void LabWindow::updateTitle() {
    const QString name = path_.isEmpty() ? tr("Untitled world") : QFileInfo(path_).fileName();
    const QString branch = branch_ > 0 ? tr(" (branch %1)").arg(branch_) : QString();
    setWindowTitle(name + branch + "[*] — Kanimo Lab");
    setWindowModified(savedStep_ != shownStep_);
}

bool LabWindow::mayDiscard() {
    if (savedStep_ != shownStep_) {
        const QString question =
            savedStep_ < 0 ? tr("Branch %1 of the run was never saved. Save it first?").arg(branch_)
            : path_.isEmpty() ? tr("The world has run %1 steps and was never saved. Save it "
                                   "first?")
                                    .arg(shownStep_ - savedStep_)
                              : tr("The world has run %1 steps since it was last saved. Save "
                                   "it first?")
                                    .arg(shownStep_ - savedStep_);
        const auto answer = QMessageBox::question(
            this, tr("Kanimo Lab"), question,
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !save())) {
            return false;
        }
    }
    // Branches not shown are saved only by showing them.
    int unsaved = 0;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (static_cast<int>(i) != branch_ && files_[i].savedStep < 0) ++unsaved;
    }
    if (unsaved == 0) return true;
    return QMessageBox::question(this, tr("Kanimo Lab"),
                                 tr("%n other branch(es) of the run were never saved and will be "
                                    "lost. Close the world anyway?",
                                    "", unsaved),
                                 QMessageBox::Discard | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Discard;
}

void LabWindow::closeEvent(QCloseEvent* event) {
    const bool wasRunning = running_;
    setRunning(false);
    if (!mayDiscard()) {
        if (wasRunning) setRunning(true);
        event->ignore();
        return;
    }
    QSettings settings;
    settings.setValue("window/geometry", saveGeometry());
    settings.setValue("window/state", saveState());
    event->accept();
}

void LabWindow::startWorld(std::unique_ptr<LabWorld> world, const QString& path) {
    setRunning(false);
    select(0);
    path_ = path;
    savedStep_ = world->stepNumber();
    shownStep_ = savedStep_;
    files_.assign(1, BranchFile{path_, savedStep_});
    branches_.clear();
    branch_ = 0;
    awaitingWorld_ = true;
    stepper_->replaceWorld(std::move(world));
    updateTitle();
}

void LabWindow::newWorld() {
    setRunning(false);
    if (!mayDiscard()) return;
    NewWorldDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    auto world = std::make_unique<LabWorld>(dialog.settings());
    const std::uint32_t seed =
        dialog.seed() ? *dialog.seed() : static_cast<std::uint32_t>(std::time(nullptr));
    world->seed(seed);
    startWorld(std::move(world), QString());
    statusBar()->showMessage(tr("A new world from seed %1").arg(seed), 8000);
}

void LabWindow::openWorld() {
    setRunning(false);
    if (!mayDiscard()) return;
    const QString path = QFileDialog::getOpenFileName(this, tr("Open a world"), QString(),
                                                      tr("Kanimo worlds (*.sav);;All files (*)"));
    if (!path.isEmpty()) openPath(path);
}

void LabWindow::openPath(const QString& path) {
    auto world = std::make_unique<LabWorld>(WorldSettings{});
    if (std::string problem = world->load(path.toStdString()); !problem.empty()) {
        QMessageBox::warning(this, tr("Kanimo Lab"), stdText(problem));
        return;
    }
    statusBar()->showMessage(tr("Opened %1 at step %2").arg(path).arg(world->stepNumber()), 8000);
    startWorld(std::move(world), path);
    noteRecent(path);
}

bool LabWindow::save() {
    if (path_.isEmpty()) return saveAs();
    return saveTo(path_);
}

bool LabWindow::saveAs() {
    QString suggested = path_;
    if (suggested.isEmpty()) {
        // A branch is saved beside the run's file, named after it.
        const QString run = files_.front().path;
        const QString stem = run.isEmpty() ? QString("world") : QFileInfo(run).completeBaseName();
        const QString folder = run.isEmpty() ? QString() : QFileInfo(run).path() + "/";
        suggested = branch_ > 0 ? folder + stem + tr("-branch-%1.sav").arg(branch_)
                                : folder + stem + ".sav";
    }
    QString path = QFileDialog::getSaveFileName(this, tr("Save the world"), suggested,
                                                tr("Kanimo worlds (*.sav)"));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += ".sav";
    return saveTo(path);
}

bool LabWindow::saveTo(const QString& path) {
    const Stepper::SavedWorld saved = stepper_->saveWorld();
    OutputFile out;
    std::string problem = out.open(path.toStdString());
    if (problem.empty()) problem = out.write(saved.bytes);
    if (problem.empty()) problem = out.commit();
    if (!problem.empty()) {
        QMessageBox::warning(this, tr("Kanimo Lab"), stdText(problem));
        return false;
    }
    if (saved.branch == branch_) {
        path_ = path;
        savedStep_ = saved.step;
    } else if (static_cast<std::size_t>(saved.branch) < files_.size()) {
        files_[static_cast<std::size_t>(saved.branch)] = {path, saved.step};
    }
    noteRecent(path);
    updateTitle();
    statusBar()->showMessage(tr("Saved step %1 to %2").arg(saved.step).arg(path), 8000);
    return true;
}

void LabWindow::exportPicture() {
    const int side = stepper_->call([](LabWorld& w) { return w.world().settings.worldSize; }) + 1;
    QMessageBox choice(QMessageBox::Question, tr("Export picture"),
                       tr("Export what the view shows, or the whole world as kanimo-sim --png "
                          "draws it?"),
                       QMessageBox::Cancel, this);
    QPushButton* viewButton = choice.addButton(tr("The view"), QMessageBox::AcceptRole);
    QPushButton* wholeButton = choice.addButton(tr("The whole world"), QMessageBox::AcceptRole);
    if (side > widestExport) {
        wholeButton->setEnabled(false);
        wholeButton->setToolTip(tr("Too big for one picture"));
    }
    choice.exec();
    if (choice.clickedButton() != viewButton && choice.clickedButton() != wholeButton) return;
    QString path = QFileDialog::getSaveFileName(this, tr("Export picture"), QString("world.png"),
                                                tr("PNG pictures (*.png)"));
    if (path.isEmpty()) return;
    OutputFile out;
    std::string problem = out.open(path.toStdString());
    if (problem.empty()) {
        if (choice.clickedButton() == viewButton) {
            // Qt writes by name; the file is renamed into place once complete.
            const QImage image = view_->grabPicture();
            const QString target =
                out.temporaryPath().empty() ? path : QString::fromStdString(out.temporaryPath());
            if (!image.save(target, "PNG"))
                problem = cannotWrite(path.toStdString(), "the picture could not be written");
        } else {
            const bool plain = plainAction_->isChecked();
            const Picture picture = stepper_->call([plain](LabWorld& w) {
                Picture p;
                const int s = w.world().settings.worldSize + 1;
                p.setSize(s, s);
                composeFrame(p, w.world(), plain);
                return p;
            });
            std::string reason;
            if (!writePng(picture, out.stream(), reason))
                problem = cannotWrite(path.toStdString(), reason);
        }
    }
    if (problem.empty()) problem = out.commit();
    if (!problem.empty()) {
        QMessageBox::warning(this, tr("Kanimo Lab"), stdText(problem));
        return;
    }
    statusBar()->showMessage(tr("Exported %1").arg(path), 8000);
}

void LabWindow::noteRecent(const QString& path) {
    QSettings settings;
    QStringList files = settings.value("recentFiles").toStringList();
    const QString full = QFileInfo(path).absoluteFilePath();
    files.removeAll(full);
    files.prepend(full);
    while (files.size() > recentFileCount) files.removeLast();
    settings.setValue("recentFiles", files);
    updateRecentMenu();
}

void LabWindow::updateRecentMenu() {
    recentMenu_->clear();
    const QStringList files = QSettings().value("recentFiles").toStringList();
    for (const QString& f : files) {
        QAction* a = recentMenu_->addAction(QFileInfo(f).fileName());
        a->setToolTip(f);
        connect(a, &QAction::triggered, this, [this, f] {
            setRunning(false);
            if (mayDiscard()) openPath(f);
        });
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

} // namespace kanimo
