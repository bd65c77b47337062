#include "app_support.h"

#include <QAbstractButton>
#include <QTimer>

#include "app/run_loop.h"
#include "save/save.h"

namespace kanimo::testing {

StartedWindow::StartedWindow(std::optional<std::uint32_t> seed, const std::string& loadPath) {
    shell.seed = seed;
    if (!loadPath.empty()) {
        std::string reason;
        if (!loadWorldFile(loadPath, shell.world, reason)) throw std::runtime_error(reason);
        shell.worldLoaded = true;
    }
    startRunLoop(shell, form);
}

void answerNextMessageBox(MessageBoxSeen& seen) {
    // Polls, since the box opens only once the key handler runs.
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        seen.seen = true;
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
        poll->stop();
        poll->deleteLater();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else {
            box->reject();
        }
    });
    poll->start(10);
}

} // namespace kanimo::testing
