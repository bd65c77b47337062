#include "world/index/partner_links.h"

namespace kanimo {

void PartnerLinks::reset(int n) {
    partner_.assign(n, -1);
    firstNamer_.assign(n, -1);
    nextNamer_.assign(n, -1);
    previousNamer_.assign(n, -1);
}

void PartnerLinks::add() {
    partner_.push_back(-1);
    firstNamer_.push_back(-1);
    nextNamer_.push_back(-1);
    previousNamer_.push_back(-1);
}

void PartnerLinks::link(int index, int partner) {
    const int old = partner_[index];
    if (old == partner) return;
    if (old >= 0) {
        if (previousNamer_[index] >= 0) {
            nextNamer_[previousNamer_[index]] = nextNamer_[index];
        } else {
            firstNamer_[old] = nextNamer_[index];
        }
        if (nextNamer_[index] >= 0) previousNamer_[nextNamer_[index]] = previousNamer_[index];
    }
    partner_[index] = partner;
    previousNamer_[index] = -1;
    nextNamer_[index] = -1;
    if (partner >= 0) {
        nextNamer_[index] = firstNamer_[partner];
        if (nextNamer_[index] >= 0) previousNamer_[nextNamer_[index]] = index;
        firstNamer_[partner] = index;
    }
}

} // namespace kanimo
