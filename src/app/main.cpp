#include "app/program.h"

int main(int argc, char** argv) {
    return kanimo::runProgram(argc, argv);
}
