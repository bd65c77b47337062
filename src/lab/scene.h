#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/geometry.h"
#include "render/creature_shapes.h"

namespace kanimo {

class Picture;
struct World;

// The part of the world a view asks for, in world units, and how closely it looks.
struct SceneRequest {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    // One dot a creature, where a creature is a few pixels across, instead of its shapes.
    bool dots = false;
};

// One creature of a scene. With shapes, its ellipses are scene.shapes[firstShape ..
// firstShape + shapeCount) and the box bounds them; as a dot, the box is its body's.
struct SceneCreature {
    std::uint64_t id = 0;
    Vec2 pos{0.0, 0.0};
    double size = 0.0;
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    Colour body = 0;
    bool alive = false;
    std::uint32_t firstShape = 0;
    std::uint32_t shapeCount = 0;
};

// A copy of what a view draws, taken between steps: the creatures in and near the asked
// area, in drawing order. It owns everything it holds, so it can be drawn and hit-tested
// while the world steps on.
struct Scene {
    int worldSize = 0;
    bool dots = false;
    std::vector<SceneCreature> creatures;
    std::vector<EllipseShape> shapes;
};

// How a scene lands on the screen: a world point p is drawn at p * zoom - offset. At zoom 1
// the pixels are exactly those of the whole frame (composeFrame) moved by the offset.
struct ViewMapping {
    double zoom = 1.0;
    int offsetX = 0;
    int offsetY = 0;

    Vec2 toScreen(Vec2 world) const {
        return Vec2(world.x * zoom - offsetX, world.y * zoom - offsetY);
    }
    Vec2 toWorld(Vec2 screen) const {
        return Vec2((screen.x + offsetX) / zoom, (screen.y + offsetY) / zoom);
    }
};

// How far beyond its centre a creature's limbs may trail: a chain follows where the body
// was over the last ticks. Creatures whose centre lies this far outside the asked area
// are not looked at.
double trailMargin(const World& world);

// Reads the world between steps (its list's array may be made anew on the way).
void buildScene(World& world, const SceneRequest& request, Scene& scene);

// The creature drawn top-most at a world point: the last drawn shape that holds it (for a
// dot, the nearest dot within `dotReach` world units). Nothing when no creature is there.
std::optional<std::size_t> pickCreature(const Scene& scene, Vec2 point, double dotReach);

// Whether the ellipse holds the point (the inscribed ellipse of its box).
bool ellipseHolds(const EllipseShape& e, Vec2 point);

// Draws the scene over a picture that the caller filled with the background. A dot is at
// least `minDot` pixels wide.
void drawScene(Picture& picture, const Scene& scene, const ViewMapping& mapping, int minDot = 2);

// Fills the picture with the world's background as the mapping shows it, and `outside`
// beyond the world's frame. At zoom 1 exactly the frame's background.
void drawBackdrop(Picture& picture, int worldSize, bool plain, const ViewMapping& mapping,
                  Colour outside);
void coverOutsideFrame(Picture& picture, int worldSize, const ViewMapping& mapping, Colour outside);

// The view's picture: the backdrop, the scene over it, and `outside` beyond the frame. At
// zoom 1, within the frame, exactly the whole frame's pixels moved by the offset.
void drawView(Picture& picture, const Scene& scene, bool plain, const ViewMapping& mapping,
              Colour outside);

} // namespace kanimo
