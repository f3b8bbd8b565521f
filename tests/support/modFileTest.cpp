#include "support/PeVersion.h"
#include "support/modFile.h"

#include "common/PeWriter.h"
#include "support/MsgBox.h"

#include <functional>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace worktide;
using namespace worktide::test;

namespace {

const QString kMissingBlockError =
    QStringLiteral("Error 9 (Subscript out of range) in procedure GetFileVer of Module mdlFile");

class FileVersionTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    QString writeVersioned(const QString& name, const QList<StringTable>& tables, bool pe32plus = false) {
        return write(name, BuildPeWithVersion(BuildVersionInfo(tables), pe32plus).bytes);
    }

    QTemporaryDir m_dir;
    ScopedScriptedMessageBoxes m_boxes;
    UserMessages m_failures; // handed back for the caller to show
};

} // namespace

TEST_F(FileVersionTest, EnglishTableGivesAllFieldsInOrder) {
    const QString path = writeVersioned(QStringLiteral("a.exe"), {StandardStrings(QStringLiteral("1.0.0.15"))});
    const QStringList fields = GetFileVersionFields(path, m_failures);
    const QStringList expected{
        QStringLiteral("CompanyName: Dodam"),
        QStringLiteral("FileDescription: Update probe"),
        QStringLiteral("FileVersion: 1.0.0.15"),
        QStringLiteral("InternalName: UpdateProbeV1"),
        QStringLiteral("LegalCopyright: (c) Dodam"),
        QStringLiteral("OriginalFilename: UpdateProbeV1.exe"),
        QStringLiteral("ProductName: UpdateProbe"),
        QStringLiteral("ProductVersion: 1.0.0.15"),
        QStringLiteral("Comments: no comment"),
        QStringLiteral("LegalTrademarks: Dodam TM"),
        QStringLiteral("PrivateBuild: Not specified"),
        QStringLiteral("SpecialBuild: Not specified"),
        QStringLiteral("Language: English - United States"),
    };
    EXPECT_EQ(fields, expected);
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_failures.isEmpty());
}

TEST_F(FileVersionTest, KoreanTableWithoutTrademarksAndHangulValues) {
    StringTable t{QStringLiteral("041204b0"),
                  {{QStringLiteral("CompanyName"), QStringLiteral("도담시스템")},
                   {QStringLiteral("FileVersion"), QStringLiteral("2.1.0.007")},
                   {QStringLiteral("ProductName"), QStringLiteral("업무일정")}}};
    const QString path = writeVersioned(QStringLiteral("k.exe"), {t}, /*pe32plus=*/true);
    const QStringList fields = GetFileVersionFields(path, m_failures);
    ASSERT_EQ(fields.size(), 13);
    EXPECT_EQ(fields[0], QStringLiteral("CompanyName: 도담시스템"));
    EXPECT_EQ(fields[6], QStringLiteral("ProductName: 업무일정"));
    EXPECT_EQ(fields[9], QStringLiteral("LegalTrademarks: Not specified"));
    EXPECT_EQ(fields[12], QStringLiteral("Language: Korean"));
    EXPECT_EQ(GetFileVer(path, true, m_failures), QStringLiteral("2.1.0.7"));
}

TEST_F(FileVersionTest, FirstStringTableNamesTheLanguage) {
    const QString path = writeVersioned(QStringLiteral("two.exe"),
                                        {StandardStrings(QStringLiteral("3.0.0.1"), QStringLiteral("041104b0")),
                                         StandardStrings(QStringLiteral("9.9.9.9"), QStringLiteral("040904b0"))});
    const QStringList fields = GetFileVersionFields(path, m_failures);
    ASSERT_EQ(fields.size(), 13);
    EXPECT_EQ(fields[2], QStringLiteral("FileVersion: 3.0.0.1"));
    EXPECT_EQ(fields[12], QStringLiteral("Language: Japanese"));
}

TEST_F(FileVersionTest, BlockWithoutStringTableHasBareLanguageEntry) {
    const QString path = writeVersioned(QStringLiteral("bare.exe"), {});
    const QStringList fields = GetFileVersionFields(path, m_failures);
    ASSERT_EQ(fields.size(), 13);
    EXPECT_EQ(fields[2], QStringLiteral("FileVersion: Not specified"));
    EXPECT_EQ(fields[12], QStringLiteral("Language"));
}

