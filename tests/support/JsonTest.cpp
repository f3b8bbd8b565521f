#include "support/json.h"

#include "support/MsgBox.h"
#include "support/VbError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace worktide;

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

int ErrorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

struct ReadCase {
    const char16_t* input;
    const char16_t* written; // JsonToString of the result ("" for no object)
    const char16_t* errors;  // JsonParseErrors afterwards
};

void CheckReadCases(const ReadCase* begin, const ReadCase* end) {
    for (const ReadCase* c = begin; c != end; ++c) {
        const QString input = QString::fromUtf16(c->input);
        const JsonValue v = ParseJson(input);
        const QString errors = JsonParseErrors();
        EXPECT_EQ(JsonToString(v), QString::fromUtf16(c->written)) << "input: " << input.toStdString();
        EXPECT_EQ(errors, QString::fromUtf16(c->errors)) << "input: " << input.toStdString();
    }
}

} // namespace

TEST(JsonRead, LeniencyAndMessages) {
    const ReadCase cases[] = {
        {u"", u"", u"Invalid JSON"},
        {u"123", u"", u"Invalid JSON"},
        {u"  /* x */ true", u"", u"Invalid JSON"},
        {u"{\"a\":1 \"b\":2}", u"{\"a\": 1,\"b\": 2}", u""},
        {u"{,\"a\":1}", u"{\"a\": 1}", u""},
        {u"[,1]", u"[1]", u""},
        {u"{'a':'x', b: true}", u"{\"a\": \"x\",\"b\": true}", u""},
        {u"{\"first name\": 1}", u"{\"firstname\": 1}", u""},
        {u"{\"a\tb\r\nc\": 1}", u"{\"abc\": 1}", u""},
        {u"{\"a:b\": 1, 'c\\\\d': 2}", u"{\"a:b\": 1,\"c\\\\d\": 2}", u""},
        {u"// note\n{\"a\": (1)}", u"{\"a\": 1}", u""},
        {u"/* x */ [1 /* y */ , 2 // z\n, 3]", u"[1,2,3]", u""},
        {u"/[1]", u"[1]", u""},
        {u"([1])", u"[1]", u""},
        {u"{\"a\":1} trailing ] } garbage", u"{\"a\": 1}", u""},
        {u"{\"n\": 1.5e3}", u"{\"n\": 1500}", u""},
        {u"[-1.5e-2, 0.10, +7, 1E2]", u"[-0.015,0.1,7,100]", u""},
        {u"{\"a\": {\"b\": [1, {\"c\": null}, []], \"d\": {}}}", u"{\"a\": {\"b\": [1,{\"c\": null},[]],\"d\": {}}}",
         u""},
        {u"[true,false,null]", u"[true,false,null]", u""},
        // Missing closers and failures: what was read so far, and a message.
        {u"{\"a\":1,}", u"{\"a\": 1,\"}\": null}", u"Missing '}': {\"a\":1,}\r\n"},
        {u"[1,]", u"[1]", u"Type mismatch: ]\r\n"},
        {u"[1, x]", u"[1]", u"Type mismatch: x]\r\n"},
        {u"[1, --1, 2]", u"[1]", u"Type mismatch: , 2]\r\n"},
        {u"[79228162514264337593543950336]", u"[]", u"Overflow: ]\r\n"},
        {u"{\"a\": --1, \"b\": 2}", u"{}", u"Type mismatch: a\r\n"},
        {u"[1,2", u"[1,null]", u"Missing ']': [1,2\r\n"},
        {u"[1,2 ", u"[1,2]", u"Missing ']': [1,2 \r\n"},
        {u"{\"a\":1, \"a\":2}", u"{\"a\": 1}",
         u"This key is already associated with an element of this collection: a\r\n"},
        {u"{\"a\" 1}", u"{\"a\": 1}", u"Invalid Key at position 6 : a\r\n"},
        {u"[[1, x], 2]", u"[[1]]", u"Type mismatch: x], 2]\r\nType mismatch: x], 2]\r\n"},
        {u"{\"a\": [1", u"{\"a\": [null]}", u"Missing ']': {\"a\": [1\r\nMissing '}': {\"a\": [1\r\n"},
        // Words that are not true/false/null: an array ends there; an object reads on.
        {u"[tru]", u"[]", u"Invalid Boolean at position 2 : tru]\r\n"},
        {u"[1, nul, 2]", u"[1]", u"Invalid null value at position 5 : nul, 2]\r\n"},
        {u"[[fals], 2]", u"[[]]",
         u"Invalid Boolean at position 3 : fals], 2]\r\nInvalid Boolean at position 3 : fals], 2]\r\n"},
        {u"{\"a\": tru, \"b\": 1}", u"{\"a\": false,\"tru,b\": 1}",
         u"Invalid Boolean at position 7 : tru, \"b\": 1}\r\n"},
        {u"[True]", u"[]", u"Type mismatch: True]\r\n"},
        {u"[truex]", u"[true]", u"Type mismatch: x]\r\n"},
    };
    CheckReadCases(std::begin(cases), std::end(cases));
}

