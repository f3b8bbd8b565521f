// Record sets built from real results: column naming, all-text values, NULL and
// trailing blanks, counts, and a lifetime of their own.
#include "common/TestDb.h"
#include "db/Recordset.h"
#include "db/modMySQL_Func_lite.h"
#include "support/MsgBox.h"
#include "support/VbError.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

class RecordsetTest : public ::testing::Test {
protected:
    RecordsetTest() : db(u"recordset"_s) {
        db.exec(u"CREATE TABLE team (name VARCHAR(20) NOT NULL, leader VARCHAR(32) NOT NULL) DEFAULT CHARSET=euckr;"
                u"CREATE TABLE room (name VARCHAR(20) NOT NULL, team VARCHAR(20) NOT NULL) DEFAULT CHARSET=euckr;"
                u"INSERT INTO user (id, name, level) VALUES ('dyseo', '서도윤', 9), ('mgchoi', '최민결', 1);"
                u"INSERT INTO team VALUES ('개발1팀', 'dyseo'), ('상담팀', 'mgchoi');"
                u"INSERT INTO room VALUES ('3층 회의실', '개발1팀'), ('로비', '상담팀')"_s);
        EXPECT_TRUE(db.connectGlobal());
    }
    ~RecordsetTest() override { DBClose(); }

    RecordsetPtr Open(const QString& sql, qint32* count = nullptr) {
        RecordsetPtr rs;
        const qint32 n = OpenRecordset(rs, sql);
        if (count)
            *count = n;
        return rs;
    }

    static QStringList FieldNames(const Recordset& rs) {
        QStringList names;
        for (int i = 0; i < rs.FieldCount(); ++i)
            names << rs.FieldAt(i).name;
        return names;
    }

    ScopedScriptedMessageBoxes boxes;
    test::ScratchDatabase db;
};

TEST_F(RecordsetTest, RepeatedColumnNamesTakeTheirTablePrefix) {
    struct Case {
        QString sql;
        QStringList names;
    };
    const Case cases[] = {
        {u"SELECT user.name, team.name, user.id FROM user JOIN team ON team.leader = user.id ORDER BY user.id"_s,
         {u"user.name"_s, u"team.name"_s, u"id"_s}},
        // The third of three is prefixed too, not only the first two.
        {u"SELECT u.name, t.name, r.name FROM user u JOIN team t ON t.leader = u.id JOIN room r ON r.team = t.name "
         u"ORDER BY u.id"_s,
         {u"u.name"_s, u"t.name"_s, u"r.name"_s}},
        // An expression has no table and keeps its bare name.
        {u"SELECT name, UPPER(id) AS name FROM user ORDER BY id"_s, {u"user.name"_s, u"name"_s}},
        {u"SELECT id, name, level FROM user ORDER BY id"_s, {u"id"_s, u"name"_s, u"level"_s}},
    };
    for (const Case& k : cases) {
        RecordsetPtr rs = Open(k.sql);
        ASSERT_TRUE(rs) << k.sql.toStdString();
        EXPECT_EQ(FieldNames(*rs), k.names) << k.sql.toStdString();
    }

    RecordsetPtr rs = Open(cases[1].sql);
    ASSERT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Value(u"u.name"_s), u"서도윤"_s);
    EXPECT_EQ(rs->Value(u"t.name"_s), u"개발1팀"_s);
    EXPECT_EQ(rs->Value(u"R.NAME"_s), u"3층 회의실"_s);
    EXPECT_THROW(rs->Value(u"name"_s), VbError);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(RecordsetTest, ValuesAreTextWithoutTrailingBlanksAndNullIsEmpty) {
    db.exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, finished) VALUES "
            u"('2026-12-08', '서도윤', '  주간 보고   ', NULL, '2026-12-01', 1)"_s);
    qint32 count = 0;
    RecordsetPtr rs = Open(u"SELECT seq, wdate, title, details, sdate, edate, finished FROM worktide"_s, &count);
    ASSERT_TRUE(rs);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(rs->Value(u"wdate"_s), u"2026-12-08"_s);
    EXPECT_EQ(rs->Value(u"title"_s), u"  주간 보고"_s); // leading blanks stay
    EXPECT_EQ(rs->Value(u"details"_s), u""_s);
    EXPECT_EQ(rs->Value(u"edate"_s), u""_s);
    EXPECT_EQ(rs->Value(u"finished"_s), u"1"_s);
    EXPECT_EQ(rs->Value(0), db.scalar(u"SELECT MAX(seq) FROM worktide"_s));
    EXPECT_EQ(rs->FieldAt(rs->FieldIndex(u"title"_s)).definedSize, 255 * 2); // euckr: two bytes a character
    rs->MoveNext();
    EXPECT_TRUE(rs->isEOF());
    EXPECT_THROW(rs->Value(0), VbError);
    rs->MoveFirst();
    EXPECT_FALSE(rs->isEOF());
}

