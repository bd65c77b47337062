#include "lab/settings_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "cli/world_options.h"
#include "lab/settings_form.h"

namespace kanimo {

SettingsDialog::SettingsDialog(const WorldSettings& current, long long step,
                               std::function<std::string(const WorldSettings&)> apply,
                               QWidget* parent)
    : QDialog(parent), apply_(std::move(apply)) {
    setWindowTitle(tr("Change settings"));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(tr("New settings take effect at step %1 and start a branch there; "
                               "the run as it was stays on the timeline. A setting that a "
                               "creature of this world already exceeds (its life left, its "
                               "size) cannot change.")
                                .arg(step));
    note->setWordWrap(true);
    layout->addWidget(note);
    form_ = new SettingsForm(current);
    layout->addWidget(form_, 1);
    problem_ = makeProblemLabel();
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Branch"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 560);
}

void SettingsDialog::accept() {
    WorldSettings settings;
    std::string problem = form_->read(settings);
    if (problem.empty()) problem = checkWorldSettings(settings, false);
    if (problem.empty()) problem = apply_(settings);
    if (!problem.empty()) {
        problem_->setText(QString::fromStdString(problem));
        return;
    }
    QDialog::accept();
}

} // namespace kanimo
