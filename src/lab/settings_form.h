#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "world/settings.h"

class QLabel;
class QLineEdit;

namespace kanimo {

// Every tuning setting as a line of text to edit, with its bounds as a tip, read back
// through kanimo-sim's own --set, so that the form takes exactly what --set takes.
class SettingsForm : public QWidget {
  public:
    explicit SettingsForm(const WorldSettings& shown, QWidget* parent = nullptr);

    // Fields that still show `from`'s value take `to`'s; a value the user typed stays.
    void moveValues(const WorldSettings& from, const WorldSettings& to);
    // Fills `settings` from the fields. Returns one line naming the first field that is
    // wrong, which takes the focus, or nothing.
    std::string read(WorldSettings& settings);

  private:
    std::vector<QLineEdit*> fields_;
};

// The line under a settings form that says what is wrong with it, in red, empty at first.
QLabel* makeProblemLabel();

} // namespace kanimo
