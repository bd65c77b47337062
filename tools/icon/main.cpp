// kanimo-icon: draws the desktop icon, a grown creature on the gradient, with the program's
// own renderer, and writes it as a PNG. Run at build time; needs no display.

#include <cerrno>
#include <cstdio>
#include <cstring>
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
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "kanimo-icon: cannot write '%s': %s\n", partial.c_str(),
                     std::strerror(errno));
        return 1;
    }
    const bool written = kanimo::writePng(kanimo::drawIcon(), file, error);
    if (std::fclose(file) != 0 && written) error = std::strerror(errno);
    if (!written || !error.empty()) {
        std::fprintf(stderr, "kanimo-icon: cannot write '%s': %s\n", partial.c_str(),
                     error.c_str());
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
