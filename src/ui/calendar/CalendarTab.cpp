#include "ui/calendar/CalendarTab.h"

#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/MsgBox.h"
#include "support/VbError.h"
#include "ui/calendar/CalendarCellDelegate.h"
#include "ui/calendar/CalendarLayout.h"
#include "ui/grid/Fonts.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/shared/TabFeed.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <array>
#include <utility>

namespace worktide {
namespace {
const ProcErrorReporter ReportError{QStringLiteral("Form"), QStringLiteral("FrmMain")};

const QColor kDateRowBack(240, 240, 240);
const QColor kSundayFore(255, 0, 0);
const QColor kSaturdayFore(0, 0, 255);
const QColor kTodayBack(255, 210, 76);
const QColor kEntryCellBack(255, 255, 192);

constexpr int kCalendarRows = CalendarTab::kRows;

QString DateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString Indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}
} // namespace

CalendarTab::CalendarTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CalendarTab"));
    for (int i = 0; i < 4; ++i) {
        btnMoveMonth[i] = new QPushButton(i % 2 == 0 ? QStringLiteral("<<") : QStringLiteral(">>"));
        btnMoveMonth[i]->setObjectName(Indexed("btnMoveMonth", i));
        btnMoveMonth[i]->setFixedWidth(40);
    }
    auto* calLayout = new QVBoxLayout(this);
    auto* calTop = new QHBoxLayout;
    calTop->addSpacing(12);
    calTop->addWidget(btnMoveMonth[0]);
    lblWorkDate = new QLabel(QStringLiteral("2009년 01월"));
    lblWorkDate->setObjectName(QStringLiteral("lblWorkDate"));
    QFont big = lblWorkDate->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    lblWorkDate->setFont(big);
    lblWorkDate->setAlignment(Qt::AlignCenter);
    lblWorkDate->setMinimumWidth(140);
    calTop->addWidget(lblWorkDate);
    calTop->addWidget(btnMoveMonth[1]);
    btnToday = new QPushButton(QStringLiteral("오늘로 이동(&T)"));
    btnToday->setObjectName(QStringLiteral("btnToday"));
    calTop->addWidget(btnToday);
    calTop->addStretch(1);
    lblLegend = new QLabel(QStringLiteral("예정(◀~▶)  완료(◁~▷)!"));
    lblLegend->setObjectName(QStringLiteral("lblLegend"));
    calTop->addWidget(lblLegend);
    calLayout->addLayout(calTop);

    spCalendar = new SpreadGrid;
    spCalendar->setObjectName(QStringLiteral("spCalendar"));
    spCalendar->SetMaxCols(7);
    spCalendar->SetMaxRows(kCalendarRows);
    spCalendar->setFont(FixedPitchKoreanFont(9));
    spCalendar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    spCalendar->setItemDelegate(new CalendarCellDelegate(spCalendar));
    const QStringList weekdays{QStringLiteral("일"), QStringLiteral("월"), QStringLiteral("화"), QStringLiteral("수"),
                               QStringLiteral("목"), QStringLiteral("금"), QStringLiteral("토")};
    for (int c = 1; c <= 7; ++c)
        spCalendar->SetText(c, 0, weekdays[c - 1]);
    spCalendar->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Designed heights: a thin date row and a content row with room for five entry
    // lines; InitSheet gives every week these heights. Six weeks fit at 1280x800.
    spCalendar->SetRowHeight(1, 18);
    spCalendar->SetRowHeight(2, 86);
    spCalendar->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    calLayout->addWidget(spCalendar, 1);

    auto* calBottom = new QHBoxLayout;
    calBottom->addWidget(btnMoveMonth[2]);
    calBottom->addStretch(1);
    calBottom->addWidget(btnMoveMonth[3]);
    calLayout->addLayout(calBottom);

    for (int i = 0; i < 4; ++i)
        connect(btnMoveMonth[i], &QPushButton::clicked, this, [this, i] { emit monthButtonClicked(i); });
    connect(btnToday, &QPushButton::clicked, this, &CalendarTab::todayClicked);
    connect(spCalendar, &SpreadGrid::LeaveCell, this, &CalendarTab::spCalendar_LeaveCell);
    connect(spCalendar, &SpreadGrid::KeyDown, this, &CalendarTab::spCalendar_KeyDown);
    connect(spCalendar, &SpreadGrid::DblClick, this, [this](int col, int row) {
        if (row != 0)
            emit openRequested(GetCellDate(col, row));
    });
}

void CalendarTab::PlaceFilters(QWidget* owner, QWidget* myName, QWidget* category, QWidget* finish, QWidget* add,
                               QWidget* close) {
    auto* top = static_cast<QHBoxLayout*>(static_cast<QVBoxLayout*>(layout())->itemAt(0)->layout());
    int at = 0;
    for (QWidget* w : {owner, myName, category, finish})
        top->insertWidget(at++, w);
    top->addWidget(add);
    top->addWidget(close);
}

