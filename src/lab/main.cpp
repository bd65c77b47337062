#include "lab/lab_program.h"

int main(int argc, char** argv) {
    return kanimo::runLab(argc, argv);
}
