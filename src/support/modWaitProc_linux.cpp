#include "support/modWaitProc.h"

#include "support/MsgBox.h"

#include <QDir>
#include <QProcess>

namespace worktide {
namespace {

QStringList ArgumentsOf(const QString& parameters) {
    return parameters.isEmpty() ? QStringList() : QStringList{parameters};
}

} // namespace

bool ShellExecuteAndWait(const QString& file, void* /*owner*/, const QString& parameters, const QString& directory,
                         bool /*hidden*/, bool /*minimised*/, UserMessages& failures) {
    QProcess process;
    process.setProgram(file);
    process.setArguments(ArgumentsOf(parameters));
    process.setWorkingDirectory(directory);
    // The program's output goes where ours goes, so a chatty program cannot fill
    // a pipe nobody reads; it gets no input from us.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1)) {
        failures.append({QStringLiteral("프로그램을 실행할 수 없습니다.") + QStringLiteral("\r\n\r\n") +
                             QDir::toNativeSeparators(file) + QStringLiteral("\r\n") + process.errorString(),
                         vbExclamation,
                         {}});
        return false;
    }
    process.waitForFinished(-1);
    return true;
}

bool ShellExecuteDetached(const QString& file, const QString& parameters, const QString& directory) {
    QProcess process;
    process.setProgram(file);
    process.setArguments(ArgumentsOf(parameters));
    process.setWorkingDirectory(directory);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

void OpenWithSystem(const QString& target) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

} // namespace worktide
