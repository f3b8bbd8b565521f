#pragma once

// Start-up: the entry procedure and the program's command line.
namespace worktide {

// The entry procedure: refuses a second copy, settles the hosts, runs the
// updater, connects, signs in and opens the main window.
void Main();
// Creates the application object, handles the command line and runs Main and
// the event loop. Returns the process exit code.
int RunProgram(int argc, char** argv);
void ConnectDatabase();

} // namespace worktide
