#include "AppTestSupport.h"

#include "support/Cp949.h"
#include "ui/shared/modPickList.h"
#include "ui/shared/modMsgBox.h"
#include "support/Globals.h"
#include "support/MsgBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace worktide::test {
namespace {

QStringList Items(const QComboBox& combo) {
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out << combo.itemText(i);
    return out;
}

TEST(LeftBytes, CutsByCp949Bytes) {
    struct Case {
        QString text;
        qint16 n;
        bool noBlank;
        QString expected;
    };
    const QString forty = QString(40, u'a');
    const QString hangul20 = QStringLiteral("가나다라마바사아자차카타파하가나다라마바");
    const Case cases[] = {
        {forty + QStringLiteral("bc"), 20, false, forty},
        {hangul20 + QStringLiteral("끝"), 20, false, hangul20},
        {QStringLiteral("abc"), 20, false, QStringLiteral("abc")},
        // The cut falls inside "나": the syllable goes, a blank takes its place.
        {QStringLiteral("a가나"), 2, false, QStringLiteral("a가 ")},
        {QStringLiteral("a가나"), 2, true, QStringLiteral("a가")},
        {QStringLiteral("a가"), 1, false, QStringLiteral("a ")},
        {QStringLiteral("가나"), 1, false, QStringLiteral("가")},
        {QStringLiteral("가"), 0, false, QString()},
        {QString(), 5, false, QString()},
        {QStringLiteral("◀회의▶"), 3, false, QStringLiteral("◀회의")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " n=" + std::to_string(c.n));
        EXPECT_EQ(LeftBytes(c.text, c.n, c.noBlank), c.expected);
    }
}

TEST(LenBytes, HangulTwoAsciiOne) {
    EXPECT_EQ(LenBytes(QStringLiteral("abc")), 3);
    EXPECT_EQ(LenBytes(QStringLiteral("가나a")), 5);
    EXPECT_EQ(LenBytes(QStringLiteral("◀회의▶")), 8);
    EXPECT_EQ(LenBytes(QString()), 0);
}

class SharedListsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_TRUE(s_db->connectGlobal());
    }
};

TEST_F(SharedListsTest, UserListHasVisibleGroupOneUsersAndTheTeamsSorted) {
    addUser(QStringLiteral("a"), QStringLiteral("홍길동"), 1, QStringLiteral("x"));
    addUser(QStringLiteral("b"), QStringLiteral("가나"), 1, QStringLiteral("x"));
    addUser(QStringLiteral("c"), QStringLiteral("숨김"), 1, QStringLiteral("x"), 1);
    addUser(QStringLiteral("d"), QStringLiteral("다른그룹"), 1, QStringLiteral("x"), 0, 2);
    QComboBox combo;
    combo.addItem(QStringLiteral("old"));
    QSignalSpy spy(&combo, &QComboBox::currentIndexChanged);
    FillUserList(&combo, true);
    EXPECT_EQ(Items(combo), (QStringList{QStringLiteral("(전직원)"), QStringLiteral("가나"), QStringLiteral("대구개발"),
                                         QStringLiteral("대구상담"), QStringLiteral("홍길동")}));
    EXPECT_EQ(spy.count(), 0);
    FillUserList(&combo, false);
    EXPECT_EQ(Items(combo).first(), QStringLiteral("가나"));
}

TEST_F(SharedListsTest, CategoriesOwnBeforeSharedThenByPositionAndName) {
    s_db->exec(QStringLiteral("INSERT INTO worktide_cate (catename, devname, ordpos) VALUES "
                              "('공용B', '*', 1), ('공용A', '*', 1), ('공용0', '*', 0), "
                              "('내것2', '김철수', 2), ('내것1', '김철수', 1), "
                              "('남의것', '이영희', 0), ('따옴표', 'o''neil', 0)"));
    QComboBox combo;
    FillCategoryList(&combo, QStringLiteral("김철수"), true);
    EXPECT_EQ(Items(combo), (QStringList{QStringLiteral("(전체구분)"), QStringLiteral("내것1"), QStringLiteral("내것2"),
                                         QStringLiteral("공용0"), QStringLiteral("공용A"), QStringLiteral("공용B")}));

    FillCategoryList(&combo, QString(), false);
    EXPECT_EQ(combo.count(), 7) << "an empty owner lists every owner's categories";

    ScopedScriptedMessageBoxes boxes;
    FillCategoryList(&combo, QStringLiteral("o'neil"), false);
    EXPECT_EQ(Items(combo).first(), QStringLiteral("따옴표"));
    EXPECT_EQ(combo.count(), 4);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(SharedListsTest, MessageBoxesUseTheAppTitleAndGiveTheFocusBack) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* other = new QLineEdit(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    // A box that moves the focus away, as a real dialog would.
    struct Stealing : ScopedScriptedMessageBoxes {
        QWidget* thief = nullptr;
        int msgBox(const QString& t, int s, const QString& title) override {
            thief->setFocus();
            return ScopedScriptedMessageBoxes::msgBox(t, s, title);
        }
    } boxes;
    boxes.thief = other;

    ShowInfoMsg(QStringLiteral("알림"), QString());
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("업무일정"));
    EXPECT_EQ(boxes.shown()[0].style, vbOKOnly | vbInformation);
    EXPECT_EQ(QApplication::focusWidget(), edit);

    boxes.queueAnswer(vbYes);
    EXPECT_EQ(AskYesNo(QStringLiteral("삭제할까요?"), QStringLiteral("확인"), false), vbYes);
    EXPECT_EQ(boxes.shown()[1].title, QStringLiteral("확인"));
    EXPECT_EQ(boxes.shown()[1].style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(AskYesNo(QStringLiteral("q"), QString(), false), vbNo) << "No is the default";
    EXPECT_EQ(AskYesNo(QStringLiteral("q"), QString(), true), vbYes);
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

} // namespace
} // namespace worktide::test
