#pragma once

#include "db/modSchedule.h"
#include "ui/shared/MainTab.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The search list tab: every entry of one owner, narrowed by keyword, state and category,
// sorted by due date, with the details of the current row beside it. It owns its keyword
// box, its grid, its model and the rows it shows; the main window gives it the filters.
namespace worktide {

class ScheduleListModel;
class ScheduleListView;
class TabFeed;

// What the list selects.
struct ListFilter {
    QString owner, keyword;
    FinishedFilter finished = FinishedFilter::All;
    std::optional<QString> category;
};

class ListTab : public QWidget, public MainTab {
    Q_OBJECT
public:
    static constexpr int kTab = 1; // its place among the main window's tabs
    static constexpr int kColFinished = 1;
    static constexpr int kColDetails = 4;
    static constexpr int kColSeq = 10;

    explicit ListTab(QWidget* parent = nullptr);
    ~ListTab() override;

    void SetFeed(TabFeed* feed) { m_feed = feed; }
    // The filter controls the main window shares, in the tab's top row around the keyword box;
    // the tab reads its filters from them.
    void PlaceFilters(QComboBox* owner, QWidget* myName, QComboBox* category, QComboBox* finish, QWidget* add,
                      QWidget* close);

    // The filter for these choices and the keyword box as it reads now.
    ListFilter FilterFor(const QString& owner, int finishIndex, const QString& category) const;
    // Reads and shows the rows of filter (a refresh the user asked for).
    void Load(const ListFilter& filter);
    // The same for the filters as they read now.
    void Load() override;
    bool ShownQuery(QString& where, QString& sql) const override;
    // Reads again for a check, keeping the selected entry, the column, the scroll position
    // and the row under the pointer.
    void Recheck(bool newDay = false) override;
    bool IsLoaded() const { return !m_sql.isEmpty(); }
    const QString& Sql() const { return m_sql; }
    const QString& Where() const { return m_where; }
    // The filter of the rows shown (not the controls, which may have been changed since).
    const ListFilter& Shown() const { return m_shown; }
    ScheduleListModel* Model() const { return m_model; }

    void ShowRowMemo(int row);

    QLineEdit* txtKeyWord = nullptr;
    ScheduleListView* spList = nullptr;
    QPlainTextEdit* txtMemo = nullptr;

signals:
    // The user asked to open the entry (double click, Enter).
    void openRequested(int seq);
    // Enter in the keyword box.
    void keywordEntered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Fills the list from the statement it was last drawn from; byKey: a check's rebuild.
    void Fill(bool byKey);
    void spList_Click(int col, int row);
    void spList_DblClick(int col, int row);
    void txtKeyWord_GotFocus();

    TabFeed* m_feed = nullptr;
    QComboBox* m_owner = nullptr;
    QComboBox* m_category = nullptr;
    QComboBox* m_finish = nullptr;
    ScheduleListModel* m_model = nullptr;
    QString m_sql;
    QString m_where;
    ListFilter m_shown;
    // Where the pointer is over the list's rows (viewport coordinates); none when outside.
    std::optional<QPoint> m_pointer;
    QObject* m_viewport = nullptr;
};

} // namespace worktide
