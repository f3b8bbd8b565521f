#include "ui/shared/QtMessageBoxes.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace worktide {

int QtMessageBoxes::msgBox(const QString& text, int style, const QString& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    // Whatever a box says can be selected and copied (a server's message, text kept for the user);
    // the keyboard stays with the buttons.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    switch (MsgIconOf(style)) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
    }
    struct Button {
        QMessageBox::StandardButton standard;
        int answer;
    };
    QList<Button> buttons;
    switch (MsgButtonsOf(style)) {
    case vbOKCancel:
        buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo:
        buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
        break;
    case vbRetryCancel:
        buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
        break;
    default:
        buttons = {{QMessageBox::Ok, vbOK}};
    }
    for (const Button& b : buttons)
        box.addButton(b.standard);
    const int which = qMin<int>(MsgDefaultOf(style) >> 8, static_cast<int>(buttons.size()) - 1);
    box.setDefaultButton(buttons[which].standard);
    // Closing the box with Escape or the close button gives Cancel where there is one,
    // otherwise the default answer.
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Button& b : buttons)
        if (b.standard == clicked)
            return b.answer;
    for (const Button& b : buttons)
        if (b.answer == vbCancel)
            return vbCancel;
    return DefaultAnswerOf(style);
}

QString QtMessageBoxes::inputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

void InstallQtMessageBoxes() {
    static QtMessageBoxes boxes;
    SetMessageBoxes(&boxes);
}

} // namespace worktide
