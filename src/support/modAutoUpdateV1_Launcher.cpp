#include "support/modAutoUpdateV1_Launcher.h"

#include "support/AppPaths.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/PeVersion.h"
#include "support/ProcessExit.h"
#include "support/VbError.h"
#include "support/WorktideVersion.h"
#include "support/modAutoUpdateV1_Download.h"
#include "support/modFile.h"
#include "support/modWaitProc.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace worktide {
namespace {

QString g_downloadBase;

const QString kModule = QStringLiteral("modAutoUpdateV1_Launcher");

// The leading number of a text, read the lenient way: leading white space, a
// sign, digits and a fraction; 0 when there is none.
double LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

// The checker's build: the last part of its file version. A checker without a
// version block (a native program or a script rather than a PE file) counts as
// build 0 without a message, so it is simply fetched again.
QString LocalCheckerBuild(const QString& checkerPath) {
    if (!QFileInfo::exists(checkerPath))
        return QStringLiteral("0");
    if (ReadVersionResource(checkerPath).isEmpty())
        return QStringLiteral("0");
    const QString version = GetFileVer(checkerPath, true);
    return version.mid(version.lastIndexOf(u'.') + 1);
}

// The revision handed to the checker: the last part of the program's own file version.
// A Windows build carries one in its version resource; an executable without one (a
// Linux build) has the revision it was built as.
int ProgramRevision(const QString& programPath) {
    if (ReadVersionResource(programPath).isEmpty())
        return WORKTIDE_VERSION_REVISION;
    const QString version = GetFileVer(programPath, true);
    bool ok = false;
    const int revision = version.mid(version.lastIndexOf(u'.') + 1).toInt(&ok);
    return ok ? revision : WORKTIDE_VERSION_REVISION;
}

QString VersionFileName() {
    return QFileInfo(kUpdateCheckerName).completeBaseName() + QStringLiteral("_lastver.txt");
}

} // namespace

QString UpdateDownloadBase() {
    return g_downloadBase;
}

QString UpdateCheckerParameters(int revision, const QString& programFileName) {
    return QString::number(revision) + QLatin1Char(';') + programFileName;
}

QString FileSwapperParameters(const QString& programFileName) {
    return programFileName + QStringLiteral(";New_") + programFileName;
}

bool AutoUpdaterSelfUpdate() {
    try {
        const QString checkerPath = ProgramPath(kUpdateCheckerName);
        const QString localBuild = LocalCheckerBuild(checkerPath);

        g_downloadBase = QStringLiteral("http://") + gUpdateServerHost + QStringLiteral("/download/자동업데이트_v1/");
        // Only white space (a bare line end) is as good as nothing.
        const QString latest = ReadUrlHead(g_downloadBase + VersionFileName()).trimmed();
        if (latest.isEmpty()) {
            MsgBox(kUpdateCheckerName + QStringLiteral("의 최신버전 정보를 읽어올 수 없습니다!"), vbCritical);
            return false;
        }

        // Round half to even, as the latest build always was.
        const double latestBuild = std::nearbyint(LeadingNumber(latest));
        if (LeadingNumber(localBuild) < latestBuild) {
            if (!DownloadUrlToFile(g_downloadBase + kUpdateCheckerName, checkerPath))
                return false;
            if (!DownloadUrlToFile(g_downloadBase + kFileSwapperName, ProgramPath(kFileSwapperName)))
                return false;
        }
        return true;
    } catch (const std::exception& e) {
        ReportProcError(e, QStringLiteral("AutoUpdaterSelfUpdate"), QStringLiteral("Module"), kModule);
        return false;
    }
}

bool RunAutoUpdate(bool skipSelfUpdate) {
    try {
        // An installed program is updated by its package; there is nothing to swap here.
        if (!ProgramFolderWritable())
            return false;
        if (!skipSelfUpdate && !AutoUpdaterSelfUpdate())
            return false;

        const QString folder = ProgramFolder();
        const QString programFileName = ProgramFileName();
        if (programFileName.isEmpty() || !QFileInfo::exists(ProgramPath(programFileName)))
            return false;

        if (!ShellExecuteAndWait(
                ProgramPath(kUpdateCheckerName), nullptr,
                UpdateCheckerParameters(ProgramRevision(ProgramPath(programFileName)), programFileName), folder, false,
                false))
            return false;

        if (!QFileInfo::exists(ProgramPath(QStringLiteral("New_") + programFileName)))
            return false;

        const QString swapperPath = ProgramPath(kFileSwapperName);
        if (!QFileInfo::exists(swapperPath)) {
            MsgBox(QStringLiteral("파일교체 프로그램을 찾을 수 없습니다.") + QStringLiteral("\r\n\r\n") +
                       QDir::toNativeSeparators(swapperPath),
                   vbOKOnly);
            OpenInDesktop(folder);
            EndProcess(0);
            return false;
        }
        if (!ShellExecuteDetached(swapperPath, FileSwapperParameters(programFileName), folder)) {
            // Same way out as a missing swapper: the user can put the new copy in place by hand.
            MsgBox(QStringLiteral("파일교체 프로그램을 실행할 수 없습니다.") + QStringLiteral("\r\n\r\n") +
                       QDir::toNativeSeparators(swapperPath),
                   vbOKOnly);
            OpenInDesktop(folder);
        }
        EndProcess(0);
        return false;
    } catch (const std::exception& e) {
        ReportProcError(e, QStringLiteral("RunAutoUpdate"), QStringLiteral("Module"), kModule);
        return false;
    }
}

} // namespace worktide