void CalendarTab::InitSheet() {
    m_upArrow = false;
    const int dateRowHeight = spCalendar->RowHeight(1);
    const int contentRowHeight = spCalendar->RowHeight(2);
    for (int row = 3; row <= spCalendar->MaxRows(); ++row)
        spCalendar->SetRowHeight(row, row % 2 == 1 ? dateRowHeight : contentRowHeight);
    // Nothing is edited in place: days open the editor.
    spCalendar->SetReadOnly(true);
    spCalendar->setSelectionMode(QAbstractItemView::SingleSelection);
}

CalendarFilter CalendarTab::Filter() const {
    return m_source ? m_source() : CalendarFilter{};
}

bool CalendarTab::SetSheetMonth(int year, int month) {
    const QString key = QString::number(year) + QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
    if (key == m_workDateTag)
        return false;
    const QDate first = calendar::FirstShownDate(year, month);
    if (!first.isValid())
        return false;
    m_firstShownDate = first;
    lblWorkDate->setText(QString::number(year) + QStringLiteral("년 ") +
                         QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0')) + QStringLiteral("월"));
    m_workDateTag = key;

    spCalendar->setUpdatesEnabled(false);
    spCalendar->ClearRange(1, 1, 7, kCalendarRows);
    for (int row = 1; row <= kCalendarRows; row += 2) {
        spCalendar->SetBackColor(-1, row, kDateRowBack);
        spCalendar->SetForeColor(1, row, kSundayFore);
        spCalendar->SetForeColor(7, row, kSaturdayFore);
    }
    for (int i = 0; i < calendar::kShownDays; ++i)
        spCalendar->SetText(i % 7 + 1, (i / 7) * 2 + 1, calendar::DayCaption(first.addDays(i)));

    const qint64 d = first.daysTo(Today());
    if (d >= 0 && d < calendar::kShownDays) {
        const int col = static_cast<int>(d % 7) + 1;
        const int row = static_cast<int>(d / 7) * 2 + 1;
        spCalendar->SetText(col, row, spCalendar->Text(col, row) + QStringLiteral("   [오늘]"));
        spCalendar->SetBackColor(col, row, kTodayBack);
    }
    spCalendar->setUpdatesEnabled(true);
    return true;
}

QDate CalendarTab::GetCellDate(int col, int row) const {
    // Content row 2w+2 and the date row 2w+1 above it both belong to week w, so a
    // date row (double-click on the day caption) means its own day.
    const int week = row >= 1 ? (row - 1) / 2 : 0;
    return m_firstShownDate.addDays(week * 7 + col - 1);
}

bool CalendarTab::ShownQuery(QString& where, QString& sql) const {
    if (!m_firstShownDate.isValid())
        return false;
    const CalendarFilter f = Filter();
    const QString from = DateText(GetCellDate(1, 2));
    const QString to = DateText(GetCellDate(7, kCalendarRows));
    where = MakeScheduleRangeWhere(from, to, f.owner, f.finished, f.category);
    sql = MakeScheduleRangeSQL(from, to, f.owner, f.finished, f.category);
    return true;
}

QDate CalendarTab::ActiveDate() const {
    return GetCellDate(qMax(1, spCalendar->ActiveCol()), qMax(2, spCalendar->ActiveRow()));
}

void CalendarTab::Load() {
    RecordsetPtr rs;
    const bool background = m_feed && m_feed->InBackground();
    try {
        const QDate fromDate = GetCellDate(1, 2);
        const QDate toDate = GetCellDate(7, kCalendarRows);
        const CalendarFilter selection = Filter();
        const QString from = DateText(fromDate);
        const QString to = DateText(toDate);
        const QString where = MakeScheduleRangeWhere(from, to, selection.owner, selection.finished, selection.category);
        const QString sql = MakeScheduleRangeSQL(from, to, selection.owner, selection.finished, selection.category);

        qint32 found = 0;
        if (!OpenTabRows(m_feed, kTab, where, sql, rs, found))
            return;
        const size_t rowsHash = rs ? rs->ValuesHash() : 0;
        spCalendar->setUpdatesEnabled(false);
        for (int row = 2; row <= kCalendarRows; row += 2)
            spCalendar->ClearRange(1, row, 7, row);

        // Lines are placed in a copy of the (just cleared) content cells and each
        // cell is written once at the end; PutCellLine's rules apply unchanged.
        std::array<QStringList, calendar::kShownDays> cells;
        if (found > 0 && rs) {
            const ScheduleRowReader reader(*rs);
            for (; !rs->isEOF(); rs->MoveNext()) {
                const ScheduleRow entry = reader.Read(*rs);
                const QString& sdate = entry.sdate;
                const QString& edate = entry.edate;
                calendar::EntrySpan span;
                span.title = entry.title;
                span.finished = entry.IsFinished();
                QDate sDay = calendar::ParseDateText(sdate);
                QDate eDay = calendar::ParseDateText(edate);
                if (!(sdate >= from)) {
                    sDay = fromDate;
                    span.clippedStart = true;
                }
                if (!(edate <= to)) {
                    eDay = toDate;
                    span.clippedEnd = true;
                }
                // A date that is not a real date cannot be placed; the other entries still are.
                if (!sDay.isValid() || !eDay.isValid())
                    continue;
                span.days = static_cast<int>(sDay.daysTo(eDay)) + 1;
                if (span.days < 1)
                    continue;
                const QString centred = calendar::CentredTitle(span.title, span.days > 1);
                qint64 d = fromDate.daysTo(sDay);
                int line = -1;
                for (int k = 1; k <= span.days; ++k, ++d) {
                    // Not drawn on Sundays; the line number passes through to Monday.
                    if (d % 7 == 0)
                        continue;
                    bool conflict = false;
                    line = calendar::PlaceLine(cells[static_cast<std::size_t>(d)],
                                               calendar::EntryLine(span, centred, k), line, conflict);
                    if (conflict)
                        MsgBox(QStringLiteral("줄수 계산오류 개발자에게 연락바랍니다."), vbOKOnly);
                }
            }
        }
        for (int d = 0; d < calendar::kShownDays; ++d) {
            const QStringList& pieces = cells[static_cast<std::size_t>(d)];
            if (pieces.isEmpty())
                continue;
            const int col = d % 7 + 1;
            const int row = (d / 7 + 1) * 2;
            spCalendar->SetBackColor(col, row, kEntryCellBack);
            spCalendar->SetText(col, row, calendar::JoinCellLines(pieces));
        }
        CloseRecordset(rs);
        spCalendar->setUpdatesEnabled(true);
        if (m_feed) {
            if (found >= 0)
                m_feed->NoteLoaded(kTab, where, rowsHash, found);
            else
                m_feed->NoteFailed(kTab, true);
        }
        if (window()->isVisible() && !background)
            spCalendar->setFocus();
    } catch (const std::exception& e) {
        CloseRecordset(rs);
        spCalendar->setUpdatesEnabled(true);
        ReportError(e, QStringLiteral("RefreshSheet"));
    }
}

int CalendarTab::PutCellLine(int col, int row, const QString& text, int line) {
    // Entries are not drawn on Sundays; the line number passes through to Monday.
    if (col == 1)
        return line;
    const QString current = spCalendar->Text(col, row);
    if (current.isEmpty())
        spCalendar->SetBackColor(col, row, kEntryCellBack);
    const calendar::LinePlacement placed = calendar::PlaceLine(current, text, line);
    if (placed.conflict)
        MsgBox(QStringLiteral("줄수 계산오류 개발자에게 연락바랍니다."), vbOKOnly);
    spCalendar->SetText(col, row, placed.cellText);
    return placed.line;
}

void CalendarTab::Recheck(bool relayout) {
    const int col = spCalendar->ActiveCol();
    const int row = spCalendar->ActiveRow();
    const int top = spCalendar->verticalScrollBar()->value();
    if (relayout && m_workDateTag.size() == 6) {
        // The same month laid out again, for the new today.
        const QString tag = std::exchange(m_workDateTag, QString());
        SetSheetMonth(tag.left(4).toInt(), tag.right(2).toInt());
    }
    Load();
    if (col >= 1 && row >= 1)
        spCalendar->SetActiveCell(col, row);
    spCalendar->verticalScrollBar()->setValue(top);
}

void CalendarTab::ShowTodayCell() {
    const qint64 d = m_firstShownDate.daysTo(Today());
    if (d < 0 || d >= calendar::kShownDays)
        return; // today is not among the shown weeks
    const int row = static_cast<int>(d / 7 + 1) * 2;
    spCalendar->SetActiveCell(static_cast<int>(d % 7) + 1, row);
    spCalendar->SetTopRow(qMax(1, row - 3));
    if (window()->isVisible())
        spCalendar->setFocus();
}

void CalendarTab::spCalendar_LeaveCell(LeaveCellEvent* event) {
    // The cursor never rests on a date row: it goes on to the content cell in the
    // direction the user was moving.
    const int newCol = event->newCol();
    const int newRow = event->newRow();
    if (newRow % 2 == 0)
        return;
    event->cancel();
    if (!m_upArrow)
        spCalendar->SetActiveCell(newCol, newRow + 1);
    else if (newRow != 1)
        spCalendar->SetActiveCell(newCol, newRow - 1);
}

void CalendarTab::spCalendar_KeyDown(int keyCode, int) {
    m_upArrow = keyCode == 38;
    if (keyCode == 13)
        emit openRequested(ActiveDate());
}

} // namespace worktide
