#include "support/Cp949.h"

#include <QFile>
#include <QHash>

#include <gtest/gtest.h>

using namespace worktide;

namespace {

struct EncodeCase {
    const char* utf8;
    QByteArray cp949;
};

TEST(Cp949, EncodesAndDecodesKoreanExactly) {
    // 똠 is outside the EUC-KR base set (a CP949 extension syllable); Qt's IBM-949
    // codec gets it wrong, which is why the codec is iconv's.
    const EncodeCase cases[] = {
        {"똠", QByteArray::fromHex("8c63")},
        {"가", QByteArray::fromHex("b0a1")},
        {"abc", QByteArray("abc")},
        {"업무A1", QByteArray::fromHex("bef7b9ab4131")},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.utf8);
        bool lossless = false;
        EXPECT_EQ(ToAnsi(text, &lossless), c.cp949) << c.utf8;
        EXPECT_TRUE(lossless);
        EXPECT_EQ(FromAnsi(c.cp949), text) << c.utf8;
        EXPECT_EQ(AnsiByteLength(text), c.cp949.size());
    }
}

TEST(Cp949, ReportsCharactersWithoutACp949Form) {
    const QString emoji = QString::fromUtf8("제목😀끝");
    bool lossless = true;
    const QByteArray bytes = ToAnsi(emoji, &lossless);
    EXPECT_FALSE(lossless);
    EXPECT_EQ(bytes, ToAnsi(QString::fromUtf8("제목")) + "?" + ToAnsi(QString::fromUtf8("끝")));

    QString bad;
    EXPECT_FALSE(IsAnsiEncodable(emoji, &bad));
    EXPECT_EQ(bad, QString::fromUtf8("😀"));
    EXPECT_TRUE(IsAnsiEncodable(QString::fromUtf8("똠방각하 it's ok")));
}

TEST(Cp949, LibraryTextIsCutAtNulAndRightTrimmed) {
    const char raw[] = "\xb0\xa1 a  \0tail";
    EXPECT_EQ(FromAnsiTrimmed(raw, sizeof raw - 1), QString::fromUtf8("가 a"));
    EXPECT_EQ(FromAnsiTrimmed(nullptr, 5), QString());
    EXPECT_EQ(FromAnsiTrimmed("   ", 3), QString());
}

TEST(Cp949, InvalidBytesDecodeToReplacementCharacters) {
    // A lone lead byte at the end, as left by a cut inside a syllable.
    const QByteArray cut = QByteArray::fromHex("b0a1b0");
    EXPECT_EQ(FromAnsi(cut), QString::fromUtf8("가") + QChar(0xFFFD));
}

// Every character of CP949 as GNU iconv has it (tests/data/make-cp949-table). Each
// platform's conversion must give exactly these bytes, refuse every other character and
// decode every other byte sequence as invalid: a difference would store text that the
// other computers read back as something else.
class Cp949Table : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        QFile file(QStringLiteral(WORKTIDE_TEST_DATA_DIR "/cp949-table.txt"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> parts = line.split(' ');
            ASSERT_EQ(parts.size(), 2) << line.constData();
            const QByteArray bytes = QByteArray::fromHex(parts[0]);
            const auto code = static_cast<char16_t>(parts[1].toUInt(nullptr, 16));
            s_byBytes.insert(bytes, code);
            s_byCode.insert(code, bytes);
        }
        ASSERT_EQ(s_byBytes.size(), 17048);
        ASSERT_EQ(s_byCode.size(), 17048);
    }

    static inline QHash<QByteArray, char16_t> s_byBytes;
    static inline QHash<char16_t, QByteArray> s_byCode;
};

// Mismatches are collected, so that a wrong table shows its first cases and its size
// instead of thousands of failures.
struct Mismatches {
    int count = 0;
    QString first;
    void add(const QString& what) {
        if (++count <= 10)
            first += what + QLatin1Char('\n');
    }
};

QString Hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