// Repeated short values are shared between cells while the record set is built; every
// cell must still read its own value (same length, same first bytes, trailing blanks).
TEST_F(RecordsetTest, ManyRowsOfRepeatingAndUniqueValuesReadBackCellByCell) {
    const int rows = 500;
    ExecuteSQL(u"INSERT INTO worktide (devname, title, sdate, edate, finished, catename) SELECT "
               u"ELT(1 + seq % 3, '서도윤', '최민결', '한지우'), CONCAT('제목 ', seq), "
               u"CONCAT('2026-12-', LPAD(1 + seq % 12, 2, '0')), CONCAT('2026-12-', LPAD(1 + seq % 29, 2, '0')), "
               u"seq % 2, IF(seq % 4 = 0, '회의   ', '회의') FROM seq_1_to_"_s +
               QString::number(rows));
    qint32 count = 0;
    RecordsetPtr rs =
        Open(u"SELECT seq, devname, title, sdate, edate, finished, catename FROM worktide ORDER BY seq"_s, &count);
    ASSERT_TRUE(rs);
    ASSERT_EQ(count, rows);
    const QString names[] = {u"서도윤"_s, u"최민결"_s, u"한지우"_s};
    int n = 0;
    for (; !rs->isEOF(); rs->MoveNext()) {
        const int seq = ++n;
        ASSERT_EQ(rs->Value(0), QString::number(seq));
        ASSERT_EQ(rs->Value(1), names[seq % 3]);
        ASSERT_EQ(rs->Value(2), u"제목 "_s + QString::number(seq));
        ASSERT_EQ(rs->Value(3), u"2026-12-%1"_s.arg(1 + seq % 12, 2, 10, QChar(u'0')));
        ASSERT_EQ(rs->Value(4), u"2026-12-%1"_s.arg(1 + seq % 29, 2, 10, QChar(u'0')));
        ASSERT_EQ(rs->Value(5), QString::number(seq % 2));
        ASSERT_EQ(rs->Value(6), u"회의"_s);
    }
    EXPECT_EQ(n, rows);
}

TEST_F(RecordsetTest, CountsAndEmptyResults) {
    qint32 count = -2;
    RecordsetPtr rs = Open(u"SELECT COUNT(*) FROM user"_s, &count);
    ASSERT_TRUE(rs);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(rs->FieldCount(), 1);
    EXPECT_EQ(rs->FieldAt(0).name, u"COUNT(*)"_s);
    EXPECT_EQ(rs->Value(u"COUNT(*)"_s), u"2"_s);

    rs = Open(u"SELECT * FROM worktide WHERE sdate = 'never'"_s, &count);
    ASSERT_TRUE(rs);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(rs->State(), Recordset::adStateOpen);
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(rs->FieldCount(), 9);
}

TEST_F(RecordsetTest, RecordSetOutlivesItsConnectionAndCloses) {
    RecordsetPtr rs = Open(u"SELECT id, name FROM user ORDER BY id"_s);
    ASSERT_TRUE(rs);
    EXPECT_EQ(ExecuteSQL(u"DELETE FROM user"_s), 2);
    DBClose();

    QStringList names;
    for (; !rs->isEOF(); rs->MoveNext())
        names << rs->Value(u"name"_s);
    EXPECT_EQ(names, (QStringList{u"서도윤"_s, u"최민결"_s}));

    RecordsetPtr same = rs;
    CloseRecordset(rs);
    EXPECT_EQ(rs, nullptr);
    EXPECT_EQ(same->State(), Recordset::adStateClosed);
    EXPECT_TRUE(same->isEOF());
    CloseRecordset(same); // closing a closed record set only releases it
    EXPECT_EQ(same, nullptr);
}

} // namespace
} // namespace worktide
