#include "support/MsgBox.h"

#include "support/Globals.h"

#include <cstdio>

namespace worktide {
namespace {

// UTF-8 on every platform: scripts read these lines, and Windows' ANSI code page need not
// hold Korean.
class ConsoleMessageBoxes : public IMessageBoxes {
public:
    int msgBox(const QString& text, int style, const QString& title) override {
        std::fprintf(stderr, "[%s] %s\n", title.toUtf8().constData(), text.toUtf8().constData());
        return DefaultAnswerOf(style);
    }
    QString inputBox(const QString& prompt, const QString& title, const QString&) override {
        std::fprintf(stderr, "[%s] %s (no answer)\n", title.toUtf8().constData(), prompt.toUtf8().constData());
        return {};
    }
};

ConsoleMessageBoxes g_console;
IMessageBoxes* g_current = nullptr;
int g_openBoxes = 0;

// Counts a box for as long as it waits for its answer.
class OpenBox {
public:
    OpenBox() { ++g_openBoxes; }
    ~OpenBox() { --g_openBoxes; }
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;
};

} // namespace

int DefaultAnswerOf(int style) {
    static const int answers[6][3] = {
        {vbOK, vbOK, vbOK},      {vbOK, vbCancel, vbCancel}, {vbAbort, vbRetry, vbIgnore},
        {vbYes, vbNo, vbCancel}, {vbYes, vbNo, vbNo},        {vbRetry, vbCancel, vbCancel},
    };
    int buttons = MsgButtonsOf(style);
    if (buttons > 5)
        buttons = 0;
    const int which = MsgDefaultOf(style) >> 8;
    return answers[buttons][which > 2 ? 0 : which];
}

void SetMessageBoxes(IMessageBoxes* impl) {
    g_current = impl;
}

IMessageBoxes& MessageBoxes() {
    return g_current ? *g_current : g_console;
}

int MsgBox(const QString& text, int style, const QString& title) {
    const OpenBox open;
    return MessageBoxes().msgBox(text, style, title.isEmpty() ? gAppTitle : title);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    const OpenBox open;
    return MessageBoxes().inputBox(prompt, title.isEmpty() ? gAppTitle : title, defaultText);
}

bool IsMessageBoxOpen() {
    return g_openBoxes > 0;
}

int ScriptedMessageBoxes::msgBox(const QString& text, int style, const QString& title) {
    m_shown.append({false, text, title, style, {}});
    if (m_answers.empty())
        return DefaultAnswerOf(style);
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QString ScriptedMessageBoxes::inputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    m_shown.append({true, prompt, title, 0, defaultText});
    if (m_inputs.empty())
        return {};
    QString answer = m_inputs.front();
    m_inputs.pop_front();
    return answer;
}

QStringList ScriptedMessageBoxes::texts() const {
    QStringList out;
    for (const auto& s : m_shown)
        out << s.text;
    return out;
}

void ScriptedMessageBoxes::clear() {
    m_shown.clear();
    m_answers.clear();
    m_inputs.clear();
}

ScopedScriptedMessageBoxes::ScopedScriptedMessageBoxes() : m_previous(&MessageBoxes()) {
    if (m_previous == &g_console)
        m_previous = nullptr;
    SetMessageBoxes(this);
}

ScopedScriptedMessageBoxes::~ScopedScriptedMessageBoxes() {
    SetMessageBoxes(m_previous);
}

} // namespace worktide
