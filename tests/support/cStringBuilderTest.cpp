#include "support/cStringBuilder.h"

#include "support/VbError.h"

#include <QList>

#include <functional>

#include <gtest/gtest.h>

using worktide::cStringBuilder;
using worktide::VbError;

namespace {
int ErrorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}
} // namespace

TEST(cStringBuilder, NewBuilderIsEmptyAndFirstAppendTakesOneChunk) {
    cStringBuilder sb;
    EXPECT_EQ(sb.Length(), 0);
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.ChunkSize(), 8192);
    EXPECT_TRUE(sb.toString().isEmpty());
    sb.Append(u"abc");
    EXPECT_EQ(sb.Length(), 3);
    EXPECT_EQ(sb.Capacity(), 8192);
    EXPECT_EQ(sb.toString(), QStringLiteral("abc"));
}

TEST(cStringBuilder, GrowsByWholeChunks) {
    struct Case {
        int chunk;
        QList<int> appends; // lengths appended in turn
        int capacity;
    };
    const Case cases[] = {
        {8192, {8193}, 16384}, {8192, {8192}, 8192}, {8192, {8000, 8000, 8000}, 24576},
        {4, {10}, 12},         {4, {3, 1, 1}, 8},    {1, {5}, 5},
    };
    for (const auto& c : cases) {
        cStringBuilder sb;
        sb.SetChunkSize(c.chunk);
        QString expected;
        char16_t ch = u'a';
        for (int n : c.appends) {
            const QString piece(n, QChar(ch++));
            sb.Append(piece);
            expected += piece;
        }
        EXPECT_EQ(sb.Capacity(), c.capacity) << "chunk " << c.chunk;
        EXPECT_EQ(sb.toString(), expected);
    }
}

TEST(cStringBuilder, InsertAndRemoveCheckTheirOffsets) {
    struct Case {
        const char16_t* op; // "I" insert "x" at a, "R" remove b characters at a
        int a;
        int b;
        const char16_t* result; // nullptr: error 9 and "abc" unchanged
    };
    const Case cases[] = {
        {u"I", 0, 0, u"xabc"},          {u"I", 3, 0, u"abcx"},  {u"I", 1, 0, u"axbc"},  {u"I", 4, 0, nullptr},
        {u"I", -1, 0, nullptr},         {u"R", 1, 1, u"ac"},    {u"R", 0, 3, u""},      {u"R", 3, 0, u"abc"},
        {u"R", 2, 2, nullptr},          {u"R", -1, 1, nullptr}, {u"R", 1, -1, nullptr}, {u"R", 4, 0, nullptr},
        {u"R", 1, 2147483647, nullptr},
    };
    for (const auto& c : cases) {
        cStringBuilder sb;
        sb.Append(u"abc");
        const bool insert = QStringView(c.op) == u"I";
        const int err = ErrorNumberOf([&] {
            if (insert)
                sb.Insert(c.a, u"x");
            else
                sb.Remove(c.a, c.b);
        });
        if (c.result) {
            EXPECT_EQ(err, 0) << (insert ? "Insert " : "Remove ") << c.a << "," << c.b;
            EXPECT_EQ(sb.toString(), QString::fromUtf16(c.result));
        } else {
            EXPECT_EQ(err, 9) << (insert ? "Insert " : "Remove ") << c.a << "," << c.b;
            EXPECT_EQ(sb.toString(), QStringLiteral("abc"));
        }
    }
}

TEST(cStringBuilder, InsertGrowsAndMayTakeItsOwnText) {
    cStringBuilder sb;
    sb.SetChunkSize(4);
    sb.Append(u"abcd");
    sb.Insert(2, sb.view()); // the source moves when the buffer grows
    EXPECT_EQ(sb.toString(), QStringLiteral("ababcdcd"));
    EXPECT_EQ(sb.Capacity(), 8);
}

TEST(cStringBuilder, TheStringClearAndHeapMinimize) {
    cStringBuilder sb;
    sb.Append(QString(20000, QLatin1Char('z')));
    EXPECT_EQ(sb.Capacity(), 24576);
    sb.SetTheString(u"a");
    EXPECT_EQ(sb.Capacity(), 24576); // the old room stays as spare
    EXPECT_EQ(sb.toString(), QStringLiteral("a"));
    sb.HeapMinimize();
    EXPECT_EQ(sb.Capacity(), 8192);
    EXPECT_EQ(sb.toString(), QStringLiteral("a"));
    sb.HeapMinimize(); // within one chunk: nothing changes
    EXPECT_EQ(sb.Capacity(), 8192);

    sb.SetTheString(QString(9000, QLatin1Char('q')));
    EXPECT_EQ(sb.Capacity(), 16384);
    EXPECT_EQ(sb.Length(), 9000);
    sb.SetTheString(QString());
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.Length(), 0);

    sb.SetChunkSize(10);
    sb.Append(u"abc");
    sb.Clear();
    EXPECT_EQ(sb.Capacity(), 0);
    EXPECT_EQ(sb.ChunkSize(), 10);
    EXPECT_TRUE(sb.toString().isEmpty());
}

TEST(cStringBuilder, AppendNLAndUtf16UnitsKeptRaw) {
    cStringBuilder sb;
    sb.AppendNL(u"a");
    EXPECT_EQ(sb.toString(), QStringLiteral("a\r\n"));
    sb.Clear();
    const QString odd = QString(QChar(0xD83D)) + QStringLiteral("가") + QChar(u'\0') + QStringLiteral("😀");
    sb.AppendByVal(odd);
    sb.InsertByVal(0, odd);
    EXPECT_EQ(sb.toString(), odd + odd);
    EXPECT_EQ(sb.Length(), 2 * odd.size());
}

TEST(cStringBuilder, FindReportsOnlyMatchesInsideTheText) {
    cStringBuilder sb;
    sb.Append(u"abcABCabc");
    sb.Remove(6, 3); // "abcABC"; "abc" still lies in the spare room
    struct Case {
        const char16_t* what;
        int start;
        int compare;
        int expected;
    };
    const Case cases[] = {
        {u"abc", 1, 0, 1}, {u"abc", 2, 0, 0}, {u"abc", 2, 1, 4},   {u"ABC", 0, 0, 4}, {u"BCa", 1, 0, 0},
        {u"C", -5, 1, 3},  {u"c", 7, 0, 0},   {u"abc", 100, 0, 0}, {u"x", 1, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sb.Find(c.what, c.start, c.compare), c.expected) << QString::fromUtf16(c.what).toStdString();
    EXPECT_EQ(ErrorNumberOf([&] { sb.Find(u"a", 1, 2); }), 5);
}

TEST(cStringBuilder, ChunkSizeLimits) {
    cStringBuilder sb;
    EXPECT_EQ(ErrorNumberOf([&] { sb.SetChunkSize(0x40000000); }), 6);
    EXPECT_EQ(ErrorNumberOf([&] { sb.SetChunkSize(0); }), 5);
    EXPECT_EQ(sb.ChunkSize(), 8192);
    sb.SetChunkSize(0x3FFFFFFF);
    EXPECT_EQ(sb.ChunkSize(), 0x3FFFFFFF);
}
