#include "support/Cp949.h"

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

} // namespace
