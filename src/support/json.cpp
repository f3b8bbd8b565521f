#include "support/json.h"

#include "support/MsgBox.h"
#include "support/VbError.h"
#include "support/cStringBuilder.h"

#include <QFile>
#include <QSaveFile>

namespace worktide {

// ---- values ----------------------------------------------------------------

JsonValue JsonValue::Null() {
    return JsonValue(NullTag{});
}
JsonValue::JsonValue(JsonDictionaryPtr d) : m_v(std::move(d)) {}
JsonValue::JsonValue(JsonListPtr l) : m_v(std::move(l)) {}

bool JsonValue::boolValue() const {
    return isBool() && std::get<bool>(m_v);
}
Decimal JsonValue::number() const {
    return isNumber() ? std::get<Decimal>(m_v) : Decimal();
}
QString JsonValue::text() const {
    return isText() ? std::get<QString>(m_v) : QString();
}
JsonDictionaryPtr JsonValue::dictionary() const {
    return isDictionary() ? std::get<JsonDictionaryPtr>(m_v) : nullptr;
}
JsonListPtr JsonValue::list() const {
    return isList() ? std::get<JsonListPtr>(m_v) : nullptr;
}

QString JsonValue::toText() const {
    switch (type()) {
    case Type::Empty:
        return QString();
    case Type::Null:
        throw VbError(94, QStringLiteral("JsonValue"), QStringLiteral("Invalid use of Null"));
    case Type::Bool:
        return std::get<bool>(m_v) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Number:
        return std::get<Decimal>(m_v).toString();
    case Type::Text:
        return std::get<QString>(m_v);
    case Type::Dictionary:
    case Type::List:
        break;
    }
    throw VbError(kErrTypeMismatch, QStringLiteral("JsonValue"), QStringLiteral("Type mismatch"));
}

JsonValue JsonValue::member(const QString& key) const {
    if (isDictionary())
        return std::get<JsonDictionaryPtr>(m_v)->Item(key);
    if (isList())
        throw VbError(438, QStringLiteral("JsonValue"),
                      QStringLiteral("Object doesn't support this property or method"));
    throw VbError(kErrObjectRequired, QStringLiteral("JsonValue"), QStringLiteral("Object required"));
}

bool operator==(const JsonValue& a, const JsonValue& b) {
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case JsonValue::Type::Empty:
    case JsonValue::Type::Null:
        return true;
    case JsonValue::Type::Bool:
        return a.boolValue() == b.boolValue();
    case JsonValue::Type::Number:
        return a.number() == b.number();
    case JsonValue::Type::Text:
        return std::get<QString>(a.m_v) == std::get<QString>(b.m_v);
    case JsonValue::Type::Dictionary: {
        const auto& x = *a.dictionary();
        const auto& y = *b.dictionary();
        if (&x == &y)
            return true;
        if (x.Count() != y.Count())
            return false;
        for (size_t i = 0; i < x.entries().size(); ++i) {
            if (x.entries()[i].first != y.entries()[i].first || x.entries()[i].second != y.entries()[i].second)
                return false;
        }
        return true;
    }
    case JsonValue::Type::List: {
        const auto& x = *a.list();
        const auto& y = *b.list();
        return &x == &y || x.items() == y.items();
    }
    }
    return false;
}

qsizetype JsonDictionary::find(const QString& key) const {
    if (m_index.isEmpty()) {
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].first == key)
                return static_cast<qsizetype>(i);
        }
        return -1;
    }
    return m_index.value(key, -1);
}

JsonValue JsonDictionary::Item(const QString& key) const {
    const qsizetype i = find(key);
    return i < 0 ? JsonValue() : m_entries[static_cast<size_t>(i)].second;
}

void JsonDictionary::Add(const QString& key, JsonValue value) {
    if (find(key) >= 0)
        throw VbError(457, QStringLiteral("JsonDictionary"),
                      QStringLiteral("This key is already associated with an element of this collection"));
    m_entries.emplace_back(key, std::move(value));
    constexpr size_t kIndexFrom = 16;
    if (m_entries.size() == kIndexFrom) {
        for (size_t i = 0; i < m_entries.size(); ++i)
            m_index.insert(m_entries[i].first, static_cast<qsizetype>(i));
    } else if (m_entries.size() > kIndexFrom) {
        m_index.insert(key, static_cast<qsizetype>(m_entries.size() - 1));
    }
}

