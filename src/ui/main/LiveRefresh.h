#pragma once

#include "db/Recordset.h"
#include "db/modSchedule.h"
#include "ui/shared/TabFeed.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <array>

class QSystemTrayIcon;
class QTimer;
class QWidget;

// Keeps the main window's shown tab current while it is left open: a check every minute,
// on coming back to the window and when the date changes, which rebuilds the tab only when
// its rows (or, for large views, their fingerprint) changed, and keeps the status bar
// saying how fresh the data is.
namespace worktide {

class TabHost;

class LiveRefresh : public QObject, public TabFeed {
    Q_OBJECT
public:
    // What one check did.
    enum class Outcome {
        Busy,      // not now: a window, box or statement is open, or a check is under way
        Unchanged, // the shown rows are as drawn
        Refreshed, // the tab was rebuilt
        Failed,    // the database did not answer; what is shown stays
    };

    // Keeps the tabs of host current while window, their window, is open.
    LiveRefresh(QWidget* window, TabHost* host);
    ~LiveRefresh() override;

    // Starts the periodic check and remembers today's date.
    void Start();
    void SetInterval(int ms);
    // Views of up to this many rows are compared by reading their rows, larger ones by
    // their fingerprint.
    void SetCompareRowsUpTo(int rows) { m_compareRowsUpTo = rows; }
    // How long the window must have been left before coming back checks at once.
    void SetAwayBeforeCheck(int ms) { m_awayMs = ms; }

    // One check, as the timer runs it.
    Outcome Tick();
    // False while an editor, viewer, message box, input box or any modal window is open,
    // while a statement waits, while a check runs, and while the window is hidden.
    bool CanRunNow() const;
    // Tabs rebuilt by checks so far (an unchanged check rebuilds nothing).
    int Rebuilds() const { return m_rebuilds; }

    // The refreshes of the window read their rows here: those the running check has just
    // read for the same statement, otherwise from the database (OpenRecordset).
    qint32 OpenRows(RecordsetPtr& rs, const QString& sql) override;
    // The refreshes of the window report here: the condition of the rows drawn, the hash
    // of their values (Recordset::ValuesHash; 0 for no result) and their number.
    void NoteLoaded(int tab, const QString& where, size_t rowsHash, qint32 rowCount) override;
    // Whether a refresh of tab for the rows of where that failed keeps what the tab shows:
    // a check always does, and so does a refresh the user asked for (F5, the return from the
    // editor) while the tab shows the rows of that same condition; they stay, marked stale.
    // A refresh for another condition (another owner, another month) empties the tab rather
    // than leave rows under filters they do not belong to.
    bool KeepsShownOnFailure(int tab, const QString& where) const override;
    // A refresh of tab failed; cleared: it has emptied what the tab showed.
    void NoteFailed(int tab, bool cleared = false) override;
    // A refresh running for a check: no focus moves, no notices, nothing cleared on failure.
    bool InBackground() const override { return m_background; }

    // The signed-in user's agenda of the day, through the tray when the desktop has one,
    // otherwise as a floating notice; nothing when turned off or unreadable.
    void ShowAgenda();
    static bool AgendaEnabled();
    static void SetAgendaEnabled(bool on);

    // The status texts.
    static QString LoadedText(const QDateTime& at);
    static QString DisconnectedText(const QDateTime& dataOf);
    static QString FailedText(const QDateTime& dataOf);

signals:
    // The agenda notice was clicked.
    void agendaClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a tab was last drawn from. A refresh the user asked for reads no fingerprint (it
    // costs what it always did): the first check after it compares the rows themselves
    // once and keeps the fingerprint from then on.
    struct Baseline {
        bool valid = false;
        QString where;
        size_t rowsHash = 0;
        qint32 rowCount = 0;
        bool fpKnown = false;
        RangeFingerprint fp;
    };
    Outcome Confirmed();
    Outcome Failed(int tab);
    Outcome CheckTab(int tab);
    void SetStatus(const QString& text, bool alarm);
    void ShowNotice(const QString& text);

    QWidget* m_form;
    TabHost* m_host;
    QTimer* m_timer;
    std::array<Baseline, 3> m_baseline{}; // per tab: calendar, list, team view
    Baseline m_pending;                   // read by the running check, taken by the refresh it starts
    QString m_pendingSql;                 // the statement of the rows it read, if any
    RecordsetPtr m_pendingRows;
    std::array<bool, 3> m_stale{}; // rebuilt at the next check whatever the fingerprint says
    QDate m_today;                 // the date the tabs were drawn for
    QDateTime m_loadedAt;          // time of the data shown
    QElapsedTimer m_away;          // running while the window is not the active one
    int m_awayMs = 5000;
    int m_compareRowsUpTo;
    bool m_lastOk = false; // the last refresh reported success
    int m_rebuilds = 0;
    bool m_running = false;
    bool m_background = false;
    QSystemTrayIcon* m_tray = nullptr;
};

} // namespace worktide
