#pragma once

#include <string>

#include "genetics/genome.h"

namespace kanimo {

// A genome in one line that a person or a query can read and compare: limbs separated
// by '/', each the segments of its row from the body outwards as <angle><kind>, the kind
// one letter: d (drag), b (bite), f (feed), p (propel). A row ends at its first empty
// angle, as the body grown from it does, and empty rows after the last filled one are left
// out. A kind outside the four is written as k<number>. Equal genomes give equal text.
//   "12d 58b 104p/200f 190f"
std::string genomeText(const Genome& genome);

} // namespace kanimo
