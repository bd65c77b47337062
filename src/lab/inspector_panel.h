#pragma once

#include <QWidget>
#include <cstdint>

#include "genetics/genome.h"
#include "lab/stepper.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace kanimo {

// The genome as the limbs it grows: one row a limb, its segments from the body outwards,
// each coloured by its kind.
class GenomeView : public QWidget {
  public:
    explicit GenomeView(QWidget* parent = nullptr);
    void setGenome(const Genome* genome);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Genome genome_{};
    bool shown_ = false;
};

// What is known of the selected creature, and its family. Shows the last values of a
// creature that has died or left the world, and says so.
class InspectorPanel : public QWidget {
    Q_OBJECT

  public:
    explicit InspectorPanel(QWidget* parent = nullptr);
    void showSelection(const Selection& selection);
    bool following() const;
    void setFollowing(bool follow);
    // As the buttons do: ask for the selected creature's birth or death step, when known.
    void goToBirth();
    void goToDeath();

  signals:
    void selectRequested(std::uint64_t id);
    void followChanged(bool follow);
    void jumpRequested(long long step);
    void deleteRequested(std::uint64_t id);

  private:
    QLabel* state_;
    QWidget* details_;
    QLabel* values_[13];
    GenomeView* genome_;
    QLabel* genomeText_;
    QPushButton* follow_;
    QPushButton* parent_;
    QPushButton* birth_;
    QPushButton* death_;
    QPushButton* delete_;
    long long birthStep_ = -1;
    long long deathStep_ = -1;
    QLabel* parentState_;
    QListWidget* children_;
    std::uint64_t parentId_ = 0;
    long long parentStep_ = -1; // where "Go to parent" takes the timeline
    std::uint64_t shownId_ = 0;
    std::uint64_t shownGenomeId_ = 0;
};

QString kinText(const Kin& kin);

} // namespace kanimo
