// The search list's model on its own: the rows and roles the view and the printer read, and
// a rebuild by seq that moves, inserts and removes rows without a reset.
#include "ui/list/ScheduleListModel.h"
#include "ui/list/ScheduleListView.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFontMetricsF>
#include <QPersistentModelIndex>
#include <QRandomGenerator>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

const QDate kToday(2009, 1, 14);

ScheduleRow Entry(int seq, const QString& title, const QString& sdate = u"2009-03-01"_s,
                  const QString& edate = u"2009-03-02"_s, const QString& finished = u"0"_s,
                  const QString& details = QString()) {
    ScheduleRow row;
    row.seq = QString::number(seq);
    row.wdate = u"2009-01-01"_s;
    row.owner = u"김하늘"_s;
    row.title = title;
    row.details = details;
    row.sdate = sdate;
    row.edate = edate;
    row.finished = finished;
    row.category = u"개발"_s;
    return row;
}

std::vector<ScheduleRow> Entries(const std::vector<int>& seqs) {
    std::vector<ScheduleRow> rows;
    for (const int seq : seqs)
        rows.push_back(Entry(seq, u"항목 %1"_s.arg(seq)));
    return rows;
}

QStringList Seqs(const ScheduleListModel& model) {
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r)
        out << model.index(r, ScheduleListModel::kSeq).data().toString();
    return out;
}

class OpenDelegate : public ScheduleListDelegate {
public:
    using ScheduleListDelegate::initStyleOption;
};

TEST(ScheduleListModel, RowsCarryTheEntryAndTheRolesGiveMarkColourAndStoredText) {
    ScheduleListModel model;
    model.Reset({Entry(1, u"끝난 일"_s, u"2009-01-02"_s, u"2009-01-03"_s, u"1"_s, u"첫 줄\r\n둘째 줄"_s),
                 Entry(2, u"늦은 일"_s, u"2009-01-02"_s, u"2009-01-10"_s),
                 Entry(3, u"곧 할 일"_s, u"2009-01-20"_s, u"2009-02-01"_s),
                 Entry(4, u"날짜 없는 일"_s, u"미정"_s, QString())},
                kToday);
    ASSERT_EQ(model.rowCount(), 4);
    ASSERT_EQ(model.columnCount(), 10);
    const QStringList captions{u"완료"_s,     u"구분"_s,     u"제목"_s,     u"내용"_s,   u"작업시작"_s,
                               u"시작(일)"_s, u"완료예정"_s, u"남은(일)"_s, u"작성일"_s, u"seq"_s};
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), captions[c]);

    const auto shown = [&](int r, int c) { return model.index(r, c).data().toString(); };
    const auto stored = [&](int r, int c) {
        return model.index(r, c).data(ScheduleListModel::StoredTextRole).toString();
    };
    // The finished column shows a mark and keeps 0/1 for the toggle.
    EXPECT_EQ(shown(0, 0), u"✔"_s);
    EXPECT_EQ(stored(0, 0), u"1"_s);
    EXPECT_EQ(shown(1, 0), QString());
    EXPECT_EQ(stored(1, 0), u"0"_s);
    // The details keep CR LF as stored; the display has bare line feeds.
    EXPECT_EQ(stored(0, ScheduleListModel::kDetails), u"첫 줄\r\n둘째 줄"_s);
    EXPECT_EQ(shown(0, ScheduleListModel::kDetails), u"첫 줄\n둘째 줄"_s);
    // Day counts from today; no date, no count.
    EXPECT_EQ(shown(0, ScheduleListModel::kSdays), u"-12"_s);
    EXPECT_EQ(shown(1, ScheduleListModel::kEdays), u"-4"_s);
    EXPECT_EQ(shown(2, ScheduleListModel::kSdays), u"6"_s);
    EXPECT_EQ(shown(3, ScheduleListModel::kSdays), QString());
    EXPECT_EQ(shown(3, ScheduleListModel::kEdays), QString());
    // Finished: no colour although overdue; overdue red; starting within a week blue.
    for (int c = 0; c < 10; ++c) {
        EXPECT_FALSE(model.index(0, c).data(Qt::ForegroundRole).isValid()) << c;
        EXPECT_EQ(model.index(1, c).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0)) << c;
        EXPECT_EQ(model.index(2, c).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255)) << c;
        EXPECT_FALSE(model.index(3, c).data(Qt::ForegroundRole).isValid()) << c;
    }

    // Finishing the red entry takes its colour away, announced for the whole row.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetFinished(1, u"1"_s);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(1, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.index(1, 9));
    EXPECT_EQ(shown(1, 0), u"✔"_s);
    EXPECT_FALSE(model.index(1, 3).data(Qt::ForegroundRole).isValid());

    // On screen the details show the lines their row holds; a row too low for all of them
    // says that more follow.
    OpenDelegate delegate;
    QStyleOptionViewItem option;
    const QModelIndex details = model.index(0, ScheduleListModel::kDetails);
    const double line = QFontMetricsF(QApplication::font()).lineSpacing();
    option.rect = QRect(0, 0, 100, static_cast<int>(2 * line + 4));
    delegate.initStyleOption(&option, details);
    EXPECT_EQ(option.text, u"첫 줄\u2028둘째 줄"_s);
    model.Reset({Entry(1, u"세 줄"_s, u"2009-01-02"_s, u"2009-01-03"_s, u"0"_s, u"하나\r\n둘\r\n셋"_s)}, kToday);
    delegate.initStyleOption(&option, details);
    EXPECT_EQ(option.text, u"하나\u2028둘 …"_s);
    option.rect = QRect(0, 0, 100, static_cast<int>(line));
    delegate.initStyleOption(&option, details);
    EXPECT_EQ(option.text, u"하나 …"_s);
    delegate.initStyleOption(&option, model.index(0, ScheduleListModel::kTitle));
    EXPECT_EQ(option.text, u"세 줄"_s);
}

