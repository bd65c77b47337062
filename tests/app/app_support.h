#pragma once

// Shared by the window tests: a shell with its main window, and ways to look inside.

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>

#include "app/construct.h"
#include "app/qt_window.h"
#include "app/shell.h"
#include "render/background.h"
#include "render/picture.h"

namespace kanimo::testing {

// The window with the run loop's entry steps done, but no loop running: tests make the
// passes themselves. Without a seed the clock seeds the world, as in the program; with a
// saved world it goes on from there.
struct StartedWindow {
    Shell shell;
    Tconstruct form{shell};

    explicit StartedWindow(std::optional<std::uint32_t> seed = std::nullopt,
                           const std::string& loadPath = {});
    QWidget& widget() { return nativeWidget(form.window()); }
};

// The background as the run loop paints it.
inline Picture backgroundPicture(bool plain) {
    Picture p;
    p.setSize(601, 601);
    paintBackground(p, plain, 600);
    return p;
}

// Answers the next modal message box: records what it shows and clicks its only button.
struct MessageBoxSeen {
    bool seen = false;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

void answerNextMessageBox(MessageBoxSeen& seen);

} // namespace kanimo::testing
