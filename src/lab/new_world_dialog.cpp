#include "lab/new_world_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <string>

#include "cli/number_text.h"
#include "cli/world_options.h"
#include "lab/settings_form.h"

namespace kanimo {

NewWorldDialog::NewWorldDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("New world"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    seedEdit_ = new QLineEdit;
    seedEdit_->setPlaceholderText(tr("empty: taken from the clock"));
    top->addRow(tr("&Seed:"), seedEdit_);
    scale_ = new QSpinBox;
    scale_->setRange(1, 64);
    scale_->setToolTip(tr("A world this many times wider, at the same density of creatures"));
    top->addRow(tr("S&cale:"), scale_);
    layout->addLayout(top);

    auto* note = new QLabel(tr("Tuning settings (the defaults of a world of this scale):"));
    layout->addWidget(note);
    form_ = new SettingsForm(WorldSettings{});
    layout->addWidget(form_, 1);

    problem_ = makeProblemLabel();
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Create"));
    connect(buttons, &QDialogButtonBox::accepted, this, &NewWorldDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(scale_, &QSpinBox::valueChanged, this, [this](int k) { scaleChanged(k); });
    resize(420, 560);
}

void NewWorldDialog::scaleChanged(int scale) {
    // Settings still at the defaults of the scale shown move to those of the new one.
    WorldSettings scaled;
    applyWorldOption("--scale", std::to_string(scale), scaled);
    form_->moveValues(shownDefaults_, scaled);
    shownDefaults_ = scaled;
}

void NewWorldDialog::accept() {
    std::optional<std::uint32_t> seed;
    const std::string seedText = seedEdit_->text().trimmed().toStdString();
    if (!seedText.empty()) {
        std::uint64_t value = 0;
        if (!parseWhole(seedText, 0, UINT32_MAX, value)) {
            problem_->setText(
                QString::fromStdString(wholeRangeError("The seed", 0, UINT32_MAX, seedText)));
            seedEdit_->setFocus();
            return;
        }
        seed = static_cast<std::uint32_t>(value);
    }
    WorldSettings settings;
    if (std::string problem = form_->read(settings); !problem.empty()) {
        problem_->setText(QString::fromStdString(problem));
        return;
    }
    if (std::string problem = checkWorldSettings(settings, false); !problem.empty()) {
        problem_->setText(QString::fromStdString(problem));
        return;
    }
    seed_ = seed;
    settings_ = settings;
    QDialog::accept();
}

} // namespace kanimo
