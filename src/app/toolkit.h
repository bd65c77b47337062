#pragma once

// What the shell needs of the window system, and nothing more. The implementation behind
// these declarations is the only code that knows the toolkit; everything else in the shell
// is written against this header.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "render/picture.h"

namespace kanimo {

struct WindowLayout;

// Keys are recognised by identity; letters in either case and with any modifiers.
enum class KeyId { Home, Escape, B, W, G, D, Other };

class Label {
  public:
    virtual ~Label() = default;
    // The label resizes itself so the new text is shown whole.
    virtual void setCaption(const std::string& text) = 0;
    virtual std::string caption() const = 0;
};

// A box that keeps a surface of its own, its size, which pictures are copied onto and which
// every repaint shows as it is.
class PaintBox {
  public:
    virtual ~PaintBox() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Copies the whole picture with its top-left corner at (x, y): the covered pixels are
    // overwritten, the rest keep what they had, whatever falls outside is clipped. Shows up
    // with the next delivery of events.
    virtual void copyPicture(const Picture& picture, int x, int y) = 0;
    // A surface pixel as 0x00BBGGRR, like the pictures copied onto it.
    virtual Colour pixel(int x, int y) const = 0;
};

// The handlers a window calls. Each is called only from inside event delivery.
struct WindowHandlers {
    // Every time the window becomes the active one; the handler may run for the rest of the
    // program, since it is called once the window system's own activation is complete.
    std::function<void()> activate;
    std::function<void(KeyId)> keyDown;
    std::function<void()> paint;
    // The close goes ahead after the handler; closing the main window ends the event loop.
    std::function<void()> close;
};

class Window {
  public:
    virtual ~Window() = default;
    // Shows the window and asks for it to be activated, so that it gets the keyboard even
    // where no window manager hands out the focus.
    virtual void show() = 0;
    virtual void close() = 0;
    virtual void requestActivation() = 0;
    // The components of the layout, by name. Throws std::out_of_range for an unknown name.
    virtual Label& label(std::string_view name) = 0;
    virtual PaintBox& paintBox(std::string_view name) = 0;
};

class Timer {
  public:
    virtual ~Timer() = default;
    // The period actually used: the requested one rounded up to whole system ticks.
    virtual std::chrono::nanoseconds period() const = 0;
};

class Application {
  public:
    virtual ~Application() = default;
    // Runs the event loop until the main window is closed.
    virtual int runEventLoop() = 0;
};

// Initialises the toolkit. Where the display cannot be opened, or the platform plugin cannot
// be loaded, it says which in one line on stderr and ends the process with status 1,
// instead of the toolkit's own abort.
std::unique_ptr<Application> createApplication();

// The first window created is the application's main window.
std::unique_ptr<Window> createWindow(const WindowLayout& layout, WindowHandlers handlers);

// Starts at once; its events are delivered only inside event delivery.
std::unique_ptr<Timer> createTimer(int periodMs, std::function<void()> onTimer);

// Delivers every pending event (timers, keys, paints, closes) and returns without waiting.
void deliverPendingEvents();

// A modal information box with one "OK" button; returns when it is dismissed.
void showMessageBox(const std::string& caption, const std::string& text);

// The standard box for an exception that escaped start-up; modal.
void showExceptionBox(const std::string& message);

} // namespace kanimo
