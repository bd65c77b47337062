#include "report/newick_tree.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "report/ancestry.h"
#include "report/state_dump.h"

namespace kanimo {

std::string newickTree(const Ancestry& ancestry, long long lastStep) {
    // Children lists, each in id order; the root's children are the founders.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> links; // parent, child
    links.reserve(ancestry.entries().size());
    // A creature whose parent is not kept (see Ancestry::adoptLiving) hangs from the root.
    for (const auto& [id, entry] : ancestry.entries()) {
        const bool parentKept = ancestry.entries().count(entry.parentId) != 0;
        links.emplace_back(parentKept ? entry.parentId : 0, id);
    }
    std::sort(links.begin(), links.end());
    std::unordered_map<std::uint64_t, std::pair<std::size_t, std::size_t>> children; // range
    for (std::size_t i = 0; i < links.size();) {
        std::size_t j = i;
        while (j < links.size() && links[j].first == links[i].first) ++j;
        children[links[i].first] = {i, j};
        i = j;
    }
    const auto childrenOf = [&](std::uint64_t id) {
        const auto found = children.find(id);
        return found == children.end() ? std::pair<std::size_t, std::size_t>{0, 0} : found->second;
    };

    // Depth first, with the stack in place of recursion: lines of descent can run to
    // thousands of generations. Each frame is a node and the next of its children to write.
    struct Frame {
        std::uint64_t id;
        std::size_t begin;
        std::size_t next;
        std::size_t end;
    };
    std::string text;
    std::vector<Frame> stack;
    const auto [rootBegin, rootEnd] = childrenOf(0);
    stack.push_back({0, rootBegin, rootBegin, rootEnd});
    text.push_back('(');
    while (true) {
        Frame& top = stack.back();
        if (top.next < top.end) {
            const std::uint64_t child = links[top.next].second;
            if (top.next > top.begin) text.push_back(',');
            ++top.next;
            const auto [begin, end] = childrenOf(child);
            if (begin < end) text.push_back('(');
            stack.push_back({child, begin, begin, end});
            continue;
        }
        const Frame done = top;
        stack.pop_back();
        if (stack.empty()) break;
        if (done.end > done.begin) text.push_back(')');
        const Ancestry::Entry& e = ancestry.entries().at(done.id);
        text.push_back('c');
        appendInteger(text, done.id);
        text.push_back(':');
        appendInteger(text, (e.deathStep < 0 ? lastStep : e.deathStep) - e.birthStep);
    }
    text += ");\n";
    return text;
}

} // namespace kanimo
