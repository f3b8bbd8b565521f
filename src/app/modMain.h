#pragma once

#include <QString>

class QComboBox;

// Start-up, the exit routine and the small routines that every window shares:
// the owner and category pick lists and the byte-width helpers of the calendar.
namespace worktide {

// The entry procedure: refuses a second copy, settles the hosts, runs the
// updater, connects, signs in and opens the main window.
void Main();
// Creates the application object, handles the command line and runs Main and
// the event loop. Returns the process exit code.
int RunProgram(int argc, char** argv);
void ConnectDatabase();
// Closes the connection and ends the process at once.
void ExitProgram();

// Anything with "clear" and "append an entry" can receive a pick list.
class IListTarget {
public:
    virtual ~IListTarget() = default;
    virtual void clear() = 0;
    virtual void addItem(const QString& text) = 0;
};

void FillUserList(QComboBox* list, bool addAll);
void FillUserList(IListTarget& list, bool addAll);
void FillCategoryList(QComboBox* list, const QString& userName, bool addAll);
void FillCategoryList(IListTarget& list, const QString& userName, bool addAll);

// First 2 × n bytes of the CP949 form; a cut inside a two-byte character drops
// that character and, unless noBlank, appends one blank.
QString LeftBytes(const QString& text, qint16 n, bool noBlank = false);
qint16 LenBytes(const QString& text);

} // namespace worktide
