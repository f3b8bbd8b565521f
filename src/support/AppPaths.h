#pragma once

#include <QString>

// Where the program lives. Support files (the server list cache, the update
// checker and swapper) sit beside the executable. Tests point both at a folder of
// their own.
namespace worktide {

// The folder of the running executable, without a trailing separator.
QString ProgramFolder();
// The executable's own file name, as the file system stores it.
QString ProgramFileName();
// ProgramFolder() + "/" + name.
QString ProgramPath(const QString& name);

// False when the program folder cannot take new files (an installed program under /usr/bin):
// the update launcher then steps aside and the server list cache moves to the user's cache folder.
bool ProgramFolderWritable();

// The running executable's full path as the system reports it, before (and without) a
// QCoreApplication; one implementation per platform. Empty when the system cannot tell.
QString RunningExecutablePath();

// Empty text restores the real value.
void SetProgramFolder(const QString& folder);
void SetProgramFileName(const QString& name);

// Points the program folder (and, when fileName is given, the executable's name) elsewhere
// for its lifetime and then puts back what was set before.
class ScopedProgramFolder {
public:
    explicit ScopedProgramFolder(const QString& folder, const QString& fileName = {});
    ~ScopedProgramFolder();
    ScopedProgramFolder(const ScopedProgramFolder&) = delete;
    ScopedProgramFolder& operator=(const ScopedProgramFolder&) = delete;

private:
    QString m_folder;
    QString m_fileName;
};

} // namespace worktide
