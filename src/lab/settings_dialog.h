#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "world/settings.h"

class QLabel;

namespace kanimo {

class SettingsForm;

// Run > Change settings: the tuning settings of the world shown, to change at the step
// shown, which starts a branch there. `apply` makes the change and returns one line when
// it cannot (the settings out of bounds, or a world that no run under them could reach);
// the dialog then stays open and says why.
class SettingsDialog : public QDialog {
  public:
    SettingsDialog(const WorldSettings& current, long long step,
                   std::function<std::string(const WorldSettings&)> apply,
                   QWidget* parent = nullptr);

    void accept() override;

  private:
    SettingsForm* form_;
    QLabel* problem_;
    std::function<std::string(const WorldSettings&)> apply_;
};

} // namespace kanimo
