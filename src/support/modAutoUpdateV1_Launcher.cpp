#include "support/modAutoUpdateV1_Launcher.h"

#include "support/AppPaths.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/PeVersion.h"
#include "support/ProcessExit.h"
#include "support/UpdateSignature.h"
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
QString LocalCheckerBuild(const QString& checkerPath, UserMessages& messages) {
    if (!QFileInfo::exists(checkerPath))
        return QStringLiteral("0");
    if (ReadVersionResource(checkerPath).isEmpty())
        return QStringLiteral("0");
    const QString version = GetFileVer(checkerPath, true, messages);
    return version.mid(version.lastIndexOf(u'.') + 1);
}

// The revision handed to the checker: the last part of the program's own file version.
// A Windows build carries one in its version resource; an executable without one (a
// Linux build) has the revision it was built as.
int ProgramRevision(const QString& programPath, UserMessages& messages) {
    if (ReadVersionResource(programPath).isEmpty())
        return WORKTIDE_VERSION_REVISION;
    const QString version = GetFileVer(programPath, true, messages);
    bool ok = false;
    const int revision = version.mid(version.lastIndexOf(u'.') + 1).toInt(&ok);
    return ok ? revision : WORKTIDE_VERSION_REVISION;
}

QString VersionFileName() {
    return QFileInfo(kUpdateCheckerName).completeBaseName() + QStringLiteral("_lastver.txt");
}

const QString kBadSignature = QStringLiteral("업데이트 파일의 서명이 올바르지 않습니다.");

void ReportBadSignature(UserMessages& messages, const QString& what) {
    messages.append({kBadSignature + QStringLiteral("\r\n\r\n") + what, vbCritical, {}});
}

void ReportError(UserMessages& messages, const std::exception& e, const QString& procedure) {
    messages.append(
        {FormatProcError(ErrorNumberOf(e), ErrorDescriptionOf(e), procedure, QStringLiteral("Module"), kModule),
         vbOKOnly,
         {}});
}

// With a key configured, a program of the folder may run only when its signature file
// beside it verifies.
bool LocalFileTrusted(const UpdateKey& key, const QString& path) {
    return FileSignatureVerifies(key.key, path, SignatureFileOf(path));
}

