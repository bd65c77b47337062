#include "world/index/dead_tally.h"

#include <algorithm>

namespace kanimo {

void DeadTally::clear() {
    livingTurns = 0;
    since_.clear();
    extra_.clear();
    cutBase_.clear();
    cuts_.clear();
    cutStarts_.clear();
}

void DeadTally::start(int index) {
    if (index >= static_cast<int>(since_.size())) {
        // Grown ahead, as the scan that calls this grows one creature at a time.
        const std::size_t size = std::max<std::size_t>(2 * static_cast<std::size_t>(index), 64);
        since_.resize(size, 0);
        extra_.resize(size, 0);
        cutBase_.resize(size, 0);
    }
    since_[index] = livingTurns;
    extra_[index] = 0;
    cutBase_[index] = cutsAt(index);
}

void DeadTally::cutShort(int from) {
    cutStarts_.push_back(from);
    const int position = from + 1;
    if (position >= static_cast<int>(cuts_.size())) {
        // A tree that grows is rebuilt from its entries: cuts are rare.
        cuts_.assign(std::max<std::size_t>(2 * position, 64), 0);
        for (int start : cutStarts_) {
            for (int i = start + 1; i < static_cast<int>(cuts_.size()); i += i & -i) cuts_[i] -= 1;
        }
        return;
    }
    for (int i = position; i < static_cast<int>(cuts_.size()); i += i & -i) cuts_[i] -= 1;
}

std::int64_t DeadTally::cutsAt(int index) const {
    if (cutStarts_.empty()) return 0;
    std::int64_t sum = 0;
    for (int i = std::min(index + 1, static_cast<int>(cuts_.size()) - 1); i > 0; i -= i & -i) {
        sum += cuts_[i];
    }
    return sum;
}

std::int64_t DeadTally::owed(int index) const {
    return livingTurns - since_[index] + extra_[index] + cutsAt(index) - cutBase_[index];
}

} // namespace kanimo