TEST_F(Cp949Table, EveryByteSequenceDecodesAsTheTableSays) {
    Mismatches bad;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        const QByteArray single(1, static_cast<char>(lead));
        if (FromAnsi(single) != QString(QChar(0xFFFD)))
            bad.add(Hex(single) + QStringLiteral(" alone decodes"));
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const QByteArray pair = single + static_cast<char>(trail);
            const QString text = FromAnsi(pair);
            const auto it = s_byBytes.constFind(pair);
            if (it != s_byBytes.cend() ? text != QString(QChar(*it)) : text.isEmpty() || text.at(0) != QChar(0xFFFD))
                bad.add(Hex(pair) + QStringLiteral(" decodes to U+") +
                        QString::number(text.isEmpty() ? 0 : text.at(0).unicode(), 16));
        }
    }
    EXPECT_EQ(bad.count, 0) << qPrintable(bad.first);

    // The whole table in one text, and an undefined sequence among valid ones.
    QByteArray all;
    QString expected;
    for (auto it = s_byBytes.cbegin(); it != s_byBytes.cend(); ++it) {
        all += it.key();
        expected += QChar(it.value());
    }
    EXPECT_EQ(FromAnsi(all), expected);
    // A user-defined pair: its lead byte is bad, and decoding goes on at its second byte.
    EXPECT_EQ(FromAnsi(QByteArray::fromHex("b0a1c9a1b0a1")),
              QString::fromUtf8("가") + QChar(0xFFFD) + QChar(0x201C) + QChar(0xFFFD));
    // A2 E8 once made the decoder read past the end of its input.
    EXPECT_EQ(FromAnsi(QByteArray::fromHex("41a2e8")), QStringLiteral("A") + QChar(0xFFFD) + QChar(0xFFFD));
    EXPECT_EQ(FromAnsi(QByteArray::fromHex("a2e841")), QString(QChar(0xFFFD)) + QChar(0xFFFD) + QStringLiteral("A"));
    EXPECT_EQ(FromAnsi(QByteArray::fromHex("418041")), QStringLiteral("A") + QChar(0xFFFD) + QStringLiteral("A"));
}

TEST_F(Cp949Table, EveryCharacterEncodesAsTheTableSaysOrIsRefused) {
    Mismatches bad;
    for (char32_t code = 0x80; code <= 0xFFFF; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        const QString text(QChar(static_cast<char16_t>(code)));
        bool lossless = false;
        const QByteArray bytes = ToAnsi(text, &lossless);
        const auto it = s_byCode.constFind(static_cast<char16_t>(code));
        const bool right = it != s_byCode.cend() ? lossless && bytes == *it && IsAnsiEncodable(text)
                                                 : !lossless && bytes == "?" && !IsAnsiEncodable(text);
        if (!right)
            bad.add(QStringLiteral("U+") + QString::number(code, 16) + QStringLiteral(" encodes to ") + Hex(bytes));
    }
    EXPECT_EQ(bad.count, 0) << qPrintable(bad.first);

    QString all;
    QByteArray expected;
    for (auto it = s_byCode.cbegin(); it != s_byCode.cend(); ++it) {
        all += QChar(it.key());
        expected += it.value();
    }
    bool lossless = false;
    EXPECT_EQ(ToAnsi(all, &lossless), expected);
    EXPECT_TRUE(lossless);

    // A private-use character among Hangul (Windows' own table has some) is refused by itself.
    const QString mixed = QString::fromUtf8("가") + QChar(0xE000) + QString::fromUtf8("나");
    EXPECT_EQ(ToAnsi(mixed, &lossless), QByteArray::fromHex("b0a13fb3aa"));
    EXPECT_FALSE(lossless);
    QString firstBad;
    EXPECT_FALSE(IsAnsiEncodable(mixed, &firstBad));
    EXPECT_EQ(firstBad, QString(QChar(0xE000)));
    // Characters beyond the first plane have no CP949 form, whole pairs or lone halves.
    EXPECT_EQ(ToAnsi(QString::fromUtf8("𠀀") + QChar(0xD800) + QStringLiteral("a")), QByteArray("??a"));
}

} // namespace
