#include "ui/main/modVerifyRule.h"

namespace worktide {
namespace {

bool IsAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool IsAsciiDigit(QChar c) {
    const char16_t u = c.unicode();
    return u >= u'0' && u <= u'9';
}

template <typename Pred> bool AllOf(const QString& text, Pred pred) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!pred(c))
            return false;
    return true;
}

} // namespace

bool IsAllLetters(const QString& text) {
    return AllOf(text, IsAsciiLetter);
}

bool IsAllAlphaNum(const QString& text) {
    return AllOf(text, [](QChar c) { return IsAsciiLetter(c) || IsAsciiDigit(c); });
}

bool IsAllDigits(const QString& text) {
    return AllOf(text, IsAsciiDigit);
}

bool CheckPassword(const QString& password, QString& message) {
    message.clear();
    if (password.isEmpty()) {
        message = QStringLiteral("암호에 공란은 허용되지 않습니다.");
        return false;
    }
    if (!IsAllAlphaNum(password)) {
        message = QStringLiteral("암호는 영문, 숫자만 가능합니다. 특수문자, 한글등은 사용할 수 없습니다.");
        return false;
    }
    if (password.size() < 10 || password.size() > 15) {
        message = QStringLiteral("암호길이는 최소 10자에서 최대 15자까지 가능합니다.");
        return false;
    }
    if (IsAllLetters(password) || IsAllDigits(password)) {
        message = QStringLiteral("암호는 숫자와 영문을 같이 사용해야 합니다.");
        return false;
    }
    return true;
}

} // namespace worktide
