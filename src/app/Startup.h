#pragma once

#include "support/modAutoUpdateV1_Launcher.h"

#include <QString>

#include <functional>

// Pieces of the start-up that tests reach: the application title, the lock that
// keeps a second copy out, and a hook told the name of each start-up step as it
// begins ("InstanceCheck", "RefreshServerAddressSetting", "LoadServerAddressSetting",
// "RunAutoUpdate", "ConnectDatabase", "frmLogin", "FrmMain").
namespace worktide {

QString AppTitle();

using StartupObserver = std::function<void(const QString& step)>;
void SetStartupObserver(StartupObserver observer);

// Per-user lock file of the running copy (support/InstanceLock.h says where).
QString InstanceLockPath();
// Tests use a folder of their own; empty text restores the default.
void SetInstanceLockFolder(const QString& folder);
// True when this process holds the lock (now or already).
bool AcquireInstanceLock();
void ReleaseInstanceLock();

// What start-up does with the launcher's outcome: its messages in order, then the folder
// opened, then the end of the process (after which start-up goes on only when the exit
// handler let it).
void CarryOutAutoUpdate(const AutoUpdateRun& run);

} // namespace worktide
