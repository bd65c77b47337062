#include "report/ancestry.h"

#include <algorithm>
#include <charconv>

#include "creature/creature.h"
#include "report/state_dump.h"
#include "world/world.h"

namespace kanimo {

namespace {

constexpr std::string_view versionLine = "kanimo-ancestry 1";

// Reads one whole number (a leading '-' allowed) and the blank or newline after it.
template <typename Integer> bool readField(std::string_view& text, Integer& out, char end) {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (ec != std::errc() || ptr == text.data() + text.size() || *ptr != end) return false;
    text.remove_prefix(static_cast<std::size_t>(ptr - text.data()) + 1);
    return true;
}

} // namespace

void Ancestry::born(const Creature& creature) {
    const Lineage& l = creature.lineage;
    Entry& entry = entries_[l.id];
    entry = Entry{l.parentId, l.birthStep, -1, 1};
    if (l.parentId == 0) return;
    // The parent died this very step, as it split, and is kept until the step ends.
    const auto parent = entries_.find(l.parentId);
    if (parent != entries_.end()) ++parent->second.references;
}

void Ancestry::died(const Creature& creature) {
    const auto found = entries_.find(creature.lineage.id);
    if (found == entries_.end() || found->second.deathStep >= 0) return;
    found->second.deathStep = creature.lineage.deathStep;
    if (--found->second.references == 0) unreferenced_.push_back(found->first);
}

void Ancestry::endStep() {
    for (const std::uint64_t id : unreferenced_) release(id);
    unreferenced_.clear();
}

void Ancestry::adoptLiving(const World& world) {
    for (const Creature* c : world.creatures) {
        const Lineage& l = c->lineage;
        if (c->energy > 0 && entries_.count(l.id) == 0) {
            entries_.emplace(l.id, Entry{l.parentId, l.birthStep, -1, 1});
        }
    }
}

void Ancestry::release(std::uint64_t id) {
    for (auto found = entries_.find(id);
         found != entries_.end() && found->second.references == 0;) {
        const std::uint64_t parentId = found->second.parentId;
        entries_.erase(found);
        found = entries_.find(parentId);
        if (found != entries_.end()) --found->second.references;
    }
}

std::string Ancestry::serialize() const {
    std::vector<std::uint64_t> ids;
    ids.reserve(entries_.size());
    for (const auto& [id, entry] : entries_) ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    std::string text(versionLine);
    text.push_back('\n');
    for (const std::uint64_t id : ids) {
        const Entry& e = entries_.at(id);
        appendInteger(text, id);
        text.push_back(' ');
        appendInteger(text, e.parentId);
        text.push_back(' ');
        appendInteger(text, e.birthStep);
        text.push_back(' ');
        appendInteger(text, e.deathStep);
        text.push_back('\n');
    }
    return text;
}

std::string Ancestry::deserialize(const std::string& whole) {
    entries_.clear();
    unreferenced_.clear();
    std::string_view text = whole;
    if (text.substr(0, versionLine.size() + 1) != std::string(versionLine) + "\n") {
        return "the ancestry is not of a known version";
    }
    text.remove_prefix(versionLine.size() + 1);
    std::uint64_t lastId = 0;
    while (!text.empty()) {
        std::uint64_t id = 0;
        Entry e;
        if (!readField(text, id, ' ') || !readField(text, e.parentId, ' ') ||
            !readField(text, e.birthStep, ' ') || !readField(text, e.deathStep, '\n')) {
            entries_.clear();
            return "the ancestry has a malformed line";
        }
        // Ids rise in the text, and a parent is always made before its child.
        const auto parent = entries_.find(e.parentId);
        const bool parentKnown = e.parentId == 0 || parent != entries_.end();
        if (id <= lastId || e.parentId >= id || !parentKnown || e.deathStep < -1 ||
            (e.deathStep >= 0 && e.deathStep < e.birthStep) ||
            (e.parentId != 0 && parent->second.deathStep > e.birthStep)) {
            entries_.clear();
            return "the ancestry does not hold together";
        }
        e.references = e.deathStep < 0 ? 1 : 0;
        if (parent != entries_.end()) ++parent->second.references;
        entries_.emplace(id, e);
        lastId = id;
    }
    for (const auto& [id, entry] : entries_) {
        if (entry.references == 0) {
            entries_.clear();
            return "the ancestry keeps a line that has died out";
        }
    }
    return {};
}

} // namespace kanimo
