#include "ui/grid/Fonts.h"

#include "support/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace worktide;

namespace {

// The calendar centres titles by their CP949 byte width: its font must be fixed pitch and
// draw a Hangul syllable two Latin letters wide, whatever the platform found or loaded
// (NanumGothicCoding's syllables come out one pixel short of that at whole pixel sizes).
void ExpectTwoToOne(const QFont& font) {
    const QFontMetrics metrics(font);
    const int latin = metrics.horizontalAdvance(QStringLiteral("a"));
    EXPECT_GT(latin, 0);
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("W")), latin) << qPrintable(QFontInfo(font).family());
    const int hangul = metrics.horizontalAdvance(QStringLiteral("가"));
    EXPECT_GE(hangul, 2 * latin - 1) << qPrintable(QFontInfo(font).family());
    EXPECT_LE(hangul, 2 * latin) << qPrintable(QFontInfo(font).family());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("업무일정")), 4 * hangul);
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("똠")), hangul);
}

// What the setup program puts beside worktide.exe: the Nanum fonts in "fonts". Loading
// them twice (the program folder of the test run may hold them as well) is harmless.
TEST(ProgramFonts, TheCalendarFontIsFixedPitchWithHangulTwoLatinWide) {
    const QString nanum = QStringLiteral(WORKTIDE_NANUM_FONT_DIR "/NanumGothicCoding.ttf");
    ASSERT_TRUE(QFile::exists(nanum)) << "fonts-nanum-coding is missing";
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("fonts")));
    ASSERT_TRUE(QFile::copy(nanum, folder.filePath(QStringLiteral("fonts/NanumGothicCoding.ttf"))));
    {
        ScopedProgramFolder program(folder.path());
        InstallProgramFonts();
    }
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("NanumGothicCoding"), Qt::CaseInsensitive));
    ExpectTwoToOne(QFont(QStringLiteral("NanumGothicCoding"), 10));
    ExpectTwoToOne(FixedPitchKoreanFont(10));
    ExpectTwoToOne(FixedPitchKoreanFont(14));
}

} // namespace
