#include "ui/main/IcsExportCommand.h"

#include "ui/shared/modFloatMsg.h"
#include "db/modIcsExport.h"
#include "support/MsgBox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace worktide {
namespace {

QString AskWithDialog(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("일정 내보내기"), suggested,
                                        QStringLiteral("iCalendar (*.ics)"));
}

SaveFileNameAsker& Asker() {
    static SaveFileNameAsker asker = AskWithDialog;
    return asker;
}

} // namespace

ScopedSaveFileNameAsker::ScopedSaveFileNameAsker(SaveFileNameAsker asker) : m_saved(Asker()) {
    Asker() = std::move(asker);
}

ScopedSaveFileNameAsker::~ScopedSaveFileNameAsker() {
    Asker() = std::move(m_saved);
}

void RunIcsExport(QWidget* parent, const QList<IcsEntry>& entries, const QString& ownerName) {
    QString name = ownerName;
    // Characters a file name cannot hold become underscores in the suggestion only.
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
    const QString suggested = QDir::home().filePath(name + QStringLiteral(".ics"));
    QString path = Asker()(parent, suggested);
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".ics"), Qt::CaseInsensitive) && !QFileInfo(path).exists())
        path += QStringLiteral(".ics");
    const int written = WriteIcsFile(entries, path);
    if (written < 0) {
        MsgBox(QStringLiteral("일정을 내보내지 못했습니다.\n") + QDir::toNativeSeparators(path), vbExclamation);
        return;
    }
    ShowFloatMsg(QStringLiteral("%1건의 일정을 내보냈습니다.").arg(written), 1000, false);
}

} // namespace worktide
