#include "ui/shared/modMsgBox.h"

#include "support/Globals.h"
#include "support/MsgBox.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace worktide {
namespace {

int ShowKeepingFocus(const QString& message, int style, const QString& title) {
    QPointer<QWidget> focused = QApplication::focusWidget();
    const int answer = MsgBox(message, style, title.isEmpty() ? gAppTitle : title);
    // The control may have gone away while the box was open.
    if (focused)
        focused->setFocus();
    return answer;
}

} // namespace

void ShowInfoMsg(const QString& message, const QString& title) {
    ShowKeepingFocus(message, vbOKOnly | vbInformation, title);
}

int AskYesNo(const QString& message, const QString& title, bool defaultYes) {
    return ShowKeepingFocus(message, vbYesNo | vbQuestion | (defaultYes ? vbDefaultButton1 : vbDefaultButton2), title);
}

int AskYesNoCancel(const QString& message, const QString& title) {
    return ShowKeepingFocus(message, vbYesNoCancel | vbQuestion | vbDefaultButton3, title);
}

} // namespace worktide
