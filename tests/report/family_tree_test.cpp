#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "creature/creature.h"
#include "report/ancestry.h"
#include "report/newick_tree.h"
#include "world/population.h"
#include "world/step.h"
#include "world/step_events.h"
#include "world/world.h"

namespace kanimo {
namespace {

// Feeds the ancestry, and keeps every lineage ever seen as the oracle it is pruned against.
struct Watch : StepObserver {
    Ancestry ancestry;
    std::map<std::uint64_t, Lineage> everyone;
    void born(const Creature& c, const Creature*) override {
        ancestry.born(c);
        everyone[c.lineage.id] = c.lineage;
    }
    void died(const Creature& c, DeathCause) override {
        ancestry.died(c);
        everyone[c.lineage.id] = c.lineage;
    }
};

// The living and all their ancestors, by id.
std::set<std::uint64_t> livingFamily(const World& world,
                                     const std::map<std::uint64_t, Lineage>& everyone) {
    std::set<std::uint64_t> family;
    for (const Creature* c : world.creatures) {
        if (c->energy <= 0) continue;
        for (std::uint64_t id = c->lineage.id; id != 0 && family.insert(id).second;) {
            id = everyone.at(id).parentId;
        }
    }
    return family;
}

std::string label(std::uint64_t id) {
    std::string text = "c";
    text += std::to_string(id);
    return text;
}

struct Node {
    std::string parent; // "" for the root
    long long length = -1;
    int children = 0;
};

// Reads a Newick tree whose every node is labelled and has a length, except the root.
// Returns false on anything else, or on a label seen twice.
bool readNewick(const std::string& text, std::map<std::string, Node>& nodes) {
    std::vector<std::vector<std::string>> open; // the children read so far, per open node
    std::size_t i = 0;
    const auto token = [&] {
        const std::size_t end = text.find_first_of("(),:;", i);
        std::string t = text.substr(i, end - i);
        i = end;
        return t;
    };
    while (i < text.size() && text[i] != ';') {
        const char c = text[i];
        if (c == '(' || c == ',') {
            if (c == '(') open.emplace_back();
            ++i;
            continue;
        }
        std::vector<std::string> children;
        if (c == ')') {
            if (open.empty()) return false;
            children = std::move(open.back());
            open.pop_back();
            ++i;
        }
        const std::string label = token();
        if (label.empty()) {
            if (open.empty() && text.substr(i) == ";\n") {
                for (const std::string& child : children) nodes[child].parent = "";
                return true;
            }
            return false;
        }
        if (open.empty() || text[i] != ':' || nodes.count(label) != 0) return false;
        ++i;
        Node& node = nodes[label];
        node.length = std::stoll(token());
        node.children = static_cast<int>(children.size());
        for (const std::string& child : children) nodes[child].parent = label;
        open.back().push_back(label);
    }
    return false;
}

TEST(FamilyTree, HoldsTheLivingAsLeavesUnderTheirAncestors) {
    World world;
    Watch watch;
    world.rng.srand(2);
    seedWorld({world, &watch});
    watch.ancestry.endStep();
    while (world.stepCount < 7000) {
        takeStep(world, StepKind::world, &watch);
        watch.ancestry.endStep();
        // Pruned as lines die out: exactly the living and their ancestors are kept.
        if (world.stepCount % 500 == 0) {
            ASSERT_EQ(watch.ancestry.entries().size(), livingFamily(world, watch.everyone).size())
                << world.stepCount;
        }
    }

    const std::string text = newickTree(watch.ancestry, world.stepCount);
    std::map<std::string, Node> nodes;
    ASSERT_TRUE(readNewick(text, nodes)) << text;
    const std::set<std::uint64_t> family = livingFamily(world, watch.everyone);
    ASSERT_EQ(nodes.size(), family.size());
    int generations = 0;
    for (const std::uint64_t id : family) {
        const Lineage& l = watch.everyone.at(id);
        const Node& node = nodes.at(label(id));
        const bool alive = l.deathStep < 0;
        EXPECT_EQ(node.children == 0, alive) << id; // the living, and only they, are leaves
        EXPECT_EQ(node.parent, l.parentId == 0 ? "" : label(l.parentId)) << id;
        if (l.parentId != 0) {
            EXPECT_LT(watch.everyone.at(l.parentId).birthStep, l.birthStep) << id;
        }
        EXPECT_EQ(node.length, (alive ? world.stepCount : l.deathStep) - l.birthStep) << id;
        generations = std::max(generations, l.generation);
    }
    EXPECT_GE(generations, 3);

    // What a saved world carries gives back the same tree; a broken one is refused.
    Ancestry copy;
    const std::string saved = watch.ancestry.serialize();
    ASSERT_EQ(copy.deserialize(saved), "");
    EXPECT_EQ(newickTree(copy, world.stepCount), text);
    std::string broken = saved; // the first founder gone, its offspring orphaned
    const std::size_t firstEntry = broken.find('\n') + 1;
    broken.erase(firstEntry, broken.find('\n', firstEntry) + 1 - firstEntry);
    EXPECT_NE(copy.deserialize(broken), "");
    EXPECT_TRUE(copy.entries().empty());
}

} // namespace
} // namespace kanimo
