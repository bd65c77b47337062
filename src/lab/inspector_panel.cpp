#include "lab/inspector_panel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "lab/kind_colours.h"

namespace kanimo {

namespace {

constexpr int cellSize = 14;

const char* const valueNames[] = {
    "Id",   "Parent",  "Generation", "Mutated",  "Born at step", "Age",      "Energy",
    "Size", "Heading", "Speed",      "Segments", "By kind",      "Position",
};

QString number(double v, int decimals = 2) {
    return QString::number(v, 'f', decimals);
}

} // namespace

GenomeView::GenomeView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void GenomeView::setGenome(const Genome* genome) {
    shown_ = genome != nullptr;
    if (genome != nullptr) genome_ = *genome;
    update();
}

QSize GenomeView::sizeHint() const {
    return QSize(cellSize * (genomeColumns + 3), cellSize * genomeRows + 4);
}

void GenomeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!shown_) return;
    for (int r = 0; r < genomeRows; ++r) {
        const int y = 2 + r * cellSize;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(0, y, 2 * cellSize, cellSize), Qt::AlignCenter,
                         QString::number(r + 1));
        // A row ends at its first empty cell, as the limb grown from it does.
        for (int k = 0; k < genomeColumns; ++k) {
            if (genome_.angles[r][k] == emptyCell) break;
            const int kind = genome_.kinds[r][k];
            const QRect cell(2 * cellSize + k * cellSize + 1, y + 1, cellSize - 2, cellSize - 2);
            painter.setPen(Qt::NoPen);
            painter.setBrush(kind >= 0 && kind < 4 ? kindColour(kind, k) : QColor(150, 150, 150));
            painter.drawEllipse(cell);
        }
    }
}

InspectorPanel::InspectorPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    state_ = new QLabel(tr("Click a creature in the world to inspect it."));
    state_->setWordWrap(true);
    layout->addWidget(state_);

    details_ = new QWidget;
    auto* detailsLayout = new QVBoxLayout(details_);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    for (int i = 0; i < 13; ++i) {
        values_[i] = new QLabel;
        values_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(tr(valueNames[i]) + ":", values_[i]);
    }
    detailsLayout->addLayout(form);

    auto* genomeTitle = new QLabel(tr("Genome (a row a limb; drag, bite, feed, propel):"));
    genomeTitle->setWordWrap(true);
    detailsLayout->addWidget(genomeTitle);
    auto* legend = new QHBoxLayout;
    const char* kinds[] = {"drag", "bite", "feed", "propel"};
    for (int k = 0; k < 4; ++k) {
        auto* swatch = new QLabel(QString::fromLatin1(kinds[k]));
        const QColor c = kindColour(k, 0);
        swatch->setStyleSheet(
            QString("QLabel { background: %1; color: white; padding: 1px 4px; }").arg(c.name()));
        legend->addWidget(swatch);
    }
    legend->addStretch();
    detailsLayout->addLayout(legend);
    genome_ = new GenomeView;
    detailsLayout->addWidget(genome_);
    genomeText_ = new QLabel;
    genomeText_->setWordWrap(true);
    genomeText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    genomeText_->setStyleSheet("QLabel { font-family: monospace; }");
    detailsLayout->addWidget(genomeText_);

    auto* buttons = new QHBoxLayout;
    follow_ = new QPushButton(tr("&Follow"));
    follow_->setCheckable(true);
    follow_->setToolTip(tr("Keep the creature in the middle of the view as it swims"));
    parent_ = new QPushButton(tr("&Parent"));
    parent_->setToolTip(tr("Select the parent, while it is still in the world"));
    birth_ = new QPushButton(tr("Go to &birth"));
    birth_->setToolTip(tr("Show the step this creature was born in"));
    death_ = new QPushButton(tr("Go to &death"));
    death_->setToolTip(tr("Show the step this creature died in"));
    delete_ = new QPushButton(tr("De&lete"));
    delete_->setToolTip(tr("Delete this creature at the step shown, which starts a branch of "
                           "the run there (the Delete key does the same)"));
    // Two rows, so that the dock keeps its width.
    buttons->addWidget(follow_);
    buttons->addWidget(parent_);
    buttons->addWidget(delete_);
    buttons->addStretch();
    detailsLayout->addLayout(buttons);
    auto* moments = new QHBoxLayout;
    moments->addWidget(birth_);
    moments->addWidget(death_);
    moments->addStretch();
    detailsLayout->addLayout(moments);
    parentState_ = new QLabel;
    parentState_->setWordWrap(true);
    detailsLayout->addWidget(parentState_);
    auto* childrenTitle = new QLabel(tr("Children (click one still in the world to select it):"));
    childrenTitle->setWordWrap(true);
    detailsLayout->addWidget(childrenTitle);
    children_ = new QListWidget;
    children_->setMinimumHeight(60);
    children_->setWordWrap(true);
    detailsLayout->addWidget(children_, 1);
    layout->addWidget(details_, 1);
    layout->addStretch();

    connect(follow_, &QPushButton::toggled, this, &InspectorPanel::followChanged);
    connect(birth_, &QPushButton::clicked, this, [this] { goToBirth(); });
    connect(death_, &QPushButton::clicked, this, [this] { goToDeath(); });
    connect(delete_, &QPushButton::clicked, this, [this] {
        if (shownId_ != 0) emit deleteRequested(shownId_);
    });
    connect(parent_, &QPushButton::clicked, this, [this] {
        if (parentId_ == 0) return;
        const std::uint64_t id = parentId_;
        if (parentStep_ >= 0) emit jumpRequested(parentStep_);
        emit selectRequested(id);
    });
    connect(children_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const std::uint64_t id = item->data(Qt::UserRole).toULongLong();
        if (id != 0) emit selectRequested(id);
    });
    connect(children_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const std::uint64_t id = item->data(Qt::UserRole).toULongLong();
        if (id != 0) emit selectRequested(id);
    });
    showSelection(Selection{});
}

