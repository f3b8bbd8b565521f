#pragma once

#include "support/IcsExport.h"

#include <QList>
#include <QString>

#include <functional>

class QWidget;

// The "일정 내보내기 (.ics)..." command: asks for a file through a replaceable dialog and writes
// the list tab's entries there.
namespace worktide {

// Returns the chosen path, "" when the user cancelled.
using SaveFileNameAsker = std::function<QString(QWidget* parent, const QString& suggested)>;

// Replaces the save dialog for one scope (tests give the path); the destructor restores it.
class ScopedSaveFileNameAsker {
public:
    explicit ScopedSaveFileNameAsker(SaveFileNameAsker asker);
    ~ScopedSaveFileNameAsker();
    ScopedSaveFileNameAsker(const ScopedSaveFileNameAsker&) = delete;
    ScopedSaveFileNameAsker& operator=(const ScopedSaveFileNameAsker&) = delete;

private:
    SaveFileNameAsker m_saved;
};

// Asks where to save and exports these entries; a failure is shown in a message box.
void RunIcsExport(QWidget* parent, const QList<IcsEntry>& entries, const QString& ownerName);

} // namespace worktide
