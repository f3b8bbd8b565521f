#pragma once

#include "support/UserMessage.h"

#include <QString>

#include <functional>

// Starting sibling programs, and handing folders and addresses to the desktop. A program
// gets its parameter text unchanged: on Linux as its one argument, run directly with no
// shell in between; on Windows as its command line, started through the shell
// (ShellExecuteEx), as every Windows program starts another.
namespace worktide {

// Starts file with parameters (one argument; none when empty) in directory and
// waits, without a time limit, until it has ended. owner, hidden and minimised
// describe the window the program should get (on Linux a program opens its own
// windows, so they are accepted and not used). Returns false, with the message for the
// user added to failures, when the program could not be started at all.
bool ShellExecuteAndWait(const QString& file, void* owner, const QString& parameters, const QString& directory,
                         bool hidden, bool minimised, UserMessages& failures);

// Starts file the same way without waiting. Returns false, without a message,
// when it could not be started.
bool ShellExecuteDetached(const QString& file, const QString& parameters, const QString& directory);

// Opens a folder or an address in the desktop's handler for it (the file manager, the
// web browser). The default is OpenWithSystem; tests replace it.
void OpenInDesktop(const QString& target);
// The platform's own way: "xdg-open <target>" detached on Linux, the shell's "open" on Windows.
void OpenWithSystem(const QString& target);

using DesktopOpener = std::function<void(const QString& target)>;
// An empty opener restores the default.
void SetDesktopOpener(DesktopOpener opener);

// Installs opener for its lifetime and then puts back the one installed before.
class ScopedDesktopOpener {
public:
    explicit ScopedDesktopOpener(DesktopOpener opener);
    ~ScopedDesktopOpener();
    ScopedDesktopOpener(const ScopedDesktopOpener&) = delete;
    ScopedDesktopOpener& operator=(const ScopedDesktopOpener&) = delete;

private:
    DesktopOpener m_previous;
};

} // namespace worktide
