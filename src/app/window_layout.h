#pragma once

#include <string>
#include <vector>

namespace kanimo {

enum class ComponentKind { PaintBox, Bevel, Label };

// A font by what is asked for; the toolkit falls back to what the machine has.
struct FontRequest {
    std::string family;
    int pixelSize = 0;
    bool bold = false;
};

struct ComponentLayout {
    std::string name;
    ComponentKind kind = ComponentKind::Label;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string caption;
    bool enabled = true;
    // Empty family: the window's font.
    FontRequest font;
};

struct WindowLayout {
    std::string name;
    std::string className;
    std::string caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    FontRequest font;
    // In creation order, which is also the stacking order: later ones lie on top.
    std::vector<ComponentLayout> components;
};

// The main window `construct`.
const WindowLayout& constructLayout();

} // namespace kanimo
