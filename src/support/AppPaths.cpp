#include "support/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace worktide {
namespace {
QString g_folder;
QString g_fileName;

QFileInfo ExecutableInfo() {
    QFileInfo exe(RunningExecutablePath());
    if (exe.filePath().isEmpty() && QCoreApplication::instance())
        exe = QFileInfo(QCoreApplication::applicationFilePath());
    return exe;
}
} // namespace

QString ProgramFolder() {
    if (!g_folder.isEmpty())
        return g_folder;
    return QDir::cleanPath(ExecutableInfo().absolutePath());
}

QString ProgramFileName() {
    if (!g_fileName.isEmpty())
        return g_fileName;
    return ExecutableInfo().fileName();
}

QString ProgramPath(const QString& name) {
    return ProgramFolder() + QLatin1Char('/') + name;
}

bool ProgramFolderWritable() {
    const QFileInfo folder(ProgramFolder());
    return folder.isDir() && folder.isWritable();
}

void SetProgramFolder(const QString& folder) {
    g_folder = folder;
}
void SetProgramFileName(const QString& name) {
    g_fileName = name;
}

ScopedProgramFolder::ScopedProgramFolder(const QString& folder, const QString& fileName)
    : m_folder(g_folder), m_fileName(g_fileName) {
    g_folder = folder;
    if (!fileName.isEmpty())
        g_fileName = fileName;
}

ScopedProgramFolder::~ScopedProgramFolder() {
    g_folder = m_folder;
    g_fileName = m_fileName;
}

} // namespace worktide
