#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/display_check.h"
#include "app/toolkit.h"

namespace kanimo {

namespace {

// While the toolkit starts, its platform messages are held back: a display that cannot be
// opened or a platform plugin that cannot be loaded ends in a fatal message and an abort,
// and the user gets one line instead, which the held messages tell apart. When the start
// succeeds the held messages go out as usual.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage>* heldMessages = nullptr;

void holdStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    heldMessages->push_back({type, QByteArray(context.category ? context.category : ""), text});
    if (type == QtFatalMsg) {
        std::vector<ToolkitMessage> said;
        for (const HeldMessage& m : *heldMessages) {
            said.push_back({m.category.toStdString(), m.text.toStdString()});
        }
        std::fprintf(stderr, "%s\n", failedStartMessage(currentDisplayEnvironment(), said).c_str());
        std::_Exit(1);
    }
}

class QtApplication : public Application {
  public:
    QtApplication() {
        std::vector<HeldMessage> held;
        heldMessages = &held;
        QtMessageHandler previous = qInstallMessageHandler(holdStartupMessage);
        app_ = std::make_unique<QApplication>(argc_, argv_);
        qInstallMessageHandler(previous);
        heldMessages = nullptr;
        for (const HeldMessage& m : held) {
            QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
            qt_message_output(m.type, context, m.text);
        }
        QApplication::setApplicationName("kanimo");
    }

    int runEventLoop() override { return QApplication::exec(); }

  private:
    // The program takes no arguments, so the toolkit sees none either; it keeps referring
    // to these for its whole life.
    char name_[7] = "kanimo";
    char* argv_[2] = {name_, nullptr};
    int argc_ = 1;
    std::unique_ptr<QApplication> app_;
};

} // namespace

std::unique_ptr<Application> createApplication() {
    return std::make_unique<QtApplication>();
}

void deliverPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void showMessageBox(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void showExceptionBox(const std::string& message) {
    QMessageBox::critical(nullptr, QApplication::applicationName(),
                          QString::fromStdString(message));
}

} // namespace kanimo
