#pragma once

#include "support/IcsExport.h"

#include <QList>
#include <QString>

// Writes the entries a list statement selects to an iCalendar file.
namespace worktide {

// Runs `sql` (a "SELECT * FROM worktide ..." statement) on the global connection and writes the
// rows to `path`, replacing the file only once the whole text is written. Returns the number of
// entries written, or -1 when the statement failed or the file could not be written.
int ExportIcsFile(const QString& sql, const QString& path);

// Writes these entries to `path` the same way; the number written, or -1 when the file could
// not be written.
int WriteIcsFile(const QList<IcsEntry>& entries, const QString& path);

} // namespace worktide
