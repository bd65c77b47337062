#include "app/construct.h"

#include "app/key_commands.h"
#include "app/run_loop.h"
#include "app/shell.h"
#include "app/window_layout.h"
#include "render/background.h"

namespace kanimo {

namespace {

WindowHandlers handlersOf(Tconstruct& form) {
    WindowHandlers h;
    h.activate = [&form] { form.FormActivate(); };
    h.keyDown = [&form](KeyId key) { form.FormKeyDown(key); };
    h.paint = [&form] { form.FormPaint(); };
    h.close = [&form] { form.FormClose(); };
    return h;
}

} // namespace

Tconstruct::Tconstruct(Shell& shell)
    : shell_(shell), window_(createWindow(constructLayout(), handlersOf(*this))),
      world_(window_->paintBox("world")), totalcreatures_(window_->label("totalcreatures")),
      debugMessage_(window_->label("debugMessage")),
      worldTime_(createTimer(1, [this] { worldTimeTimer(); })),
      Timer1_(createTimer(1000, [this] { Timer1Timer(); })) {}

void Tconstruct::FormActivate() {
    // The window is activated again whenever it regains the focus, e.g. after the Home
    // message box closes; the loop already running below must not be started a second time.
    if (shell_.running) return;
    ++runLoopEntries_;
    runLoop(shell_, *this);
}

void Tconstruct::FormKeyDown(KeyId key) {
    keyDown(shell_, *this, key);
}

void Tconstruct::FormPaint() {
    if (!shell_.running) {
        paintBackground(shell_.offscreen, shell_.plainBackground, shell_.world.settings.worldSize);
    }
}

void Tconstruct::FormClose() {
    shell_.quitRequested = true;
}

void Tconstruct::worldTimeTimer() {
    shell_.worldTick = !shell_.worldTick;
}

void Tconstruct::Timer1Timer() {
    shell_.fpsTick = true;
}

} // namespace kanimo
