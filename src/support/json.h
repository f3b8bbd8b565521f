#pragma once

#include "support/UserMessage.h"

#include "support/Decimal.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <memory>
#include <utility>
#include <variant>
#include <vector>

// Lenient JSON: the reader accepts comments, single quotes, unquoted keys and
// missing commas and never raises (problems go to JsonParseErrors()); the writer
// produces compact JSON that the reader reads back. Also the whole-file UTF-8
// text routines used for the server list cache.
namespace worktide {

class JsonDictionary;
class JsonList;
using JsonDictionaryPtr = std::shared_ptr<JsonDictionary>;
using JsonListPtr = std::shared_ptr<JsonList>;

// A JSON value. Dictionaries and lists are shared, like object references: copying
// a value copies the reference, not the container.
class JsonValue {
public:
    enum class Type { Empty, Null, Bool, Number, Text, Dictionary, List };

    JsonValue() = default; // Empty: no value (also "no object" as a parse result)
    static JsonValue Null();
    JsonValue(bool b) : m_v(b) {}
    JsonValue(const Decimal& d) : m_v(d) {}
    JsonValue(const QString& s) : m_v(s) {}
    JsonValue(QString&& s) : m_v(std::move(s)) {}
    JsonValue(const char16_t* s) : m_v(QString::fromUtf16(s)) {}
    JsonValue(const char*) = delete; // would otherwise silently become a Boolean
    JsonValue(JsonDictionaryPtr d);
    JsonValue(JsonListPtr l);

    Type type() const { return static_cast<Type>(m_v.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    bool isBool() const { return type() == Type::Bool; }
    bool isNumber() const { return type() == Type::Number; }
    bool isText() const { return type() == Type::Text; }
    bool isDictionary() const { return type() == Type::Dictionary; }
    bool isList() const { return type() == Type::List; }
    // A dictionary or a list: what the parser returns when it found something.
    bool isObject() const { return isDictionary() || isList(); }

    // Typed access; a value of another kind gives false / 0 / empty / nullptr.
    bool boolValue() const;
    Decimal number() const;
    QString text() const;
    JsonDictionaryPtr dictionary() const;
    JsonListPtr list() const;

    // The value as text the way a variant converts: text as is, numbers as digits,
    // Booleans "True"/"False", Empty "". Raises VbError 94 for null and 13 for
    // dictionaries and lists.
    QString toText() const;

    // Member of a dictionary; Empty when the key is absent. Raises VbError 438 when
    // this is a list (it has no named members) and 424 when it is no object.
    JsonValue member(const QString& key) const;

    // Deep comparison: same kinds, equal numbers, same keys in the same order.
    friend bool operator==(const JsonValue& a, const JsonValue& b);
    friend bool operator!=(const JsonValue& a, const JsonValue& b) { return !(a == b); }

private:
    struct NullTag {};
    using Storage = std::variant<std::monostate, NullTag, bool, Decimal, QString, JsonDictionaryPtr, JsonListPtr>;
    explicit JsonValue(NullTag t) : m_v(t) {}
    Storage m_v;
};

// Keys in insertion order, compared case-sensitively, each at most once.
class JsonDictionary {
public:
    using Entry = std::pair<QString, JsonValue>;

    int Count() const { return static_cast<int>(m_entries.size()); }
    bool Exists(const QString& key) const { return find(key) >= 0; }
    // Empty when the key is absent.
    JsonValue Item(const QString& key) const;
    // Raises VbError 457 when the key is already present.
    void Add(const QString& key, JsonValue value);
    // Adds or replaces.
    void Set(const QString& key, JsonValue value);

    const std::vector<Entry>& entries() const { return m_entries; }
    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }

private:
    qsizetype find(const QString& key) const;

    std::vector<Entry> m_entries;
    // Built only once the dictionary is big enough for a linear scan to hurt.
    QHash<QString, qsizetype> m_index;
};

// Values in order, indexed from 1.
class JsonList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    // Raises VbError 9 when there is no element at index (1-based).
    JsonValue Item(int index) const;
    void Add(JsonValue value) { m_items.push_back(std::move(value)); }

    const std::vector<JsonValue>& items() const { return m_items; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<JsonValue> m_items;
};

JsonDictionaryPtr MakeJsonDictionary();
JsonListPtr MakeJsonList();

// Containers nested deeper than this end the parse with a message (and make the
// writer raise), so hostile input cannot exhaust the stack.
inline constexpr int kJsonMaxDepth = 512;

// The dictionary or list read from text; an Empty value (no object) when the text
// starts with neither "{" nor "[". Never raises.
JsonValue ParseJson(QStringView text);

// Problems found by the last ParseJson on this thread, one CR LF-ended line each.
QString JsonParseErrors();

// Compact JSON text of a value: ": " after keys, "," between members, nothing
// else. Raises VbError 6 for a list of more than 32767 elements, VbError 5 for a
// key holding a quote character (the reader could not read it back) and VbError
// 28 for containers nested deeper than kJsonMaxDepth (a container holding itself).
QString JsonToString(const JsonValue& value);

// Whole-file UTF-8 text, with or without a byte-order mark. A failure gives empty text
// and appends "파일 읽기 중 오류 발생: " + the reason to failures, for the window to show.
QString ReadTextFile(const QString& path, UserMessages& failures);
// Writes the text as UTF-8 to a temporary file beside path and renames it into
// place, so the file is replaced whole or not at all. A failure appends
// "파일 저장 중 오류 발생: " + the reason to failures. Returns whether the file was written.
bool SaveTextFile(const QString& path, const QString& text, UserMessages& failures);

} // namespace worktide
