#include "report/state_dump.h"

#include <charconv>
#include <cstdint>

#include "creature/creature.h"
#include "world/world.h"

namespace kanimo {

namespace {

void appendField(std::string& out, double value) {
    out.push_back(' ');
    appendDouble(out, value);
}

template <typename Integer> void appendField(std::string& out, Integer value) {
    out.push_back(' ');
    appendInteger(out, value);
}

// Limb by limb, each head and then its chain outwards: the order in which the sums are
// formed is part of the format, as floating-point addition is not associative.
void appendSegmentSums(std::string& out, const Creature& c) {
    int count = 0;
    double sx = 0.0;
    double sy = 0.0;
    for (const Segment* limb = c.body.firstLimb(); limb != nullptr; limb = limb->nextLimb()) {
        for (const Segment* s = limb; s != nullptr; s = s->next()) {
            ++count;
            sx = sx + s->pos.x;
            sy = sy + s->pos.y;
        }
    }
    appendField(out, count);
    appendField(out, sx);
    appendField(out, sy);
}

} // namespace

// to_chars with a precision is defined to give exactly what printf gives for the same
// conversion, and is several times faster, which matters when every step is traced.
void appendDouble(std::string& out, double value) {
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    out.append(buffer, result.ptr);
}

void StateDump::append(std::string& out, const World& world, long long step) {
    index_.clear();
    int length = 0;
    for (const Creature* c : world.creatures) index_[c] = length++;

    out += "step ";
    appendInteger(out, step);
    out += " population";
    appendField(out, world.population);
    out += " length";
    appendField(out, length);
    out += " budget";
    appendField(out, world.boostBudget);
    out += " rng";
    appendField(out, world.rng.low);
    appendField(out, world.rng.high);
    out.push_back('\n');

    int i = 0;
    for (const Creature* c : world.creatures) {
        appendInteger(out, i++);
        for (double v : {c->pos.x, c->pos.y, c->heading, c->swing, c->size, c->energy, c->growth,
                         c->speed, c->turnRate, c->turnDrive, c->lifeLeft, c->phase}) {
            appendField(out, v);
        }
        // The world removes every link to a creature before destroying it, so a partner is
        // always in the list; -1 stands for none.
        int partner = -1;
        if (c->partner != nullptr) {
            const auto found = index_.find(c->partner);
            if (found != index_.end()) partner = found->second;
        }
        appendField(out, partner);
        appendField(out, c->hasReproduced ? 1 : 0);
        appendField(out, c->doomed ? 1 : 0);
        appendSegmentSums(out, *c);
        out.push_back('\n');
    }
}

} // namespace kanimo
