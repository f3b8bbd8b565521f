#pragma once

#include "db/modSchedule.h"
#include "ui/shared/MainTab.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

// The team view tab: everyone of the owner list down the side, the calendar's month across,
// each entry a bar. It owns its buttons, its sheet and the rows it shows; the month and the
// filters are the calendar's, which the main window gives it.
namespace worktide {

class TabFeed;
class TeamSheet;

// What the team view shows: the calendar's month, its caption, its filters and its people.
struct TeamFilter {
    QString monthKey; // "YYYYMM"
    QString caption;  // the month as the calendar shows it
    QStringList people;
    FinishedFilter finished = FinishedFilter::All;
    std::optional<QString> category;
};

class TeamTab : public QWidget, public MainTab {
    Q_OBJECT
public:
    static constexpr int kTab = 2; // its place among the main window's tabs

    explicit TeamTab(QWidget* parent = nullptr);

    void SetFeed(TabFeed* feed) { m_feed = feed; }
    // Where the tab reads the calendar's month and filters, at each load.
    void SetFilterSource(std::function<TeamFilter()> source) { m_source = std::move(source); }

    // The month statement for the filters as they read now ("" without a month), and its condition.
    QString Query(QString* where) const;
    // The statement the view was last drawn from.
    const QString& DrawnSql() const { return m_sql; }

    void Load() override;
    bool ShownQuery(QString& where, QString& sql) const override;
    // Keeps the selected entry and the scroll position.
    void Recheck(bool newDay = false) override;

    TeamSheet* spTeam = nullptr;
    QLabel* lblTeamDate = nullptr;
    std::array<QPushButton*, 2> btnTeamMonth{};
    QPushButton* btnTeamToday = nullptr;

signals:
    // << (-1) or >> (+1): the calendar's month moves, and the view with it.
    void monthStepRequested(int step);
    void todayRequested();
    // A bar was opened on day.
    void entryActivated(int bar, int day);

private:
    TeamFilter Filter() const;

    TabFeed* m_feed = nullptr;
    std::function<TeamFilter()> m_source;
    QString m_sql; // the statement the view was last drawn from
};

} // namespace worktide