// Fetches the checker and the swapper with their signatures next to the old files, and puts
// them in place only when both signatures verify: a failure leaves every old file as it was.
bool FetchSignedSiblings(const UpdateKey& key, UserMessages& messages) {
    const QStringList names{kUpdateCheckerName, kFileSwapperName};
    QStringList staged;
    const auto cleanUp = [&staged] {
        for (const QString& path : staged)
            QFile::remove(path);
    };
    const auto stagingOf = [](const QString& path) { return path + QStringLiteral(".download"); };
    for (const QString& name : names) {
        const QString path = ProgramPath(name);
        staged << stagingOf(path);
        if (!DownloadUrlToFile(g_downloadBase + name, stagingOf(path))) {
            cleanUp();
            return false; // as without signatures: a failed download says nothing
        }
        staged << stagingOf(SignatureFileOf(path));
        if (!DownloadUrlToFile(g_downloadBase + SignatureFileOf(name), stagingOf(SignatureFileOf(path)))) {
            cleanUp();
            ReportBadSignature(messages, SignatureFileOf(g_downloadBase + name) +
                                             QStringLiteral(" (서명 파일을 받을 수 없습니다)"));
            return false;
        }
        if (!FileSignatureVerifies(key.key, stagingOf(path), stagingOf(SignatureFileOf(path)))) {
            cleanUp();
            ReportBadSignature(messages, g_downloadBase + name);
            return false;
        }
    }
    for (const QString& name : names) {
        for (const QString& path : {ProgramPath(name), SignatureFileOf(ProgramPath(name))}) {
            QFile::remove(path);
            if (!QFile::rename(stagingOf(path), path)) {
                cleanUp();
                return false;
            }
        }
    }
    return true;
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

bool AutoUpdaterSelfUpdate(UserMessages& messages) {
    try {
        const UpdateKey key = ConfiguredUpdateKey();
        if (key.invalid) {
            // Never a reason to run unsigned programs: nothing runs until the key is mended.
            messages.append(
                {QStringLiteral("업데이트 서명 키(UpdatePublicKey)가 올바르지 않습니다.\r\n\r\n") + key.source,
                 vbCritical,
                 {}});
            return false;
        }
        const QString checkerPath = ProgramPath(kUpdateCheckerName);
        const QString swapperPath = ProgramPath(kFileSwapperName);
        QString localBuild = LocalCheckerBuild(checkerPath, messages);
        // Local copies without a good signature (fetched before the office had a key, or
        // changed since) count as outdated and are fetched again, signed.
        if (!key.key.isEmpty() && (!LocalFileTrusted(key, checkerPath) ||
                                   (QFileInfo::exists(swapperPath) && !LocalFileTrusted(key, swapperPath))))
            localBuild = QStringLiteral("0");

        g_downloadBase = QStringLiteral("http://") + gUpdateServerHost + QStringLiteral("/download/자동업데이트_v1/");
        // Only white space (a bare line end) is as good as nothing.
        const QString latest = ReadUrlHead(g_downloadBase + VersionFileName()).trimmed();
        if (latest.isEmpty()) {
            messages.append(
                {kUpdateCheckerName + QStringLiteral("의 최신버전 정보를 읽어올 수 없습니다!"), vbCritical, {}});
            return false;
        }

        // Round half to even, as the latest build always was.
        const double latestBuild = std::nearbyint(LeadingNumber(latest));
        if (LeadingNumber(localBuild) < latestBuild) {
            if (!key.key.isEmpty())
                return FetchSignedSiblings(key, messages);
            if (!DownloadUrlToFile(g_downloadBase + kUpdateCheckerName, checkerPath))
                return false;
            if (!DownloadUrlToFile(g_downloadBase + kFileSwapperName, ProgramPath(kFileSwapperName)))
                return false;
        }
        return true;
    } catch (const std::exception& e) {
        ReportError(messages, e, QStringLiteral("AutoUpdaterSelfUpdate"));
        return false;
    }
}

AutoUpdateRun RunAutoUpdate(bool skipSelfUpdate) {
    AutoUpdateRun run;
    try {
        // An installed program is updated by its package; there is nothing to swap here.
        if (!ProgramFolderWritable())
            return run;
        if (!skipSelfUpdate && !AutoUpdaterSelfUpdate(run.messages))
            return run;

        const QString folder = ProgramFolder();
        const QString programFileName = ProgramFileName();
        if (programFileName.isEmpty() || !QFileInfo::exists(ProgramPath(programFileName)))
            return run;

        const UpdateKey key = ConfiguredUpdateKey();
        if (key.configured() && (key.invalid || !LocalFileTrusted(key, ProgramPath(kUpdateCheckerName)))) {
            ReportBadSignature(run.messages, QDir::toNativeSeparators(ProgramPath(kUpdateCheckerName)));
            return run;
        }
        if (!ShellExecuteAndWait(
                ProgramPath(kUpdateCheckerName), nullptr,
                UpdateCheckerParameters(ProgramRevision(ProgramPath(programFileName), run.messages), programFileName),
                folder, false, false, run.messages))
            return run;

        if (!QFileInfo::exists(ProgramPath(QStringLiteral("New_") + programFileName)))
            return run;

        const QString swapperPath = ProgramPath(kFileSwapperName);
        if (!QFileInfo::exists(swapperPath)) {
            run.messages.append({QStringLiteral("파일교체 프로그램을 찾을 수 없습니다.") + QStringLiteral("\r\n\r\n") +
                                     QDir::toNativeSeparators(swapperPath),
                                 vbOKOnly,
                                 {}});
            run.folderToOpen = folder;
            run.endProcess = true;
            return run;
        }
        if (key.configured() && !LocalFileTrusted(key, swapperPath)) {
            // The new copy stays where it is; the program starts as it is.
            ReportBadSignature(run.messages, QDir::toNativeSeparators(swapperPath));
            return run;
        }
        if (!ShellExecuteDetached(swapperPath, FileSwapperParameters(programFileName), folder)) {
            // Same way out as a missing swapper: the user can put the new copy in place by hand.
            run.messages.append({QStringLiteral("파일교체 프로그램을 실행할 수 없습니다.") +
                                     QStringLiteral("\r\n\r\n") + QDir::toNativeSeparators(swapperPath),
                                 vbOKOnly,
                                 {}});
            run.folderToOpen = folder;
        }
        run.endProcess = true;
        return run;
    } catch (const std::exception& e) {
        ReportError(run.messages, e, QStringLiteral("RunAutoUpdate"));
        return run;
    }
}

} // namespace worktide
