#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "world/settings.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace kanimo {

class SettingsForm;

// File > New world: the seed (empty for the clock), the scale, and every tuning setting
// with its default, checked against the bounds of a sound world before the dialog closes.
class NewWorldDialog : public QDialog {
  public:
    explicit NewWorldDialog(QWidget* parent = nullptr);

    std::optional<std::uint32_t> seed() const { return seed_; }
    const WorldSettings& settings() const { return settings_; }

    void accept() override;

  private:
    void scaleChanged(int scale);

    QLineEdit* seedEdit_;
    QSpinBox* scale_;
    SettingsForm* form_;
    QLabel* problem_;
    std::optional<std::uint32_t> seed_;
    WorldSettings settings_;
    WorldSettings shownDefaults_; // of the scale shown
};

} // namespace kanimo
