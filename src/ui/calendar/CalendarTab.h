#pragma once

#include "db/modSchedule.h"
#include "ui/shared/MainTab.h"

#include <QDate>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

// The month calendar tab: six weeks of the owner's entries drawn as bars in the days' cells,
// with the cursor rules of the sheet. It owns its month buttons, its sheet and the shown month;
// the owner and the filters are shared controls the main window gives it.
namespace worktide {

class LeaveCellEvent;
class SpreadGrid;
class TabFeed;

// What the calendar selects besides its weeks.
struct CalendarFilter {
    QString owner;
    FinishedFilter finished = FinishedFilter::All;
    std::optional<QString> category;
};

class CalendarTab : public QWidget, public MainTab {
    Q_OBJECT
public:
    static constexpr int kTab = 0; // its place among the main window's tabs
    static constexpr int kRows = 12;

    explicit CalendarTab(QWidget* parent = nullptr);

    void SetFeed(TabFeed* feed) { m_feed = feed; }
    // Where the tab reads its owner and filters, at each load.
    void SetFilterSource(std::function<CalendarFilter()> source) { m_source = std::move(source); }
    // The shared controls in the tab's top row: owner, my name, category and state before the
    // month buttons, add and close after the legend.
    void PlaceFilters(QWidget* owner, QWidget* myName, QWidget* category, QWidget* finish, QWidget* add,
                      QWidget* close);
    // Every week gets the designed heights; nothing is edited in place.
    void InitSheet();

    bool SetSheetMonth(int year, int month);
    QDate GetCellDate(int col, int row) const;
    int PutCellLine(int col, int row, const QString& text, int line);
    QDate FirstShownDate() const { return m_firstShownDate; }
    QString WorkDateTag() const { return m_workDateTag; }
    // The day of the cursor (its content cell).
    QDate ActiveDate() const;
    void ShowTodayCell();

    void Load() override;
    bool ShownQuery(QString& where, QString& sql) const override;
    // Keeps the month, the cursor and the scroll position; newDay also redraws the day
    // captions (a new today).
    void Recheck(bool newDay) override;

    SpreadGrid* spCalendar = nullptr;
    QLabel* lblWorkDate = nullptr;
    QLabel* lblLegend = nullptr;
    std::array<QPushButton*, 4> btnMoveMonth{};
    QPushButton* btnToday = nullptr;

signals:
    // A day was opened (Enter, double click).
    void openRequested(const QDate& date);
    // One of the four month buttons (0 and 2 back, 1 and 3 on).
    void monthButtonClicked(int index);
    void todayClicked();

private:
    void spCalendar_LeaveCell(LeaveCellEvent* event);
    void spCalendar_KeyDown(int keyCode, int shift);
    CalendarFilter Filter() const;

    TabFeed* m_feed = nullptr;
    std::function<CalendarFilter()> m_source;
    bool m_upArrow = false;
    QDate m_firstShownDate;
    QString m_workDateTag; // month key "YYYYMM" of the shown month
};

} // namespace worktide
