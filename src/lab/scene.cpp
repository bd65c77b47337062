#include "lab/scene.h"

#include <algorithm>
#include <cmath>

#include "creature/creature.h"
#include "lab/world_walk.h"
#include "render/background.h"
#include "render/picture.h"
#include "world/world.h"

namespace kanimo {

double trailMargin(const World& world) {
    const WorldSettings& s = world.settings;
    // A chain of up to thirteen segments trails the body by a tick a segment, at most the
    // top speed and a bounce a tick, and reaches out a head's reach and a segment's size.
    const double perTick = std::max(s.maxSpeed, s.baseSpeed) + s.bounceStep + s.maxCreatureSize;
    return 14.0 * perTick + 2.0 * s.maxCreatureSize;
}

void buildScene(World& world, const SceneRequest& request, Scene& scene) {
    scene.worldSize = world.settings.worldSize;
    scene.dots = request.dots;
    scene.creatures.clear();
    scene.shapes.clear();
    const double margin = trailMargin(world);
    const double left = request.left - margin;
    const double top = request.top - margin;
    const double right = request.right + margin;
    const double bottom = request.bottom + margin;
    const int lifespan = world.settings.lifespan;
    forEachCreature(world, [&](const Creature& c) {
        if (!(c.pos.x >= left && c.pos.x <= right && c.pos.y >= top && c.pos.y <= bottom)) return;
        SceneCreature sc;
        sc.id = c.lineage.id;
        sc.pos = c.pos;
        sc.size = c.size;
        sc.body = bodyColour(c);
        sc.alive = c.energy > 0;
        if (request.dots) {
            const double r = c.size * 0.5;
            sc.x1 = c.pos.x - r;
            sc.y1 = c.pos.y - r;
            sc.x2 = c.pos.x + r;
            sc.y2 = c.pos.y + r;
            scene.creatures.push_back(sc);
            return;
        }
        sc.firstShape = static_cast<std::uint32_t>(scene.shapes.size());
        sc.x1 = sc.y1 = HUGE_VAL;
        sc.x2 = sc.y2 = -HUGE_VAL;
        forEachCreatureShape(c, lifespan, [&](const EllipseShape& e) {
            scene.shapes.push_back(e);
            sc.x1 = std::min(sc.x1, std::min(e.x1, e.x2));
            sc.y1 = std::min(sc.y1, std::min(e.y1, e.y2));
            sc.x2 = std::max(sc.x2, std::max(e.x1, e.x2));
            sc.y2 = std::max(sc.y2, std::max(e.y1, e.y2));
        });
        sc.shapeCount = static_cast<std::uint32_t>(scene.shapes.size()) - sc.firstShape;
        // A box one pixel wider on each side holds every pixel the shapes fill.
        if (sc.x2 + 1 < request.left || sc.x1 - 1 > request.right || sc.y2 + 1 < request.top ||
            sc.y1 - 1 > request.bottom) {
            scene.shapes.resize(sc.firstShape);
            return;
        }
        scene.creatures.push_back(sc);
    });
}

bool ellipseHolds(const EllipseShape& e, Vec2 p) {
    const double rx = std::fabs(e.x2 - e.x1) * 0.5;
    const double ry = std::fabs(e.y2 - e.y1) * 0.5;
    if (!(rx > 0) || !(ry > 0)) return false;
    const double dx = (p.x - (e.x1 + e.x2) * 0.5) / rx;
    const double dy = (p.y - (e.y1 + e.y2) * 0.5) / ry;
    return dx * dx + dy * dy <= 1.0;
}

std::optional<std::size_t> pickCreature(const Scene& scene, Vec2 p, double dotReach) {
    if (scene.dots) {
        std::optional<std::size_t> best;
        double bestDistance = HUGE_VAL;
        for (std::size_t i = 0; i < scene.creatures.size(); ++i) {
            const SceneCreature& c = scene.creatures[i];
            const double reach = std::max(dotReach, c.size * 0.5);
            const double d = std::hypot(c.pos.x - p.x, c.pos.y - p.y);
            // Later creatures are drawn over earlier ones: on a tie the later wins.
            if (d <= reach && d <= bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        return best;
    }
    for (std::size_t i = scene.creatures.size(); i-- > 0;) {
        const SceneCreature& c = scene.creatures[i];
        if (p.x < c.x1 || p.x > c.x2 || p.y < c.y1 || p.y > c.y2) continue;
        for (std::uint32_t k = c.shapeCount; k-- > 0;) {
            if (ellipseHolds(scene.shapes[c.firstShape + k], p)) return i;
        }
    }
    return std::nullopt;
}

void drawScene(Picture& picture, const Scene& scene, const ViewMapping& m, int minDot) {
    const int savedX = picture.originX();
    const int savedY = picture.originY();
    picture.setOrigin(m.offsetX, m.offsetY);
    picture.setPenStyle(PenStyle::Clear);
    const double z = m.zoom;
    const double viewLeft = m.offsetX / z;
    const double viewTop = m.offsetY / z;
    const double viewRight = (m.offsetX + picture.width()) / z;
    const double viewBottom = (m.offsetY + picture.height()) / z;
    for (const SceneCreature& c : scene.creatures) {
        if (c.x2 + 1 < viewLeft || c.x1 - 1 > viewRight || c.y2 + 1 < viewTop ||
            c.y1 - 1 > viewBottom) {
            continue;
        }
        if (scene.dots) {
            const double side = std::max<double>(minDot, c.size * z);
            const int x = static_cast<int>(std::floor(c.pos.x * z - side * 0.5));
            const int y = static_cast<int>(std::floor(c.pos.y * z - side * 0.5));
            const int s = static_cast<int>(std::ceil(side));
            picture.setBrushColour(c.alive ? c.body : 0x00303030);
            picture.rectangle(x, y, x + s + 1, y + s + 1);
            continue;
        }
        for (std::uint32_t k = 0; k < c.shapeCount; ++k) {
            const EllipseShape& e = scene.shapes[c.firstShape + k];
            // At zoom 1 the products are the bounds themselves, to the bit.
            drawShape(picture, EllipseShape{e.x1 * z, e.y1 * z, e.x2 * z, e.y2 * z, e.colour});
        }
    }
    picture.setOrigin(savedX, savedY);
}

void drawView(Picture& picture, const Scene& scene, bool plain, const ViewMapping& mapping,
              Colour outside) {
    drawBackdrop(picture, scene.worldSize, plain, mapping, outside);
    drawScene(picture, scene, mapping);
    // Shapes past the world's edge are cut there, as the whole frame cuts them.
    coverOutsideFrame(picture, scene.worldSize, mapping, outside);
}

void drawBackdrop(Picture& picture, int worldSize, bool plain, const ViewMapping& m,
                  Colour outside) {
    const int width = picture.width();
    const int height = picture.height();
    picture.setOrigin(0, 0);
    picture.setPenStyle(PenStyle::Clear);
    const int frame = worldSize + 1; // the frame's side in world pixels
    const int frameEnd = static_cast<int>(std::ceil(frame * m.zoom));
    // The frame's screen extent, right and bottom excluded.
    const int left = std::clamp(-m.offsetX, 0, width);
    const int top = std::clamp(-m.offsetY, 0, height);
    const int right = std::clamp(frameEnd - m.offsetX, left, width);
    const int bottom = std::clamp(frameEnd - m.offsetY, top, height);
    if (m.zoom == 1.0) {
        // The frame's own background for its part under the picture, unpainted pixels
        // included, which the whole frame leaves black.
        picture.setBrushColour(0);
        picture.rectangle(0, 0, width + 1, height + 1);
        if (plain) {
            picture.setBrushColour(0x00808080);
            picture.rectangle(left, top, right + 1, bottom + 1);
        } else {
            picture.setOrigin(m.offsetX, m.offsetY);
            paintBackground(picture, false, worldSize);
            picture.setOrigin(0, 0);
        }
    } else {
        // One frame column of the background, scaled row by row.
        Picture column;
        column.setSize(1, frame);
        paintBackground(column, plain, worldSize);
        auto rowAt = [&](int y) {
            return std::clamp(static_cast<int>((y + m.offsetY) / m.zoom), 0, frame - 1);
        };
        for (int y = top; y < bottom;) {
            const int row = rowAt(y);
            int end = y + 1;
            while (end < bottom && rowAt(end) == row) ++end;
            picture.setBrushColour(column.pixel(0, row));
            picture.rectangle(left, y, right + 1, end + 1);
            y = end;
        }
    }
    coverOutsideFrame(picture, worldSize, m, outside);
}

void coverOutsideFrame(Picture& picture, int worldSize, const ViewMapping& m, Colour outside) {
    const int width = picture.width();
    const int height = picture.height();
    const int frameEnd = static_cast<int>(std::ceil((worldSize + 1) * m.zoom));
    const int left = std::clamp(-m.offsetX, 0, width);
    const int top = std::clamp(-m.offsetY, 0, height);
    const int right = std::clamp(frameEnd - m.offsetX, left, width);
    const int bottom = std::clamp(frameEnd - m.offsetY, top, height);
    picture.setOrigin(0, 0);
    picture.setPenStyle(PenStyle::Clear);
    picture.setBrushColour(outside);
    picture.rectangle(0, 0, width + 1, top + 1);
    picture.rectangle(0, bottom, width + 1, height + 1);
    picture.rectangle(0, top, left + 1, bottom + 1);
    picture.rectangle(right, top, width + 1, bottom + 1);
}

} // namespace kanimo
