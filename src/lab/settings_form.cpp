#include "lab/settings_form.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

#include "cli/number_text.h"
#include "cli/world_options.h"
#include "world/settings_limits.h"

namespace kanimo {

namespace {

QString valueText(const SettingField& f, const WorldSettings& s) {
    return QString::fromStdString(plainNumber(f.valueIn(s)));
}

QString nameOf(const SettingField& f) {
    return QString::fromLatin1(f.name.data(), static_cast<int>(f.name.size()));
}

} // namespace

SettingsForm::SettingsForm(const WorldSettings& shown, QWidget* parent) : QWidget(parent) {
    auto* inner = new QWidget;
    auto* form = new QFormLayout(inner);
    for (const SettingField& f : settingFields()) {
        auto* edit = new QLineEdit(valueText(f, shown));
        edit->setToolTip(tr("%1 to %2")
                             .arg(QString::fromStdString(plainNumber(f.least)))
                             .arg(QString::fromStdString(plainNumber(f.most))));
        edit->setObjectName(nameOf(f));
        form->addRow(nameOf(f) + ":", edit);
        fields_.push_back(edit);
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    scroll->setMinimumHeight(260);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}

void SettingsForm::moveValues(const WorldSettings& from, const WorldSettings& to) {
    std::size_t i = 0;
    for (const SettingField& f : settingFields()) {
        if (fields_[i]->text().trimmed() == valueText(f, from)) {
            fields_[i]->setText(valueText(f, to));
        }
        ++i;
    }
}

std::string SettingsForm::read(WorldSettings& settings) {
    std::size_t i = 0;
    for (const SettingField& f : settingFields()) {
        const std::string assignment =
            std::string(f.name) + "=" + fields_[i]->text().trimmed().toStdString();
        if (std::string problem = applyWorldOption("--set", assignment, settings);
            !problem.empty()) {
            // "--set NAME needs ..." reads as "NAME needs ..." here.
            if (problem.rfind("--set ", 0) == 0) problem.erase(0, 6);
            fields_[i]->setFocus();
            fields_[i]->selectAll();
            return problem;
        }
        ++i;
    }
    return {};
}

QLabel* makeProblemLabel() {
    auto* label = new QLabel;
    label->setWordWrap(true);
    label->setStyleSheet("QLabel { color: #b00020; }");
    return label;
}

} // namespace kanimo