TEST_F(FileVersionTest, GetFileVerKeepsOrDropsTheLastPart) {
    struct Case {
        const char16_t* fileVersion;
        const char16_t* keepLast;
        const char16_t* withoutLast;
    };
    const Case cases[] = {
        {u"1.0.0.15", u"1.0.0.15", u"1.0.0"},
        {u"2.1.0.007", u"2.1.0.7", u"2.1.0"},
        {u"1.00.0000", u"1.00.0", u"1.00"},
        {u"7", u"7", u""},
        {u"1.0.0.15 (beta)", u"1.0.0.15 (beta)", u"1.0.0"},
    };
    for (const Case& c : cases) {
        const QString v = QString::fromUtf16(c.fileVersion);
        const QString path = writeVersioned(QStringLiteral("v.exe"), {StandardStrings(v)});
        EXPECT_EQ(GetFileVer(path, true, m_failures), QString::fromUtf16(c.keepLast)) << v.toStdString();
        EXPECT_EQ(GetFileVer(path, false, m_failures), QString::fromUtf16(c.withoutLast)) << v.toStdString();
    }
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_failures.isEmpty());
}

TEST_F(FileVersionTest, NoVersionResourceIsSilentForFieldsButReportedByGetFileVer) {
    const QStringList noBlock[] = {
        GetFileVersionFields(write(QStringLiteral("icon-only.exe"), BuildPeWithVersion({}).bytes), m_failures),
        GetFileVersionFields(write(QStringLiteral("no-rsrc.exe"), BuildPe({}).bytes), m_failures),
        GetFileVersionFields(write(QStringLiteral("script.exe"), QByteArray("#!/bin/sh\nexit 0\n")), m_failures),
        GetFileVersionFields(write(QStringLiteral("empty.exe"), QByteArray()), m_failures),
        GetFileVersionFields(m_dir.filePath(QStringLiteral("missing.exe")), m_failures),
    };
    for (const QStringList& fields : noBlock)
        EXPECT_TRUE(fields.isEmpty());
    EXPECT_TRUE(m_boxes.shown().isEmpty());

    EXPECT_EQ(GetFileVer(m_dir.filePath(QStringLiteral("icon-only.exe")), true, m_failures), QString());
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    ASSERT_EQ(m_failures.size(), 1);
    EXPECT_EQ(m_failures[0].text, kMissingBlockError);
    EXPECT_EQ(m_failures[0].style, vbOKOnly);
}

TEST(LanguageNameTest, TableLookups) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"0412", u"Korean"},
        {u"041204b0", u"Korean"},
        {u"0409", u"English - United States"},
        {u"0411", u"Japanese"},
        {u"0804", u"Chinese - PRC"},
        {u"0407", u"German - Standard"},
        {u"040c", u"French - Standard"},
        {u"0401", u"Arabic - Saudia Arabia"},
        {u"0c1a04e4", u"Serbian - Cyrillic"},
        {u"0422", u"Ukranian"},
        {u"0432", u"Setsuana"},
        {u"0435", u"Zulu"},
        {u"0436", u"Afrikaans"},
        {u"0000", u""},
        {u"041", u""},
        {u"", u""},
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(GetLanguageName(QString::fromUtf16(code)), QString::fromUtf16(name))
            << QString::fromUtf16(code).toStdString();
}

TEST(PeVersionTest, FindsTheBlockExactly) {
    const QByteArray block = BuildVersionInfo({StandardStrings(QStringLiteral("1.0.0.15"))});
    EXPECT_EQ(ExtractVersionResource(BuildPeWithVersion(block).bytes), block);
    EXPECT_EQ(ExtractVersionResource(BuildPeWithVersion(block, true).bytes), block);
}