TEST(JsonRead, StringEscapes) {
    struct Case {
        const char16_t* input; // the inside of a one-element array
        QString value;
    };
    const Case cases[] = {
        {u"\"\\u00e9\\n\\x\"", QStringLiteral("é\nx")},
        {u"\"\\\"\\\\\\/\\'\"", QStringLiteral("\"\\/'")},
        {u"\"\\b\\f\\n\\r\\t\"", QString::fromUtf16(u"\b\f\n\r\t")},
        {u"\"\\uD83D\\uDE00\"", QStringLiteral("😀")},
        {u"\"\\uAC00\\uac01\"", QStringLiteral("가각")},
        {u"\"\\u12G4x\"", QString(QChar(0x12)) + QLatin1Char('x')},
        {u"\"\\uZZZZ\"", QString(QChar(0))},
        {u"'say \"hi\"'", QStringLiteral("say \"hi\"")},
        {u"\"it's\"", QStringLiteral("it's")},
        {u"\"line\nbreak\ttab\"", QStringLiteral("line\nbreak\ttab")},
        {u"\"/* not a comment */\"", QStringLiteral("/* not a comment */")},
    };
    for (const auto& c : cases) {
        const QString input = QStringLiteral("[") + QString::fromUtf16(c.input) + QStringLiteral("]");
        const JsonValue v = ParseJson(input);
        ASSERT_TRUE(v.isList()) << input.toStdString();
        ASSERT_EQ(v.list()->Count(), 1) << input.toStdString();
        EXPECT_EQ(v.list()->Item(1).text(), c.value) << input.toStdString();
        EXPECT_EQ(JsonParseErrors(), QString()) << input.toStdString();
    }
    // Text ending inside a string keeps what was read, without a message of its own.
    const JsonValue open = ParseJson(u"{\"s\": \"abc");
    EXPECT_EQ(open.member(QStringLiteral("s")).text(), QStringLiteral("abc"));
    EXPECT_EQ(JsonParseErrors(), QStringLiteral("Missing '}': {\"s\": \"abc\r\n"));
}

TEST(JsonRead, NumbersAreExactDecimals) {
    const JsonValue v = ParseJson(u"{\"n\": 1.5e3, \"f\": 0.1, \"big\": 1234567890123456789012345678}");
    EXPECT_EQ(v.member(QStringLiteral("n")).number(), Decimal::FromInt64(1500));
    EXPECT_EQ(v.member(QStringLiteral("f")).number().toString(), QStringLiteral("0.1"));
    EXPECT_EQ(v.member(QStringLiteral("big")).toText(), QStringLiteral("1234567890123456789012345678"));
    // A number running to the very end of the text gives no value at all.
    const JsonValue cut = ParseJson(u"[1,2");
    EXPECT_TRUE(cut.list()->Item(2).isEmpty());
}