TEST(ScheduleListModel, RebuildBySeqMovesInsertsAndRemovesWithoutAReset) {
    ScheduleListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.Reset(Entries({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), kToday);
    const QPersistentModelIndex six = model.index(5, ScheduleListModel::kTitle);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // 2 and 3 gone, 11 on top and 12 in the middle new, 9 moved up, 5 retitled.
    std::vector<ScheduleRow> next = Entries({11, 1, 9, 4, 5, 6, 12, 7, 8, 10});
    next[4].title = u"고친 제목"_s;
    model.Rebuild(next, kToday);

    EXPECT_EQ(Seqs(model),
              (QStringList{u"11"_s, u"1"_s, u"9"_s, u"4"_s, u"5"_s, u"6"_s, u"12"_s, u"7"_s, u"8"_s, u"10"_s}));
    EXPECT_EQ(model.index(4, ScheduleListModel::kTitle).data().toString(), u"고친 제목"_s);
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(removed.size(), 1); // 2 and 3 as one run
    EXPECT_EQ(inserted.size(), 2);
    EXPECT_EQ(moved.size(), 1);
    // Only the retitled and the moved rows are announced as changed.
    EXPECT_EQ(changed.size(), 2);
    // What a view holds on to (its current row, the row under the pointer) follows its entry.
    ASSERT_TRUE(six.isValid());
    EXPECT_EQ(six.row(), 5);
    EXPECT_EQ(six.data().toString(), u"항목 6"_s);

    // The same rows again: nothing announced at all.
    changed.clear();
    inserted.clear();
    removed.clear();
    moved.clear();
    model.Rebuild(next, kToday);
    EXPECT_TRUE(changed.isEmpty() && inserted.isEmpty() && removed.isEmpty() && moved.isEmpty());

    // A new day changes the counts and the colours of every row without touching their order.
    model.Rebuild(next, kToday.addDays(60));
    EXPECT_EQ(changed.size(), 10);
    EXPECT_EQ(model.index(0, ScheduleListModel::kEdays).data().toString(), u"-13"_s);
    EXPECT_EQ(resets.size(), 0);

    // Down to nothing and back.
    model.Rebuild({}, kToday);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(six.isValid());
    model.Rebuild(Entries({3, 2, 1}), kToday);
    EXPECT_EQ(Seqs(model), (QStringList{u"3"_s, u"2"_s, u"1"_s}));
    EXPECT_EQ(resets.size(), 0);
}

// Whatever the old and the new rows, a rebuild ends at exactly the new ones, with signals a
// view can follow (the tester aborts on any it could not).
TEST(ScheduleListModel, AnyRebuildEndsAtTheNewRows) {
    QRandomGenerator random(24);
    ScheduleListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int round = 0; round < 300; ++round) {
        std::vector<int> pool(40);
        for (int i = 0; i < 40; ++i)
            pool[static_cast<std::size_t>(i)] = i + 1;
        std::shuffle(pool.begin(), pool.end(), random);
        pool.resize(random.bounded(41));
        std::vector<ScheduleRow> next = Entries(pool);
        for (ScheduleRow& row : next)
            if (random.bounded(5) == 0)
                row.title += u" 고침"_s;
        model.Rebuild(next, kToday);
        ASSERT_EQ(model.rowCount(), static_cast<int>(next.size())) << round;
        for (int r = 0; r < model.rowCount(); ++r) {
            ASSERT_EQ(model.StoredText(r, ScheduleListModel::kSeq), next[static_cast<std::size_t>(r)].seq) << round;
            ASSERT_EQ(model.StoredText(r, ScheduleListModel::kTitle), next[static_cast<std::size_t>(r)].title) << round;
        }
    }
}

} // namespace
} // namespace worktide
