#pragma once

#include <QString>

#include <functional>

// Starting sibling programs and showing folders. A program gets its parameter
// text as one argument and runs directly as an executable; there is no shell
// in between.
namespace worktide {

// Starts file with parameters (one argument; none when empty) in directory and
// waits, without a time limit, until it has ended. owner, hidden and minimised
// describe the window the program should get; here a program opens its own
// windows, so they are accepted and not used. Returns false, after showing a
// message, when the program could not be started at all.
bool ShellExecuteAndWait(const QString& file, void* owner, const QString& parameters, const QString& directory,
                         bool hidden, bool minimised);

// Starts file the same way without waiting. Returns false, without a message,
// when it could not be started.
bool ShellExecuteDetached(const QString& file, const QString& parameters, const QString& directory);

// Shows folder in the desktop's file manager. The default runs "xdg-open <folder>"
// detached; tests replace it. An empty handler restores the default.
using OpenFolderHandler = std::function<void(const QString& folder)>;
void SetOpenFolderHandler(OpenFolderHandler handler);
void OpenFolderInFileManager(const QString& folder);

} // namespace worktide
