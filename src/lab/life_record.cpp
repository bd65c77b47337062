#include "lab/life_record.h"

#include "creature/creature.h"
#include "lab/world_walk.h"
#include "world/world.h"

namespace kanimo {

LifeRecord::Life& LifeRecord::entry(std::uint64_t id) {
    if (lives_.empty()) firstId_ = id;
    if (id < firstId_) {
        // A loaded world's oldest creature may come after younger ones in its list.
        lives_.insert(lives_.begin(), firstId_ - id, Life{});
        firstId_ = id;
    }
    const std::uint64_t index = id - firstId_;
    if (index >= lives_.size()) lives_.resize(index + 1);
    return lives_[index];
}

namespace {

void countKinds(const Creature& c, LifeRecord::Life& life) {
    for (std::uint8_t& k : life.kinds) k = 0;
    for (int i = 0; i < c.body.segmentCount(); ++i) {
        const int kind = static_cast<int>(c.body.segments()[i].kind);
        if (kind >= 0 && kind < 4) ++life.kinds[kind];
    }
}

} // namespace

void LifeRecord::born(const Creature& creature, std::int64_t step) {
    const Lineage& l = creature.lineage;
    Life& life = entry(l.id);
    countKinds(creature, life);
    life.parentId = l.parentId;
    life.birthStep = step;
    life.generation = l.generation;
    life.mutated = l.mutated;
}

void LifeRecord::died(const Creature& creature, std::int64_t step) {
    Life& life = entry(creature.lineage.id);
    life.deathStep = step;
    life.cause = creature.lineage.deathCause;
}

void LifeRecord::removed(const Creature& creature, std::int64_t step) {
    entry(creature.lineage.id).removedStep = step;
}

void LifeRecord::adopt(World& world) {
    forEachCreature(world, [this](const Creature& c) {
        const Lineage& l = c.lineage;
        Life& life = entry(l.id);
        countKinds(c, life);
        life.parentId = l.parentId;
        life.birthStep = l.birthStep;
        life.generation = l.generation;
        life.mutated = l.mutated;
        life.deathStep = l.deathStep;
        life.cause = l.deathCause;
    });
}

LifeRecord LifeRecord::upTo(std::int64_t step) const {
    LifeRecord kept;
    kept.firstId_ = firstId_;
    kept.lives_ = lives_;
    // Ids are handed out in birth order: the lives born later are the table's tail.
    while (!kept.lives_.empty() && kept.lives_.back().birthStep > step) kept.lives_.pop_back();
    for (Life& life : kept.lives_) {
        if (life.birthStep > step) life = Life{};
        if (life.deathStep > step) {
            life.deathStep = -1;
            life.cause = DeathCause::none;
        }
        if (life.removedStep > step) life.removedStep = -1;
    }
    return kept;
}

const LifeRecord::Life* LifeRecord::find(std::uint64_t id) const {
    if (lives_.empty() || id < firstId_ || id - firstId_ >= lives_.size()) return nullptr;
    const Life& life = lives_[id - firstId_];
    return life.birthStep < 0 ? nullptr : &life;
}

const LifeRecord::Life& LifeRecord::of(const Creature& creature) const {
    return lives_[creature.lineage.id - firstId_];
}

std::vector<std::uint64_t> LifeRecord::childrenOf(std::uint64_t id) const {
    std::vector<std::uint64_t> children;
    if (id == 0) return children;
    // Offspring come after their parent: start the scan there.
    const std::uint64_t from = id < firstId_ ? 0 : id - firstId_ + 1;
    for (std::uint64_t i = from; i < lives_.size(); ++i) {
        if (lives_[i].parentId == id && lives_[i].birthStep >= 0) children.push_back(firstId_ + i);
    }
    return children;
}

} // namespace kanimo
