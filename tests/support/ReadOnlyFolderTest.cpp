// An installed program whose folder takes no new files: no update attempt, no message, and the
// server list cache in the user's cache folder. A writable folder keeps the cache beside the program.
#include "support/AppPaths.h"
#include "support/MsgBox.h"
#include "support/modAutoUpdateV1_Launcher.h"
#include "support/modServerAddressUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace worktide;
using namespace Qt::StringLiterals;

TEST(ReadOnlyProgramFolder, LauncherStepsAsideAndCacheMovesToUserCache) {
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    std::optional<ScopedProgramFolder> programFolder(std::in_place, dir.path());
    EXPECT_TRUE(ProgramFolderWritable());
    EXPECT_EQ(ServerAddressCachePath(), ProgramPath(QFileInfo(ServerAddressCachePath()).fileName()));

    // A folder that cannot take files (running as root, a missing folder stands in for /usr/bin).
    programFolder.emplace(dir.filePath(u"missing/bin"_s));
    EXPECT_FALSE(ProgramFolderWritable());
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    EXPECT_EQ(QFileInfo(ServerAddressCachePath()).absolutePath(), QDir(cache).absolutePath());
    EXPECT_TRUE(QFileInfo(cache).isDir());

    ScopedScriptedMessageBoxes boxes;
    const AutoUpdateRun run = RunAutoUpdate(false);
    EXPECT_TRUE(run.messages.isEmpty());
    EXPECT_TRUE(run.folderToOpen.isEmpty());
    EXPECT_FALSE(run.endProcess);
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"missing"_s)));
    QStandardPaths::setTestModeEnabled(false);
}
