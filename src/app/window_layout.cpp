#include "app/window_layout.h"

namespace kanimo {

namespace {

ComponentLayout label(std::string name, int left, int top, int width, int height,
                      std::string caption, bool enabled) {
    ComponentLayout c;
    c.name = std::move(name);
    c.kind = ComponentKind::Label;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.caption = std::move(caption);
    c.enabled = enabled;
    return c;
}

ComponentLayout box(std::string name, ComponentKind kind, int left, int top, int width,
                    int height) {
    ComponentLayout c;
    c.name = std::move(name);
    c.kind = kind;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    return c;
}

WindowLayout makeConstructLayout() {
    WindowLayout w;
    w.name = "construct";
    w.className = "Tconstruct";
    w.caption = "construct";
    w.left = 202;
    w.top = 201;
    w.width = 748;
    w.height = 658;
    w.font = {"MS Sans Serif", 11, false};

    // The bevels go first so that the paint box and the title lie over their frames.
    w.components.push_back(box("Bevel1", ComponentKind::Bevel, 6, 6, 606, 606));
    w.components.push_back(box("Bevel2", ComponentKind::Bevel, 624, 16, 105, 25));
    w.components.push_back(box("world", ComponentKind::PaintBox, 8, 8, 601, 601));

    ComponentLayout title = label("Title", 632, 16, 85, 22, "K A N I M O", true);
    title.font = {"Trebuchet MS", 16, true};
    w.components.push_back(title);
    ComponentLayout prompt = label("Label4", 632, 48, 92, 14, "Press 'S' to begin...", true);
    prompt.font = {"Arial", 11, false};
    w.components.push_back(prompt);

    w.components.push_back(label("totalcreatures", 616, 192, 3, 13, "", false));
    w.components.push_back(label("Label6", 640, 192, 67, 13, "total creatures", false));
    w.components.push_back(label("debugMessage", 616, 216, 3, 13, "", false));
    w.components.push_back(label("Label5", 640, 216, 87, 13, "frames per second", false));
    w.components.push_back(label("Label1", 624, 448, 52, 13, "Debuggers", false));
    w.components.push_back(label("Label2", 624, 472, 10, 13, "X:", false));
    w.components.push_back(label("xDebug", 640, 472, 37, 13, "xDebug", false));
    w.components.push_back(label("Label3", 624, 496, 10, 13, "Y:", false));
    w.components.push_back(label("yDebug", 640, 496, 37, 13, "yDebug", false));
    return w;
}

} // namespace

const WindowLayout& constructLayout() {
    static const WindowLayout layout = makeConstructLayout();
    return layout;
}

} // namespace kanimo