void JsonDictionary::Set(const QString& key, JsonValue value) {
    const qsizetype i = find(key);
    if (i >= 0)
        m_entries[static_cast<size_t>(i)].second = std::move(value);
    else
        Add(key, std::move(value));
}

JsonValue JsonList::Item(int index) const {
    if (index < 1 || index > Count())
        throw VbError(kErrSubscriptOutOfRange, QStringLiteral("JsonList"), QStringLiteral("Subscript out of range"));
    return m_items[static_cast<size_t>(index - 1)];
}

JsonDictionaryPtr MakeJsonDictionary() {
    return std::make_shared<JsonDictionary>();
}
JsonListPtr MakeJsonList() {
    return std::make_shared<JsonList>();
}

// ---- reader ------------------------------------------------------------------

namespace {

thread_local QString t_parseErrors;

const QString kCrLf = QStringLiteral("\r\n");

// One parse: the text, the one shared position (0-based here, 1-based in
// messages) and the messages.
class Reader {
public:
    Reader(QStringView text, QString& errors) : m_s(text.data()), m_n(text.size()), m_text(text), m_errors(errors) {}

    JsonValue top() {
        skip();
        if (at() == u'{')
            return parseObject();
        if (at() == u'[')
            return parseArray();
        m_errors = QStringLiteral("Invalid JSON");
        return JsonValue();
    }

private:
    // The character at the position; -1 past the end.
    int at() const { return m_pos < m_n ? m_s[m_pos].unicode() : -1; }
    QString position() const { return QString::number(m_pos + 1); }
    QString rest() const { return m_text.mid(m_pos).toString(); }
    QString next20() const { return m_text.mid(m_pos, 20).toString(); }
    QString last20() const { return m_text.right(20).toString(); }

    // head + position + " : " + the rest of the text. Each such message can be as
    // long as the text, so past a generous total they are left out: a text full of
    // bad words must not take memory quadratic in its length.
    void addRestMessage(const QString& head) {
        if (m_errors.size() < kMaxRestMessagesChars)
            m_errors += head + position() + QStringLiteral(" : ") + rest() + kCrLf;
    }
    static constexpr qsizetype kMaxRestMessagesChars = 1 << 20;

    void skip();
    JsonValue parseObject();
    JsonValue parseArray();
    // False when the value failed; *error then holds the description.
    bool parseValue(JsonValue& out, QString& error);
    QString parseKey();
    QString parseString();
    bool parseNumber(JsonValue& out, QString& error);
    JsonValue parseBoolean();
    JsonValue parseNull();

