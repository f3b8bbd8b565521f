#pragma once

#include <QString>

// Where the lock lives that keeps a second copy of the program from running for the same
// user: a file of the user's own, one implementation per platform.
namespace worktide {

// The lock file in the user's own folder for it (the runtime folder on Linux, the local
// application data folder on Windows).
QString DefaultInstanceLockPath();

} // namespace worktide
