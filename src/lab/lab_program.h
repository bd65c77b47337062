#pragma once

namespace kanimo {

// kanimo-lab from its command line to the end of its window.
int runLab(int argc, char** argv);

} // namespace kanimo
