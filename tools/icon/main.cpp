// kanimo-icon: draws the desktop icon, a grown creature on the gradient, with the program's
// own renderer, and writes it as a PNG. Run at build time; needs no display.

#include <cstdio>
#include <string>

#include "icon.h"
#include "render/picture.h"
#include "render/png_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kanimo-icon <out.png>\n");
        return 2;
    }
    const std::string path = argv[1];
    // Written whole beside its place and then renamed, so no half-written icon is left.
    const std::string partial = path + ".partial";
    std::string error;
    if (!kanimo::writePng(kanimo::drawIcon(), partial, error)) {
        std::fprintf(stderr, "kanimo-icon: %s\n", error.c_str());
        std::remove(partial.c_str());
        return 1;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(("kanimo-icon: cannot rename " + partial + " to " + path).c_str());
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
