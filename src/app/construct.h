#pragma once

#include <memory>

#include "app/toolkit.h"

namespace kanimo {

struct Shell;

// The main window: its layout, its two timers and the handlers of its events. It works on
// the shell it is given and owns only its toolkit objects.
class Tconstruct {
  public:
    explicit Tconstruct(Shell& shell);
    Tconstruct(const Tconstruct&) = delete;
    Tconstruct& operator=(const Tconstruct&) = delete;

    void show() { window_->show(); }
    void close() { window_->close(); }

    Window& window() { return *window_; }
    PaintBox& world() { return world_; }
    Label& totalcreatures() { return totalcreatures_; }
    Label& debugMessage() { return debugMessage_; }
    const Timer& worldTime() const { return *worldTime_; }
    const Timer& timer1() const { return *Timer1_; }
    // How many times the run loop has been entered; the window enters it once.
    int runLoopEntries() const { return runLoopEntries_; }

    // Event handlers.
    void FormActivate();
    void FormKeyDown(KeyId key);
    void FormPaint();
    void FormClose();
    void worldTimeTimer();
    void Timer1Timer();

  private:
    Shell& shell_;
    std::unique_ptr<Window> window_;
    PaintBox& world_;
    Label& totalcreatures_;
    Label& debugMessage_;
    std::unique_ptr<Timer> worldTime_;
    std::unique_ptr<Timer> Timer1_;
    int runLoopEntries_ = 0;
};

} // namespace kanimo