TEST(PeVersionTest, TruncatedAtEveryLengthNeverReadsPastTheEnd) {
    const QByteArray block = BuildVersionInfo({StandardStrings(QStringLiteral("1.0.0.15"))});
    const QByteArray full = BuildPeWithVersion(block).bytes;
    const qsizetype blockEnd = full.indexOf(block) + block.size();
    for (qsizetype len = 0; len <= full.size(); ++len) {
        // A copy of exactly len bytes, so that the sanitizers see any overread.
        const QByteArray cut(full.constData(), len);
        const QByteArray found = ExtractVersionResource(cut);
        // Everything the reader needs lies before the block's end.
        EXPECT_EQ(found, len >= blockEnd ? block : QByteArray()) << len;
        VersionFieldsFromBlock(cut); // the scan copes with any bytes
    }
}

TEST(PeVersionTest, MalformedTreesGiveNoBlock) {
    const QByteArray block = BuildVersionInfo({StandardStrings(QStringLiteral("1.0.0.15"))});
    const PeImage good = BuildPeWithVersion(block);
    const int v = 1; // RT_VERSION is the second type (after the icon)
    const quint32 rsrc = good.rsrcFileOffset;
    auto rel = [&](quint32 fileOffset) { return fileOffset - rsrc; };

    struct Patch {
        const char* what;
        std::function<void(QByteArray&)> apply;
    };
    const Patch patches[] = {
        {"name level points back at the root", [&](QByteArray& b) { PutU32(b, good.nameDirs[v] + 20, 0x80000000u); }},
        {"language level points at its own directory",
         [&](QByteArray& b) { PutU32(b, good.languageDirs[v] + 20, 0x80000000u | rel(good.languageDirs[v])); }},
        {"type entry is a data entry",
         [&](QByteArray& b) { PutU32(b, good.typeEntries[v] + 4, rel(good.dataEntries[v])); }},
        {"subdirectory offset past the section",
         [&](QByteArray& b) { PutU32(b, good.typeEntries[v] + 4, 0xFFFFFFF0u); }},
        {"huge entry count", [&](QByteArray& b) { PutU16(b, good.nameDirs[v] + 14, 0xFFFF); }},
        {"data RVA outside every section", [&](QByteArray& b) { PutU32(b, good.dataEntries[v], 0x00900000); }},
        {"data RVA wraps around", [&](QByteArray& b) { PutU32(b, good.dataEntries[v], 0xFFFFFFF0u); }},
        {"data size past the section", [&](QByteArray& b) { PutU32(b, good.dataEntries[v] + 4, 0x7FFFFFFF); }},
        {"zero data size", [&](QByteArray& b) { PutU32(b, good.dataEntries[v] + 4, 0); }},
        {"no RT_VERSION type", [&](QByteArray& b) { PutU32(b, good.typeEntries[v], 17); }},
        {"RT_VERSION only as a name", [&](QByteArray& b) { PutU32(b, good.typeEntries[v], 0x80000000u | 16); }},
        {"bad PE signature", [&](QByteArray& b) { b[0x80] = 'X'; }},
        {"PE header offset past the end", [&](QByteArray& b) { PutU32(b, 0x3C, 0xFFFFFFFFu); }},
        {"unknown optional header magic", [&](QByteArray& b) { PutU16(b, 0x98, 0x107); }},
        {"optional header too small for the directories", [&](QByteArray& b) { PutU16(b, 0x94, 100); }},
        {"only two data directories", [&](QByteArray& b) { PutU32(b, 0x98 + 92, 2); }},
        {"section raw data past the end", [&](QByteArray& b) { PutU32(b, 0x98 + 224 + 40 + 20, 0xFFFFFF00u); }},
        {"no sections", [&](QByteArray& b) { PutU16(b, 0x86, 0); }},
    };
    for (const Patch& p : patches) {
        QByteArray bytes = good.bytes;
        p.apply(bytes);
        EXPECT_TRUE(ExtractVersionResource(bytes).isEmpty()) << p.what;
    }
}

TEST(PeVersionTest, BitFlipsNeverCrash) {
    const QByteArray full = BuildPeWithVersion(BuildVersionInfo({StandardStrings(QStringLiteral("1.0.0.15"))})).bytes;
    // Every header and resource-directory byte set to 0xFF in turn.
    for (qsizetype i = 0; i < full.size(); ++i) {
        if (i >= 0x200 && i < 0x400)
            continue; // .text
        QByteArray bytes = full;
        bytes[i] = '\xFF';
        const QByteArray found = ExtractVersionResource(bytes);
        EXPECT_LE(found.size(), 0x10000);
    }
}