TEST(JsonRead, DictionaryAndListAccess) {
    const JsonValue v = ParseJson(u"{\"A\": 1, \"a\": 2, \"l\": [\"x\"]}");
    const auto dict = v.dictionary();
    ASSERT_TRUE(dict);
    EXPECT_EQ(dict->Count(), 3);
    EXPECT_EQ(dict->Item(QStringLiteral("A")).toText(), QStringLiteral("1"));
    EXPECT_EQ(dict->Item(QStringLiteral("a")).toText(), QStringLiteral("2"));
    EXPECT_TRUE(dict->Item(QStringLiteral("missing")).isEmpty());
    const auto list = dict->Item(QStringLiteral("l")).list();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->Item(1).text(), QStringLiteral("x"));
    EXPECT_EQ(ErrorNumberOf([&] { list->Item(0); }), 9);
    EXPECT_EQ(ErrorNumberOf([&] { list->Item(2); }), 9);
    EXPECT_EQ(ErrorNumberOf([&] { dict->Add(QStringLiteral("A"), JsonValue(true)); }), 457);
    EXPECT_EQ(ErrorNumberOf([&] { JsonValue(list).member(QStringLiteral("x")); }), 438);
    EXPECT_EQ(ErrorNumberOf([&] { JsonValue().member(QStringLiteral("x")); }), 424);
    EXPECT_EQ(ErrorNumberOf([&] { JsonValue::Null().toText(); }), 94);
    EXPECT_EQ(JsonValue(true).toText(), QStringLiteral("True"));
    // Containers are shared like object references.
    JsonValue copy = v;
    copy.dictionary()->Set(QStringLiteral("new"), JsonValue::Null());
    EXPECT_TRUE(dict->Exists(QStringLiteral("new")));
}

TEST(JsonRead, DeepNestingEndsWithAMessage) {
    const QString deep = QString(100000, QLatin1Char('[')) + QString(100000, QLatin1Char(']'));
    const JsonValue v = ParseJson(deep);
    EXPECT_TRUE(JsonParseErrors().startsWith(QStringLiteral("Nesting too deep at position 513 : [[[[")));
    const QString written = JsonToString(v);
    EXPECT_EQ(written, QString(kJsonMaxDepth, QLatin1Char('[')) + QString(kJsonMaxDepth, QLatin1Char(']')));
    EXPECT_EQ(ParseJson(written), v);
    EXPECT_TRUE(JsonParseErrors().isEmpty());

    const QString deepObjects = QString(600, QLatin1Char('{')).replace(QLatin1String("{"), QLatin1String("{a:"));
    ParseJson(deepObjects);
    EXPECT_TRUE(JsonParseErrors().startsWith(QStringLiteral("Nesting too deep")));
}

TEST(JsonRead, ManyBadWordsDoNotMultiplyTheMessages) {
    // Each bad word in an object gives a message holding the rest of the text.
    QString text = QStringLiteral("{");
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("k") + QString::number(i) + QStringLiteral(": tx, ");
    text += QLatin1Char('}');
    ASSERT_TRUE(ParseJson(text).isDictionary());
    EXPECT_TRUE(JsonParseErrors().startsWith(QStringLiteral("Invalid Boolean at position 6 : tx, k1: tx")));
    EXPECT_LT(JsonParseErrors().size(), 2 * 1024 * 1024);
}

