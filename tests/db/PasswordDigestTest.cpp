// The password hash computed by the program against the one the server computes for the
// statement older clients send: same text for every kind of password, and each kind of
// client signs in with what the other stored.
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/MsgBox.h"
#include "support/PasswordDigest.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

const QString kPasswords[] = {
    u"demo1234pass"_s,
    u"한글암호123"_s,             // two bytes per syllable in CP949
    u"똠방각하"_s,                // a syllable that only a true CP949 encoder gets right
    u"it's\\a'b"_s,               // escaped before it reaches the server's SHA1
    u"\"%_;--\\\\ end "_s,        // trailing blank kept
    u"ＡＢＣ１２３"_s,            // full-width forms have CP949 codes of their own
    u"앞"_s + QChar(0) + u"뒤"_s, // escaping ends the text at the NUL
};

class PasswordDigestTest : public ::testing::Test {
protected:
    PasswordDigestTest() : db(u"pwdigest"_s) {}
    void SetUp() override { ASSERT_TRUE(db.connectGlobal()); }
    ~PasswordDigestTest() override { DBClose(); }

    static QString Scalar(const QString& sql) {
        RecordsetPtr rs;
        const qint32 rows = OpenRecordset(rs, sql);
        const QString value = rows > 0 ? rs->Value(0) : u"<none>"_s;
        CloseRecordset(rs);
        return value;
    }

    ScopedScriptedMessageBoxes boxes;
    test::ScratchDatabase db;
};

TEST_F(PasswordDigestTest, EqualsWhatTheServerHashedForTheOldStatement) {
    for (const QString& pw : kPasswords) {
        const std::optional<QString> digest = PasswordDigest(pw);
        ASSERT_TRUE(digest) << pw.toStdString();
        EXPECT_EQ(digest->size(), 40);
        EXPECT_EQ(*digest, digest->toLower());
        // Exactly the piece the sign-in sent before: SHA1('<escaped>') on the euckr connection.
        EXPECT_EQ(Scalar(u"SELECT SHA1('"_s + EscapeSQL(pw) + u"')"_s), *digest) << pw.toStdString();
    }
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(PasswordDigestTest, OldAndNewClientsSignInWithWhatTheOtherStored) {
    int n = 0;
    for (const QString& pw : kPasswords) {
        const QString id = u"u%1"_s.arg(++n);
        ExecuteSQL(u"INSERT INTO user (id, name, password2) VALUES ('%1', '이름', '')"_s.arg(id));
        // An old client's password change; the new sign-in's condition finds the row.
        ExecuteSQL(u"UPDATE user SET password2 = SHA1('"_s + EscapeSQL(pw) + u"') WHERE id = '"_s + id + u"'"_s);
        const QString newCondition = u"id = '"_s + id + u"' AND password2 = '"_s + *PasswordDigest(pw) + u"'"_s;
        EXPECT_EQ(GetRowCount(u"user"_s, newCondition), 1) << pw.toStdString();
        // Our change; the old sign-in's condition finds the row.
        ExecuteSQL(u"UPDATE user SET password2 = '' WHERE id = '"_s + id + u"'"_s);
        EXPECT_EQ(
            ExecuteSQL(u"UPDATE user SET password2 = '"_s + *PasswordDigest(pw) + u"' WHERE id = '"_s + id + u"'"_s),
            1);
        const QString oldCondition = u"id = '"_s + id + u"' AND password2 = SHA1('"_s + EscapeSQL(pw) + u"')"_s;
        EXPECT_EQ(GetRowCount(u"user"_s, oldCondition), 1) << pw.toStdString();
    }
}

TEST(PasswordDigestUnitTest, KnownValuesAndTextsWithoutACp949Form) {
    // sha1("abc"), and the CP949 bytes B0 A1 of '가' rather than its UTF-8 bytes.
    EXPECT_EQ(PasswordDigest(u"abc"_s), u"a9993e364706816aba3e25717850c26c9cd0d89d"_s);
    EXPECT_EQ(PasswordDigest(u"가"_s),
              QString::fromLatin1(QCryptographicHash::hash(QByteArray("\xB0\xA1"), QCryptographicHash::Sha1).toHex()));
    // Nothing to compare: an empty stored hash must never match such a password.
    EXPECT_FALSE(PasswordDigest(u"pw😀"_s));
}

} // namespace
} // namespace worktide
