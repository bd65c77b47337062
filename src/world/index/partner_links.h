#pragma once

#include <vector>

namespace kanimo {

// The partner links among the contact scan's creatures, as list indices, both ways: each
// creature's partner, and the creatures that name it. The pass needs the second to count
// what a dead creature's turn does without visiting the whole list.
class PartnerLinks {
  public:
    // n creatures without partners.
    void reset(int n);
    // A creature at the next index, without a partner yet.
    void add();
    // Makes `partner` (-1: none) the partner of `index`.
    void link(int index, int partner);
    int partnerOf(int index) const { return partner_[index]; }

    template <class Visit> void forEachNamer(int index, Visit&& visit) const {
        for (int q = firstNamer_[index]; q >= 0; q = nextNamer_[q]) visit(q);
    }

  private:
    std::vector<int> partner_;
    std::vector<int> firstNamer_;    // per creature: one that names it, or -1
    std::vector<int> nextNamer_;     // per creature: the next that names the same partner
    std::vector<int> previousNamer_; // per creature: the one before it that does
};

} // namespace kanimo
