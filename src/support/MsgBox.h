#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>

// Every message box, question and input box of the program goes through this seam.
// Start-up installs the widget implementation; tests install ScriptedMessageBoxes
// to answer without a person and to read exactly what was shown.
namespace worktide {

// Style bits, combined as buttons | icon | default button.
enum MsgStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// Answer codes.
enum MsgResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

inline int MsgButtonsOf(int style) {
    return style & 0x7;
}
inline int MsgIconOf(int style) {
    return style & 0x70;
}
inline int MsgDefaultOf(int style) {
    return style & 0x300;
}

// The answer a box gives when the user just presses Enter on it.
int DefaultAnswerOf(int style);

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // title is already resolved (never empty unless the application title is).
    virtual int msgBox(const QString& text, int style, const QString& title) = 0;
    // Returns the typed text, or the empty text when cancelled.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
};

// Installs the implementation used from now on; nullptr restores the built-in one,
// which writes to standard error and gives each box its default answer.
void SetMessageBoxes(IMessageBoxes* impl);
IMessageBoxes& MessageBoxes();

// An empty title is replaced by the application title.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = {});
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
// True while a message box or an input box is waiting for its answer.
bool IsMessageBoxOpen();

// Records every box and answers from a queue; with an empty queue a box gets its
// default answer and an input box the empty text (cancel).
class ScriptedMessageBoxes : public IMessageBoxes {
public:
    struct Shown {
        bool isInput = false;
        QString text; // message or prompt
        QString title;
        int style = 0;
        QString defaultText;
    };

    int msgBox(const QString& text, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;

    void queueAnswer(int answer) { m_answers.push_back(answer); }
    void queueInput(const QString& text) { m_inputs.push_back(text); }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    void clear();

private:
    std::deque<int> m_answers;
    std::deque<QString> m_inputs;
    QList<Shown> m_shown;
};

// Installs a ScriptedMessageBoxes for the lifetime of the object.
class ScopedScriptedMessageBoxes : public ScriptedMessageBoxes {
public:
    ScopedScriptedMessageBoxes();
    ~ScopedScriptedMessageBoxes() override;
    ScopedScriptedMessageBoxes(const ScopedScriptedMessageBoxes&) = delete;
    ScopedScriptedMessageBoxes& operator=(const ScopedScriptedMessageBoxes&) = delete;

private:
    IMessageBoxes* m_previous;
};

} // namespace worktide