TEST(JsonWrite, Format) {
    auto dict = MakeJsonDictionary();
    dict->Add(QStringLiteral("k"), JsonValue(QStringLiteral("say \"hi\"")));
    EXPECT_EQ(JsonToString(JsonValue(dict)), QStringLiteral("{\"k\": \"say \\\"hi\\\"\"}"));

    EXPECT_EQ(JsonToString(JsonValue(MakeJsonDictionary())), QStringLiteral("{}"));
    EXPECT_EQ(JsonToString(JsonValue(MakeJsonList())), QStringLiteral("[]"));
    EXPECT_EQ(JsonToString(JsonValue()), QString());
    EXPECT_EQ(JsonToString(JsonValue::Null()), QStringLiteral("null"));
    EXPECT_EQ(JsonToString(JsonValue(false)), QStringLiteral("false"));
    EXPECT_EQ(JsonToString(JsonValue(Decimal::Parse(u"-2.50"))), QStringLiteral("-2.5"));

    // Backslashes, control characters and lone surrogates are escaped so they read back.
    const QString odd =
        QStringLiteral("a\\b\r\n\t\b\f") + QChar(1) + QChar(0x1F) + QChar(0xD800) + QStringLiteral("😀가/");
    const QString written = JsonToString(JsonValue(odd));
    EXPECT_EQ(written, QStringLiteral("\"a\\\\b\\r\\n\\t\\b\\f\\u0001\\u001f\\ud800😀가/\""));
    auto list = MakeJsonList();
    list->Add(JsonValue(odd));
    list->Add(JsonValue());
    list->Add(JsonValue(Decimal::FromInt64(3)));
    EXPECT_EQ(JsonToString(JsonValue(list)), QStringLiteral("[") + written + QStringLiteral(",null,3]"));
    EXPECT_EQ(ParseJson(JsonToString(JsonValue(list))).list()->Item(1).text(), odd);
}

TEST(JsonWrite, RefusesWhatCannotBeReadBack) {
    for (const QString& key : {QStringLiteral("a\"b"), QStringLiteral("it's")}) {
        auto dict = MakeJsonDictionary();
        dict->Add(key, JsonValue(true));
        EXPECT_EQ(ErrorNumberOf([&] { JsonToString(JsonValue(dict)); }), 5) << key.toStdString();
    }
    auto list = MakeJsonList();
    for (int i = 0; i < 32767; ++i)
        list->Add(JsonValue(true));
    EXPECT_EQ(ErrorNumberOf([&] { JsonToString(JsonValue(list)); }), 0);
    list->Add(JsonValue(true));
    EXPECT_EQ(ErrorNumberOf([&] { JsonToString(JsonValue(list)); }), 6);

    auto self = MakeJsonDictionary();
    self->Add(QStringLiteral("me"), JsonValue(self));
    EXPECT_EQ(ErrorNumberOf([&] { JsonToString(JsonValue(self)); }), 28);
    self->Set(QStringLiteral("me"), JsonValue()); // break the cycle so it is freed
}

// ---- round trip over generated trees ----

namespace {

class TreeGenerator {
public:
    explicit TreeGenerator(unsigned seed) : m_rng(seed) {}

    JsonValue container(int depth) { return pick(2) == 0 ? dictionary(depth) : list(depth); }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    JsonValue value(int depth) {
        switch (pick(depth > 5 ? 5 : 7)) {
        case 0:
            return JsonValue::Null();
        case 1:
            return JsonValue(pick(2) == 1);
        case 2:
            return JsonValue(number());
        case 3:
        case 4:
            return JsonValue(text(false));
        case 5:
            return dictionary(depth + 1);
        default:
            return list(depth + 1);
        }
    }

    JsonValue dictionary(int depth) {
        auto d = MakeJsonDictionary();
        const int n = pick(9);
        for (int i = 0; i < n; ++i)
            d->Set(text(true), value(depth));
        return JsonValue(d);
    }

    JsonValue list(int depth) {
        auto l = MakeJsonList();
        const int n = pick(9);
        for (int i = 0; i < n; ++i)
            l->Add(value(depth));
        return JsonValue(l);
    }

    Decimal number() {
        QString digits;
        const int n = 1 + pick(28);
        for (int i = 0; i < n; ++i)
            digits += QChar(u'0' + pick(10));
        const int point = pick(n + 1);
        if (point < n)
            digits.insert(point, QLatin1Char('.'));
        if (pick(2) == 0)
            digits.prepend(QLatin1Char('-'));
        return Decimal::Parse(digits);
    }

