#pragma once

// The toolkit's side of the window: only code that knows Qt includes this header.

#include <QImage>
#include <QWidget>

#include "app/toolkit.h"

namespace kanimo {

KeyId keyIdOf(int qtKey);

// The paint box's widget: a surface of its own that pictures are copied onto and that every
// repaint shows as it is.
class PaintBoxWidget : public QWidget {
  public:
    PaintBoxWidget(QWidget* parent, int width, int height);
    QImage& surface() { return surface_; }
    const QImage& surface() const { return surface_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage surface_;
};

// The main window's widget; it passes its events on to the handlers.
class FormWidget : public QWidget {
  public:
    // The outer size is the frame's, where a window manager puts one around the window.
    FormWidget(WindowHandlers handlers, QSize outerSize);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void fitOuterSize();

    WindowHandlers handlers_;
    QSize outerSize_;
    QMargins fittedFrame_; // the frame the inner size was last fitted to
};

// The widget behind a window made by createWindow, for tests that drive it directly.
QWidget& nativeWidget(Window& window);

} // namespace kanimo
