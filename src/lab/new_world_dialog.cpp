#include "lab/new_world_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <string>

#include "cli/number_text.h"
#include "cli/world_options.h"
#include "world/settings_limits.h"

namespace kanimo {

namespace {

std::string valueText(const SettingField& f, const WorldSettings& s) {
    return plainNumber(f.whole != nullptr ? s.*f.whole : s.*f.real);
}

} // namespace

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
    auto* inner = new QWidget;
    auto* form = new QFormLayout(inner);
    const WorldSettings defaults;
    for (const SettingField& f : settingFields()) {
        auto* edit = new QLineEdit(QString::fromStdString(valueText(f, defaults)));
        edit->setToolTip(tr("%1 to %2")
                             .arg(QString::fromStdString(plainNumber(f.least)))
                             .arg(QString::fromStdString(plainNumber(f.most))));
        edit->setObjectName(QString::fromLatin1(f.name.data(), static_cast<int>(f.name.size())));
        form->addRow(QString::fromLatin1(f.name.data(), static_cast<int>(f.name.size())) + ":",
                     edit);
        fields_.push_back(edit);
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    scroll->setMinimumHeight(260);
    layout->addWidget(scroll, 1);

    problem_ = new QLabel;
    problem_->setWordWrap(true);
    problem_->setStyleSheet("QLabel { color: #b00020; }");
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
    // Settings still at the defaults of the scale shown move to those of the new one; a
    // value the user typed stays.
    WorldSettings scaled;
    applyWorldOption("--scale", std::to_string(scale), scaled);
    std::size_t i = 0;
    for (const SettingField& f : settingFields()) {
        if (fields_[i]->text().trimmed().toStdString() == valueText(f, shownDefaults_)) {
            fields_[i]->setText(QString::fromStdString(valueText(f, scaled)));
        }
        ++i;
    }
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
    std::size_t i = 0;
    for (const SettingField& f : settingFields()) {
        const std::string assignment =
            std::string(f.name) + "=" + fields_[i]->text().trimmed().toStdString();
        if (std::string problem = applyWorldOption("--set", assignment, settings);
            !problem.empty()) {
            // "--set NAME needs ..." reads as "NAME needs ..." here.
            if (problem.rfind("--set ", 0) == 0) problem.erase(0, 6);
            problem_->setText(QString::fromStdString(problem));
            fields_[i]->setFocus();
            fields_[i]->selectAll();
            return;
        }
        ++i;
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
