// The program: everything but this entry point lives in the libraries.
#include "app/modMain.h"

int main(int argc, char** argv) {
    return worktide::RunProgram(argc, argv);
}
