#pragma once

#include "support/UserMessage.h"

#include <QString>

// The update launcher of start-up: keeps the update checker and the file swapper
// in the program folder current, runs the checker and waits for it, and hands a
// new program file left by the checker to the swapper before the program ends.
namespace worktide {

inline const QString kUpdateCheckerName = QStringLiteral("UpdateProbeV1.exe");
inline const QString kFileSwapperName = QStringLiteral("fileswapper.exe");

// What start-up does once the launcher is through, in this order: shows the messages,
// opens the folder (when one is named), ends the process (when asked to).
struct AutoUpdateRun {
    UserMessages messages;
    QString folderToOpen;
    bool endProcess = false;
};

// The whole procedure; it shows nothing and ends nothing itself. When a new copy is to
// be installed it starts the swapper and asks for the end of the process.
AutoUpdateRun RunAutoUpdate(bool skipSelfUpdate);

// Brings the checker and the swapper up to date from the update host; true when
// they are current or were replaced. What the user must be told is added to messages.
bool AutoUpdaterSelfUpdate(UserMessages& messages);

// "http://" + gUpdateServerHost + "/download/자동업데이트_v1/", as last set by
// AutoUpdaterSelfUpdate (empty before).
QString UpdateDownloadBase();

// The parameter texts handed to the sibling programs.
QString UpdateCheckerParameters(int revision, const QString& programFileName); // "37;업무일정.exe"
QString FileSwapperParameters(const QString& programFileName); // "업무일정.exe;New_업무일정.exe"

} // namespace worktide
