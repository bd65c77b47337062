#include "world/world.h"

#include "world/index/spatial_index.h"

namespace kanimo {

World::World() : World(WorldSettings{}) {}

World::World(const WorldSettings& settings_)
    : settings(settings_), boostBudget(settings_.boostBudget) {}

World::World(World&&) noexcept = default;
World& World::operator=(World&&) noexcept = default;
World::~World() = default;

} // namespace kanimo
