// Placeholder until the start-up sequence lands.
#include "app/modMain.h"

#include <QApplication>

namespace worktide {

void Main() {}
void ConnectDatabase() {}
void ExitProgram() {}

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    Main();
    return 0;
}

} // namespace worktide
