#include "report/genome_text.h"

#include "report/state_dump.h"

namespace kanimo {

std::string genomeText(const Genome& genome) {
    constexpr char letters[] = {'d', 'b', 'f', 'p'};
    int rows = genomeRows;
    while (rows > 0 && genome.angles[rows - 1][0] == emptyCell) --rows;
    std::string text;
    for (int r = 0; r < rows; ++r) {
        if (r > 0) text.push_back('/');
        for (int k = 0; k < genomeColumns && genome.angles[r][k] != emptyCell; ++k) {
            if (k > 0) text.push_back(' ');
            appendInteger(text, genome.angles[r][k]);
            const int kind = genome.kinds[r][k];
            if (kind >= 0 && kind < 4) {
                text.push_back(letters[kind]);
            } else {
                text.push_back('k');
                appendInteger(text, kind);
            }
        }
    }
    return text;
}

} // namespace kanimo