    const QChar* m_s;
    qsizetype m_n;
    QStringView m_text;
    QString& m_errors;
    qsizetype m_pos = 0;
    int m_depth = 0;
    bool m_aborted = false;    // nesting too deep: every open container ends
    bool m_wordFailed = false; // the last true/false/null word did not match
    // Strings and keys are collected here; emptied (keeping its room) for each one,
    // so a parse allocates one buffer rather than one per string.
    cStringBuilder m_sb;
};

void Reader::skip() {
    bool startComment = false;
    bool inComment = false;
    bool inBlock = false;
    for (; m_pos < m_n; ++m_pos) {
        switch (m_s[m_pos].unicode()) {
        case u'\r':
        case u'\n':
            if (!inBlock) {
                startComment = false;
                inComment = false;
            }
            break;
        case u'\t':
        case u' ':
        case u'(':
        case u')':
            break;
        case u'/':
            if (!inBlock) {
                if (startComment) {
                    startComment = false;
                    inComment = true;
                } else {
                    startComment = true;
                    inComment = false;
                    inBlock = false;
                }
            } else if (startComment) {
                startComment = inComment = inBlock = false;
            }
            break;
        case u'*':
            if (startComment) {
                startComment = false;
                inComment = true;
                inBlock = true;
            } else {
                startComment = true;
            }
            break;
        default:
            if (!inComment)
                return;
            break;
        }
    }
}

JsonValue Reader::parseObject() {
    auto dict = MakeJsonDictionary();
    JsonValue result(dict);
    skip();
    if (at() != u'{') {
        addRestMessage(QStringLiteral("Invalid Object at position "));
        return result;
    }
    ++m_depth;
    ++m_pos;
    for (;;) {
        skip();
        const int c = at();
        if (c == u'}') {
            ++m_pos;
            break;
        }
        if (c == u',') {
            ++m_pos;
            skip();
        } else if (c < 0) {
            m_errors += QStringLiteral("Missing '}': ") + last20() + kCrLf;
            break;
        }
        const QString key = parseKey();
        JsonValue value;
        QString error;
        bool ok = parseValue(value, error);
        if (!ok && m_aborted)
            break;
        if (ok) {
            try {
                dict->Add(key, std::move(value));
            } catch (const VbError& e) {
                error = e.description();
                ok = false;
            }
        }
        if (!ok) {
            m_errors += error + QStringLiteral(": ") + key + kCrLf;
            break;
        }
        if (m_aborted)
            break;
    }
    --m_depth;
    return result;
}

JsonValue Reader::parseArray() {
    auto list = MakeJsonList();
    JsonValue result(list);
    skip();
    if (at() != u'[') {
        m_errors +=
            QStringLiteral("Invalid Array at position ") + position() + QStringLiteral(" : ") + next20() + kCrLf;
        return result;
    }
    ++m_depth;
    ++m_pos;
    for (;;) {
        skip();
        const int c = at();
        if (c == u']') {
            ++m_pos;
            break;
        }
        if (c == u',') {
            ++m_pos;
            skip();
        } else if (c < 0) {
            m_errors += QStringLiteral("Missing ']': ") + last20() + kCrLf;
            break;
        }
        JsonValue value;
        QString error;
        m_wordFailed = false;
        const bool ok = parseValue(value, error);
        if (!ok && m_aborted)
            break;
        if (!ok) {
            m_errors += error + QStringLiteral(": ") + next20() + kCrLf;
            break;
        }
        // A word that is not true/false/null is not consumed; reading on would
        // meet it again forever, so the list ends here (its message is written).
        if (m_wordFailed && !value.isObject())
            break;
        list->Add(std::move(value));
        if (m_aborted)
            break;
    }
    --m_depth;
    return result;
}

bool Reader::parseValue(JsonValue& out, QString& error) {
    skip();
    const int c = at();
    if ((c == u'{' || c == u'[') && m_depth >= kJsonMaxDepth) {
        // Deeper would risk the stack; every open container ends here.
        m_errors +=
            QStringLiteral("Nesting too deep at position ") + position() + QStringLiteral(" : ") + next20() + kCrLf;
        m_aborted = true;
        return false;
    }
    switch (c) {
    case u'{':
        out = parseObject();
        return true;
    case u'[':
        out = parseArray();
        return true;
    case u'"':
    case u'\'':
        out = JsonValue(parseString());
        return true;
    case u't':
    case u'f':
        out = parseBoolean();
        return true;
    case u'n':
        out = parseNull();
        return true;
    default:
        return parseNumber(out, error);
    }
}

QString Reader::parseKey() {
    skip();
    m_sb.Remove(0, m_sb.Length());
    bool inDouble = false;
    bool inSingle = false;
    while (m_pos < m_n) {
        const QChar c = m_s[m_pos];
        switch (c.unicode()) {
        case u'"':
        case u'\'': {
            bool& flag = c == u'"' ? inDouble : inSingle;
            flag = !flag;
            ++m_pos;
            if (!flag) {
                skip();
                if (at() != u':') {
                    m_errors += QStringLiteral("Invalid Key at position ") + position() + QStringLiteral(" : ") +
                                m_sb.toString() + kCrLf;
                    return m_sb.toString();
                }
            }
            break;
        }
        case u':':
            ++m_pos;
            if (!inDouble && !inSingle)
                return m_sb.toString();
            m_sb.Append(c);
            break;
        case u'\r':
        case u'\n':
        case u'\t':
        case u' ':
            ++m_pos;
            break;
        default: {
            // A run of ordinary key characters in one go.
            qsizetype end = m_pos + 1;
            while (end < m_n) {
                const char16_t u = m_s[end].unicode();
                if (u == u'"' || u == u'\'' || u == u':' || u == u'\r' || u == u'\n' || u == u'\t' || u == u' ')
                    break;
                ++end;
            }
            m_sb.Append(m_s + m_pos, end - m_pos);
            m_pos = end;
            break;
        }
        }
    }
    return m_sb.toString();
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

QString Reader::parseString() {
    const QChar quote = m_s[m_pos];
    ++m_pos;
    cStringBuilder& sb = m_sb;
    sb.Remove(0, sb.Length());
    while (m_pos < m_n) {
        // Copy a run of plain characters in one go.
        qsizetype end = m_pos;
        while (end < m_n && m_s[end] != quote && m_s[end] != u'\\')
            ++end;
        if (end > m_pos) {
            sb.Append(m_s + m_pos, end - m_pos);
            m_pos = end;
            continue;
        }
        if (m_s[m_pos] == quote) {
            ++m_pos;
            return sb.toString();
        }
        // A backslash.
        ++m_pos;
        if (m_pos >= m_n)
            break;
        const QChar e = m_s[m_pos];
        switch (e.unicode()) {
        case u'"':
        case u'\\':
        case u'/':
        case u'\'':
            sb.Append(e);
            ++m_pos;
            break;
        case u'b':
            sb.Append(QChar(8));
            ++m_pos;
            break;
        case u'f':
            sb.Append(QChar(12));
            ++m_pos;
            break;
        case u'n':
            sb.Append(QChar(10));
            ++m_pos;
            break;
        case u'r':
            sb.Append(QChar(13));
            ++m_pos;
            break;
        case u't':
            sb.Append(QChar(9));
            ++m_pos;
            break;
        case u'u': {
            // Four characters are taken whatever they are; the value is their
            // leading hexadecimal digits (none gives 0).
            char16_t unit = 0;
            for (qsizetype k = m_pos + 1; k < m_pos + 5 && k < m_n; ++k) {
                const int d = HexDigit(m_s[k]);
                if (d < 0)
                    break;
                unit = static_cast<char16_t>(unit * 16 + d);
            }
            sb.Append(QChar(unit));
            m_pos = std::min(m_pos + 5, m_n);
            break;
        }
        default:
            // The backslash is dropped and the character read as an ordinary one.
            break;
        }
    }
    return sb.toString();
}

bool IsNumberChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.' || u == u'e' || u == u'E';
}

bool Reader::parseNumber(JsonValue& out, QString& error) {
    skip();
    const qsizetype start = m_pos;
    while (m_pos < m_n) {
        if (IsNumberChar(m_s[m_pos])) {
            ++m_pos;
            continue;
        }
        Decimal d;
        const int rc = Decimal::TryParse(m_text.mid(start, m_pos - start), d);
        if (rc != 0) {
            error = rc == kErrOverflow ? QStringLiteral("Overflow") : QStringLiteral("Type mismatch");
            return false;
        }
        out = JsonValue(d);
        return true;
    }
    // A number running to the very end of the text gives no value.
    out = JsonValue();
    return true;
}

JsonValue Reader::parseBoolean() {
    skip();
    if (m_text.mid(m_pos, 4) == u"true") {
        m_pos += 4;
        return JsonValue(true);
    }
    if (m_text.mid(m_pos, 5) == u"false") {
        m_pos += 5;
        return JsonValue(false);
    }
    addRestMessage(QStringLiteral("Invalid Boolean at position "));
    m_wordFailed = true;
    return JsonValue(false);
}

JsonValue Reader::parseNull() {
    skip();
    if (m_text.mid(m_pos, 4) == u"null") {
        m_pos += 4;
        return JsonValue::Null();
    }
    addRestMessage(QStringLiteral("Invalid null value at position "));
    m_wordFailed = true;
    return JsonValue();
}

// ---- writer ------------------------------------------------------------------

void AppendHexEscape(cStringBuilder& out, char16_t unit) {
    static const char16_t digits[] = u"0123456789abcdef";
    const char16_t esc[6] = {u'\\',
                             u'u',
                             digits[(unit >> 12) & 0xF],
                             digits[(unit >> 8) & 0xF],
                             digits[(unit >> 4) & 0xF],
                             digits[unit & 0xF]};
    out.Append(QStringView(esc, 6));
}

void WriteText(cStringBuilder& out, const QString& s) {
    out.Append(QChar(u'"'));
    const QChar* p = s.constData();
    const qsizetype n = s.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = p[i].unicode();
        const bool plain = u >= 0x20 && u != u'"' && u != u'\\' && !QChar::isSurrogate(u);
        if (plain)
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(p[i + 1].unicode())) {
            ++i; // a well-formed pair is written as it is
            continue;
        }
        out.Append(p + runStart, i - runStart);
        runStart = i + 1;
        switch (u) {
        case u'"':
            out.Append(u"\\\"");
            break;
        case u'\\':
            out.Append(u"\\\\");
            break;
        case 8:
            out.Append(u"\\b");
            break;
        case 12:
            out.Append(u"\\f");
            break;
        case 10:
            out.Append(u"\\n");
            break;
        case 13:
            out.Append(u"\\r");
            break;
        case 9:
            out.Append(u"\\t");
            break;
        default:
            AppendHexEscape(out, u);
            break; // other controls and lone surrogates
        }
    }
    out.Append(p + runStart, n - runStart);
    out.Append(QChar(u'"'));
}

