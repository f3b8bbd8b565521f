#pragma once

#include "support/MsgBox.h"

// The message-box seam shown to a person: QMessageBox and QInputDialog.
namespace worktide {

class QtMessageBoxes : public IMessageBoxes {
public:
    int msgBox(const QString& text, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
};

// Installs QtMessageBoxes for the rest of the process.
void InstallQtMessageBoxes();

} // namespace worktide
