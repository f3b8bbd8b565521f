#pragma once

#include <QList>
#include <QString>

// What a layer below the windows has to tell the user: the text, style (buttons | icon,
// as MsgBox takes it) and title of one message box. Such layers hand these back; the
// windows decide when to show them.
namespace worktide {

struct UserMessage {
    QString text;
    int style = 0; // vbOKOnly
    QString title; // empty: the application title

    bool isEmpty() const { return text.isEmpty(); }
};

using UserMessages = QList<UserMessage>;

} // namespace worktide
