#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Where "PDF로 저장..." writes: a save dialog, or, while a test has scripted
// answers, the next answer without showing anything.
namespace worktide {

// The chosen file name; "" when the user cancelled.
QString AskPdfFileName(QWidget* parent, const QString& suggestedName);

// Scripts the answers of AskPdfFileName for one scope (an empty answer cancels);
// the destructor restores the dialog. Records the suggested names it was asked with.
class ScopedScriptedPdfFileNames {
public:
    explicit ScopedScriptedPdfFileNames(const QStringList& answers);
    ~ScopedScriptedPdfFileNames();
    ScopedScriptedPdfFileNames(const ScopedScriptedPdfFileNames&) = delete;
    ScopedScriptedPdfFileNames& operator=(const ScopedScriptedPdfFileNames&) = delete;

    const QStringList& suggested() const;
};

} // namespace worktide