bool InspectorPanel::following() const {
    return follow_->isChecked();
}

void InspectorPanel::setFollowing(bool follow) {
    follow_->setChecked(follow);
}

void InspectorPanel::goToBirth() {
    if (shownId_ != 0 && birthStep_ >= 0) emit jumpRequested(birthStep_);
}

void InspectorPanel::goToDeath() {
    if (shownId_ != 0 && deathStep_ >= 0) emit jumpRequested(deathStep_);
}

QString kinText(const Kin& kin) {
    QString text = QString("#%1").arg(kin.id);
    if (!kin.known) return text + QObject::tr(": before this run's record began");
    if (kin.deathStep < 0) return text + QObject::tr(": alive");
    text += QObject::tr(": died at step %1 (%2)").arg(kin.deathStep).arg(deathCauseName(kin.cause));
    if (kin.inWorld) return text + QObject::tr(", still in the world");
    return text + QObject::tr(", gone since step %1").arg(kin.removedStep);
}

void InspectorPanel::showSelection(const Selection& s) {
    const CreatureCard& c = s.card;
    const bool shown = s.id != 0 && c.id != 0;
    if (s.id == 0) {
        state_->setText(tr("Click a creature in the world to inspect it: its values, its genome "
                           "and its family. Follow keeps it in the middle of the view."));
    } else if (s.pending) {
        state_->setText(tr("Reading creature #%1 after this step...").arg(s.id));
    } else if (!shown) {
        state_->setText(tr("Creature #%1 is not in the world.").arg(s.id));
    } else if (c.deathStep < 0) {
        state_->setText(tr("<b>Creature #%1</b>, alive.").arg(c.id));
    } else if (s.inWorld) {
        state_->setText(tr("<b>Creature #%1 died</b> at step %2 (%3); its body is shrinking away.")
                            .arg(c.id)
                            .arg(c.deathStep)
                            .arg(deathCauseName(c.cause)));
    } else {
        state_->setText(tr("<b>Creature #%1 died</b> at step %2 (%3) and left the world at step "
                           "%4. Its last values:")
                            .arg(c.id)
                            .arg(c.deathStep)
                            .arg(deathCauseName(c.cause))
                            .arg(s.removedStep));
    }
    details_->setVisible(shown);
    if (!shown) {
        for (QLabel* v : values_) v->clear();
        genome_->setGenome(nullptr);
        genomeText_->clear();
        parentState_->clear();
        children_->clear();
        parent_->setEnabled(false);
        follow_->setEnabled(false);
        shownId_ = 0;
        shownGenomeId_ = 0;
        parentId_ = 0;
        return;
    }
    follow_->setEnabled(s.inWorld);
    delete_->setEnabled(s.inWorld);
    birthStep_ = c.birthStep;
    deathStep_ = c.deathStep >= 0 ? c.deathStep : s.recordedDeath;
    death_->setEnabled(deathStep_ >= 0);
    values_[0]->setText(QString::number(c.id));
    values_[1]->setText(c.parentId == 0 ? tr("none (a founder)") : QString("#%1").arg(c.parentId));
    values_[2]->setText(QString::number(c.generation));
    values_[3]->setText(c.parentId == 0 ? tr("—") : c.mutated ? tr("yes") : tr("no"));
    values_[4]->setText(QString::number(c.birthStep));
    values_[5]->setText(tr("%1 steps").arg(c.age));
    values_[6]->setText(tr("%1 of %2").arg(number(c.energy)).arg(number(c.maxEnergy)));
    values_[7]->setText(tr("%1 (at most %2)").arg(number(c.size)).arg(number(c.maxSize)));
    values_[8]->setText(tr("%1°").arg(number(c.heading, 1)));
    values_[9]->setText(number(c.speed));
    values_[10]->setText(QString::number(c.segments));
    values_[11]->setText(tr("%1 drag, %2 bite, %3 feed, %4 propel")
                             .arg(c.segmentsByKind[0])
                             .arg(c.segmentsByKind[1])
                             .arg(c.segmentsByKind[2])
                             .arg(c.segmentsByKind[3]));
    values_[12]->setText(tr("%1, %2").arg(number(c.pos.x, 1)).arg(number(c.pos.y, 1)));
    if (shownGenomeId_ != c.id) {
        genome_->setGenome(&c.genome);
        genomeText_->setText(QString::fromStdString(c.genomeText));
        shownGenomeId_ = c.id;
    }

    parentId_ = 0;
    parentStep_ = -1;
    if (!s.parent) {
        parentState_->setText(tr("Parent: none, a founder of a seeding or a refill."));
    } else {
        parentState_->setText(tr("Parent ") + kinText(*s.parent));
        if (s.parent->inWorld) {
            parentId_ = s.parent->id;
        } else if (s.parent->known) {
            // Gone: the timeline goes back to its last step alive.
            parentId_ = s.parent->id;
            parentStep_ = std::max(s.parent->birthStep, s.parent->deathStep - 1);
        }
    }
    parent_->setText(parentStep_ >= 0 ? tr("Go to &parent") : tr("&Parent"));
    parent_->setEnabled(parentId_ != 0);

    // The list is rebuilt only when it says something new, so a click on it is not lost.
    QStringList lines;
    for (const Kin& k : s.children) lines << kinText(k);
    if (lines.isEmpty()) lines << tr("none yet");
    bool same = children_->count() == lines.size() && shownId_ == c.id;
    for (int i = 0; same && i < lines.size(); ++i) same = children_->item(i)->text() == lines[i];
    if (!same) {
        children_->clear();
        for (int i = 0; i < lines.size(); ++i) {
            auto* item = new QListWidgetItem(lines[i]);
            const bool selectable = i < static_cast<int>(s.children.size()) &&
                                    s.children[static_cast<std::size_t>(i)].inWorld;
            item->setData(Qt::UserRole,
                          QVariant::fromValue<qulonglong>(
                              selectable ? s.children[static_cast<std::size_t>(i)].id : 0));
            if (!selectable) {
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            }
            children_->addItem(item);
        }
    }
    shownId_ = c.id;
}

} // namespace kanimo
