#include "app/qt_window.h"

#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QWindow>

#include <map>
#include <stdexcept>
#include <vector>

#include "app/qt_fonts.h"
#include "app/surface_copy.h"
#include "app/window_layout.h"

namespace kanimo {

namespace {

QFont fontOf(const FontRequest& request) {
    QFont font(QString::fromStdString(request.family));
    font.setPixelSize(request.pixelSize);
    font.setBold(request.bold);
    return font;
}

class QtLabel : public Label {
  public:
    QtLabel(QLabel* label, QSize designed) : label_(label), designed_(designed) { fit(); }

    void setCaption(const std::string& text) override {
        label_->setText(QString::fromStdString(text));
        fit();
    }
    std::string caption() const override { return label_->text().toStdString(); }

  private:
    // Labels size themselves to their text; the designed size is kept as the least, so a
    // fallback font wider than the one designed for never cuts a caption short.
    void fit() { label_->resize(designed_.expandedTo(label_->sizeHint())); }

    QLabel* label_; // owned by the window
    QSize designed_;
};

class QtPaintBox : public PaintBox {
  public:
    explicit QtPaintBox(PaintBoxWidget* widget) : widget_(widget) {}

    int width() const override { return widget_->surface().width(); }
    int height() const override { return widget_->surface().height(); }

    void copyPicture(const Picture& picture, int x, int y) override {
        QImage& surface = widget_->surface();
        SurfaceView view;
        view.pixels = reinterpret_cast<std::uint32_t*>(surface.bits());
        view.width = surface.width();
        view.height = surface.height();
        view.stride = surface.bytesPerLine() / 4;
        copyToSurface(picture, view, x, y);
        widget_->update();
    }

    Colour pixel(int x, int y) const override {
        const QImage& surface = widget_->surface();
        const auto* row = reinterpret_cast<const std::uint32_t*>(surface.constScanLine(y));
        return colourOf(row[x]);
    }

  private:
    PaintBoxWidget* widget_; // owned by the window
};

class QtWindow : public Window {
  public:
    QtWindow(const WindowLayout& layout, WindowHandlers handlers)
        : widget_(std::make_unique<FormWidget>(std::move(handlers),
                                               QSize(layout.width, layout.height))) {
        registerFontSubstitutes();
        widget_->setObjectName(QString::fromStdString(layout.name));
        widget_->setWindowTitle(QString::fromStdString(layout.caption));
        widget_->setFont(fontOf(layout.font));
        // The position is the frame's too: the toolkit places the frame's corner there.
        widget_->move(layout.left, layout.top);
        widget_->resize(layout.width, layout.height);
        for (const ComponentLayout& c : layout.components) addComponent(c);
    }

    void show() override {
        widget_->show();
        // Without a window manager nobody else hands out the focus, and the run loop only
        // starts on activation.
        requestActivation();
    }
    void close() override { widget_->close(); }
    void requestActivation() override { widget_->activateWindow(); }

    Label& label(std::string_view name) override { return find(labels_, name); }
    PaintBox& paintBox(std::string_view name) override { return find(paintBoxes_, name); }

    QWidget& widget() { return *widget_; }

  private:
    template <typename T>
    static T& find(std::map<std::string, std::unique_ptr<T>, std::less<>>& components,
                   std::string_view name) {
        auto it = components.find(name);
        if (it == components.end()) {
            throw std::out_of_range("the window has no component \"" + std::string(name) + "\"");
        }
        return *it->second;
    }

    void addComponent(const ComponentLayout& c) {
        const QString name = QString::fromStdString(c.name);
        QWidget* w = nullptr;
        switch (c.kind) {
        case ComponentKind::Bevel: {
            auto* frame = new QFrame(widget_.get());
            frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
            frame->setGeometry(c.left, c.top, c.width, c.height);
            w = frame;
            break;
        }
        case ComponentKind::PaintBox: {
            auto* box = new PaintBoxWidget(widget_.get(), c.width, c.height);
            box->move(c.left, c.top);
            paintBoxes_.emplace(c.name, std::make_unique<QtPaintBox>(box));
            w = box;
            break;
        }
        case ComponentKind::Label: {
            auto* label = new QLabel(widget_.get());
            if (!c.font.family.empty()) label->setFont(fontOf(c.font));
            label->setText(QString::fromStdString(c.caption));
            label->move(c.left, c.top);
            labels_.emplace(c.name, std::make_unique<QtLabel>(label, QSize(c.width, c.height)));
            w = label;
            break;
        }
        }
        w->setObjectName(name);
        w->setEnabled(c.enabled);
        w->setFocusPolicy(Qt::NoFocus);
    }

    std::unique_ptr<FormWidget> widget_;
    std::map<std::string, std::unique_ptr<Label>, std::less<>> labels_;
    std::map<std::string, std::unique_ptr<PaintBox>, std::less<>> paintBoxes_;
};

} // namespace

KeyId keyIdOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Home:
        return KeyId::Home;
    case Qt::Key_Escape:
        return KeyId::Escape;
    case Qt::Key_B:
        return KeyId::B;
    case Qt::Key_W:
        return KeyId::W;
    case Qt::Key_G:
        return KeyId::G;
    case Qt::Key_D:
        return KeyId::D;
    default:
        return KeyId::Other;
    }
}

PaintBoxWidget::PaintBoxWidget(QWidget* parent, int width, int height)
    : QWidget(parent), surface_(width, height, QImage::Format_RGB32) {
    // Until the first picture arrives the box shows the window's own colour.
    surface_.fill(palette().color(QPalette::Window));
    resize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintBoxWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, surface_);
}

FormWidget::FormWidget(WindowHandlers handlers, QSize outerSize)
    : handlers_(std::move(handlers)), outerSize_(outerSize) {
    // No control takes the focus, so every key reaches the window itself.
    setFocusPolicy(Qt::StrongFocus);
}

// The frame is known only once a window manager has put it around the shown window, and
// never without one, where the inner size is the outer size. Its arrival moves the window,
// so every move looks for a new frame; a size the user gives the window later is kept.
void FormWidget::fitOuterSize() {
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame == fittedFrame_) return;
    fittedFrame_ = frame;
    resize(outerSize_.shrunkBy(frame));
}

bool FormWidget::event(QEvent* event) {
    if (event->type() == QEvent::Move || event->type() == QEvent::Show) fitOuterSize();
    if (event->type() == QEvent::WindowActivate) {
        // The handler may keep control for the rest of the program, so it runs once the
        // toolkit has finished its own activation work, not in the middle of it.
        QMetaObject::invokeMethod(
            this, [this] { handlers_.activate(); }, Qt::QueuedConnection);
    }
    return QWidget::event(event);
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
    handlers_.keyDown(keyIdOf(event->key()));
}

void FormWidget::paintEvent(QPaintEvent*) {
    handlers_.paint();
}

void FormWidget::closeEvent(QCloseEvent* event) {
    handlers_.close();
    event->accept();
}

std::unique_ptr<Window> createWindow(const WindowLayout& layout, WindowHandlers handlers) {
    return std::make_unique<QtWindow>(layout, std::move(handlers));
}

QWidget& nativeWidget(Window& window) {
    return dynamic_cast<QtWindow&>(window).widget();
}

} // namespace kanimo