void WriteValue(cStringBuilder& out, const JsonValue& v, int depth, bool inContainer) {
    switch (v.type()) {
    case JsonValue::Type::Dictionary: {
        if (depth >= kJsonMaxDepth)
            throw VbError(28, QStringLiteral("JsonToString"), QStringLiteral("Out of stack space"));
        out.Append(QChar(u'{'));
        const auto& entries = v.dictionary()->entries();
        for (const auto& [key, value] : entries) {
            // Keys are read back without escapes, so a quote in one cannot be written.
            if (key.contains(QLatin1Char('"')) || key.contains(QLatin1Char('\'')))
                throw VbError(kErrInvalidCall, QStringLiteral("JsonToString"),
                              QStringLiteral("Invalid procedure call or argument"));
            out.Append(QChar(u'"'));
            out.Append(key);
            out.Append(u"\": ");
            WriteValue(out, value, depth + 1, true);
            out.Append(QChar(u','));
        }
        if (!entries.empty())
            out.Remove(out.Length() - 1, 1);
        out.Append(QChar(u'}'));
        break;
    }
    case JsonValue::Type::List: {
        if (depth >= kJsonMaxDepth)
            throw VbError(28, QStringLiteral("JsonToString"), QStringLiteral("Out of stack space"));
        const auto& items = v.list()->items();
        // The element counter is 16-bit.
        if (items.size() > 32767)
            throw VbError(kErrOverflow, QStringLiteral("JsonToString"), QStringLiteral("Overflow"));
        out.Append(QChar(u'['));
        for (const auto& item : items) {
            WriteValue(out, item, depth + 1, true);
            out.Append(QChar(u','));
        }
        if (!items.empty())
            out.Remove(out.Length() - 1, 1);
        out.Append(QChar(u']'));
        break;
    }
    case JsonValue::Type::Text:
        WriteText(out, v.text());
        break;
    case JsonValue::Type::Bool:
        out.Append(v.boolValue() ? QStringView(u"true") : QStringView(u"false"));
        break;
    case JsonValue::Type::Null:
        out.Append(u"null");
        break;
    case JsonValue::Type::Number:
        out.Append(v.number().toString());
        break;
    case JsonValue::Type::Empty:
        // Nothing between two commas would not read back; inside a container the
        // missing value is written as null.
        if (inContainer)
            out.Append(u"null");
        break;
    }
}

} // namespace

JsonValue ParseJson(QStringView text) {
    t_parseErrors.clear();
    Reader reader(text, t_parseErrors);
    return reader.top();
}

QString JsonParseErrors() {
    return t_parseErrors;
}

QString JsonToString(const JsonValue& value) {
    cStringBuilder out;
    WriteValue(out, value, 0, false);
    return out.toString();
}

// ---- files -------------------------------------------------------------------

QString ReadTextFile(const QString& path, UserMessages& failures) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failures.append({QStringLiteral("파일 읽기 중 오류 발생: ") + file.errorString(), vbOKOnly, {}});
        return QString();
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        failures.append({QStringLiteral("파일 읽기 중 오류 발생: ") + file.errorString(), vbOKOnly, {}});
        return QString();
    }
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

bool SaveTextFile(const QString& path, const QString& text, UserMessages& failures) {
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        failures.append({QStringLiteral("파일 저장 중 오류 발생: ") + file.errorString(), vbOKOnly, {}});
        return false;
    }
    return true;
}

} // namespace worktide
