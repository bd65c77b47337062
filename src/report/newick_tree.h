#pragma once

#include <string>

namespace kanimo {

class Ancestry;

// The family tree of the living in Newick form, ending with ";" and a newline. Creatures
// are named c<id>; the living are the leaves, their dead ancestors the inner nodes, and
// the founders hang from one unlabelled root, all in id order. A branch is a creature's
// life in whole steps: from the step of its birth to the step it split, or to `lastStep`
// for one still alive. As a child is born in the step its parent splits, the branches of
// a line join end to end. With nobody alive the tree is "();".
std::string newickTree(const Ancestry& ancestry, long long lastStep);

} // namespace kanimo
