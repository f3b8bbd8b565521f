#pragma once

#include <QString>

// Information and yes/no boxes that give the focus back to the control that had it.
namespace worktide {

void ShowInfoMsg(const QString& message, const QString& title = {});
// Returns vbYes (6) or vbNo (7); with defaultYes false, No is the default button.
int AskYesNo(const QString& message, const QString& title = {}, bool defaultYes = true);
// Returns vbYes, vbNo or vbCancel; Cancel is the default button (the answer that changes nothing).
int AskYesNoCancel(const QString& message, const QString& title = {});

} // namespace worktide