    QString text(bool key) {
        // Keys cannot hold quotes, and white space in them is dropped on reading.
        static const QString keyChars = QStringLiteral("abcXYZ019_:\\/*(){}[],.가나다😀-");
        static const QString textChars = keyChars + QStringLiteral("\"' \t\r\n\b\f") + QChar(1) + QChar(0x7F);
        const QString& chars = key ? keyChars : textChars;
        QString s;
        const int n = pick(8);
        for (int i = 0; i < n; ++i) {
            if (!key && pick(20) == 0) {
                s += QChar(static_cast<char16_t>(0xD800 + pick(0x800))); // a lone surrogate
                continue;
            }
            const QChar c = chars.at(pick(static_cast<int>(chars.size())));
            s += c;
            if (c.isHighSurrogate())
                s += QChar(0xDE00);
            else if (c.isLowSurrogate())
                s.chop(1);
        }
        return s;
    }

    std::mt19937 m_rng;
};

} // namespace

TEST(JsonRoundTrip, WhatTheWriterWritesReadsBackEqual) {
    qsizetype total = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        TreeGenerator gen(seed);
        const JsonValue tree = gen.container(0);
        const QString written = JsonToString(tree);
        total += written.size();
        const JsonValue back = ParseJson(written);
        ASSERT_EQ(JsonParseErrors(), QString()) << "seed " << seed << ": " << written.toStdString();
        ASSERT_TRUE(back == tree) << "seed " << seed << ": " << written.toStdString();
        ASSERT_EQ(JsonToString(back), written) << "seed " << seed;
    }
    EXPECT_GT(total, 100000); // the trees are not trivially small
}

// ---- files ----

TEST(JsonFiles, ReadAndSaveUtf8WholeFiles) {
    ScopedScriptedMessageBoxes boxes;
    UserMessages failures;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("t.json"));

    ASSERT_TRUE(SaveTextFile(path, QStringLiteral("{\"name\": \"사내메신저DB서버\"}") + QString(5000, QLatin1Char(' ')),
                             failures));
    ASSERT_TRUE(SaveTextFile(path, QStringLiteral("{\"가\": 1}"), failures));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QStringLiteral("{\"가\": 1}").toUtf8()); // replaced whole, no mark
    f.close();
    EXPECT_EQ(ReadTextFile(path, failures), QStringLiteral("{\"가\": 1}"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("t.json")}); // no leftovers

    // A leading byte-order mark is dropped.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF[1]");
    f.close();
    EXPECT_EQ(ReadTextFile(path, failures), QStringLiteral("[1]"));
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_TRUE(boxes.shown().isEmpty());
}

// The reader shows nothing itself: it hands the message back, in the order of the failures.
TEST(JsonFiles, FailuresHandBackAMessageAndGiveNothing) {
    ScopedScriptedMessageBoxes boxes;
    UserMessages failures;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(ReadTextFile(dir.filePath(QStringLiteral("missing.json")), failures), QString());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].text.startsWith(QStringLiteral("파일 읽기 중 오류 발생: ")));
    EXPECT_GT(failures[0].text.size(), QStringLiteral("파일 읽기 중 오류 발생: ").size());
    EXPECT_EQ(failures[0].style, vbOKOnly);

    const QString target = dir.filePath(QStringLiteral("no/such/folder/x.json"));
    EXPECT_FALSE(SaveTextFile(target, QStringLiteral("[]"), failures));
    ASSERT_EQ(failures.size(), 2);
    EXPECT_TRUE(failures[1].text.startsWith(QStringLiteral("파일 저장 중 오류 발생: ")));
    EXPECT_EQ(failures[1].style, vbOKOnly);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(boxes.shown().isEmpty());
}
