#include "genetics/genome.h"

#include "base/geometry.h"

namespace kanimo {

void randomGenome(Random& rng, Genome& g) {
    for (int i = 0; i < genomeRows; ++i) {
        for (int j = 0; j < genomeColumns; ++j) {
            g.angles[i][j] = emptyCell;
            g.kinds[i][j] = emptyCell;
        }
    }
    g.limbCount = rng.random(7) + 2;
    for (int i = 0; i <= g.limbCount - 2; ++i) {
        const int n = rng.random(13) + 1;
        double a = rng.random(360);
        const int step = rng.random(50);
        for (int j = 0; j < n; ++j) {
            if (j > 0) {
                a = rng.random(2) == 0 ? a - step : a + step;
                a = wrapAngle(a);
            }
            g.angles[i][j] = static_cast<int>(a);
            g.kinds[i][j] = rng.random(4);
        }
    }
}

Genome mutate(Random& rng, Genome g) {
    const int row = rng.random(7);
    const int column = rng.random(13);
    const int choice = rng.random(15);
    if (choice == 0 && g.angles[row][column] != emptyCell) {
        g.angles[row][column] = rng.random(360);
    } else if (choice == 1 && g.kinds[row][column] != emptyCell) {
        g.kinds[row][column] = rng.random(4);
    }
    return g;
}

} // namespace kanimo
