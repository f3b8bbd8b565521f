#include "ui/main/LiveRefresh.h"

#include "db/DbWait.h"
#include "db/Recordset.h"
#include "db/cMySQL.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modScheduleInsert.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/UserSettings.h"
#include "ui/shared/MainTab.h"
#include "ui/schedule/FrmSave.h"
#include "ui/schedule/FrmViewer.h"
#include "ui/shared/FrmFloatMsg.h"
#include "ui/shared/modFloatMsg.h"
#include "ui/shared/ShowMessages.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

constexpr int kDefaultIntervalMs = 60 * 1000;
// Up to this many rows a check reads the rows themselves rather than their fingerprint
// (measured in bench/bench_liverefresh: at 300 rows both cost about the same).
constexpr int kCompareRowsUpTo = 500;
// Long enough to be read and clicked; the confirmations of the program stay at half a second.
constexpr int kAgendaNoticeMs = 8000;
const QString kAgendaKey = u"ShowAgenda"_s;

// Clears a flag however the scope is left.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

LiveRefresh::LiveRefresh(QWidget* window, TabHost* host)
    : QObject(window), m_form(window), m_host(host), m_timer(new QTimer(this)), m_compareRowsUpTo(kCompareRowsUpTo) {
    m_timer->setInterval(kDefaultIntervalMs);
    // A timer can fire inside a statement's wait: its check then runs once the wait is over.
    connect(m_timer, &QTimer::timeout, this, [this] { RunOutsideWaits(this, [this] { Tick(); }); });
    window->installEventFilter(this);
}

LiveRefresh::~LiveRefresh() {
    m_form->removeEventFilter(this);
}

void LiveRefresh::Start() {
    m_today = Today();
    m_timer->start();
}

void LiveRefresh::SetInterval(int ms) {
    m_timer->setInterval(ms);
}

bool LiveRefresh::CanRunNow() const {
    if (m_running || IsWaiting() || IsMessageBoxOpen())
        return false;
    // Whatever the user has open in front of the window is left alone; a rebuild under a
    // menu or a drop-down would also move what the user is pointing at.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible() && (qobject_cast<FrmSave*>(w) || qobject_cast<FrmViewer*>(w)))
            return false;
    return m_form->isVisible() && !m_form->isMinimized();
}

LiveRefresh::Outcome LiveRefresh::Tick() {
    if (!CanRunNow())
        return Outcome::Busy;
    const FlagScope running(m_running);
    // Nobody asked for this check: its waits show nothing, end within the background bound
    // and a failure only marks the status bar.
    const ScopedBackgroundWork background;
    // A save whose fate was unknown is settled before anything is read.
    if (HasUnsettledInsert()) {
        const ScopedQuietDbErrors quiet;
        SettleUnsettledInsert();
    }
    const QDate today = Today();
    const bool dateChanged = m_today.isValid() && today != m_today;
    if (dateChanged) {
        // "[오늘]", the colours and the day counts of both tabs belong to the old day.
        m_stale.fill(true);
        m_today = today;
    }
    const int tab = m_host->ShownTabIndex();
    const Outcome outcome = tab >= 0 && tab <= 2 ? CheckTab(tab) : Outcome::Unchanged;
    if (dateChanged)
        ShowAgenda();
    return outcome;
}

LiveRefresh::Outcome LiveRefresh::CheckTab(int tab) {
    QString where;
    QString sql;
    MainTab* shown = m_host->TabAt(tab);
    if (!shown || !shown->ShownQuery(where, sql))
        return Outcome::Unchanged; // the list has never been drawn
    const ScopedQuietDbErrors quiet;
    Baseline& drawn = m_baseline[static_cast<std::size_t>(tab)];
    bool comparable = drawn.valid && drawn.where == where && !m_stale[static_cast<std::size_t>(tab)];
    // A few hundred rows cost hardly more to read than their fingerprint, and a change
    // found among them is drawn from the rows already read. Many rows are compared by
    // their fingerprint, which answers in one row.
    const bool byRows = !drawn.valid || drawn.rowCount <= m_compareRowsUpTo;
    RangeFingerprint fp;
    if (!byRows) {
        fp = ReadScheduleFingerprint(where);
        if (!fp.ok)
            return Failed(tab);
        if (comparable && drawn.fpKnown) {
            if (drawn.fp == fp)
                return Confirmed();
            comparable = false; // changed: the rebuild reads the rows
        }
    }
    RecordsetPtr rows;
    // Read after the fingerprint: rows equal to those drawn mean the fingerprint describes
    // them too, since a change in between would have made them differ.
    if (byRows || comparable) {
        const qint32 read = OpenRecordset(rows, sql);
        ShowDbFailures();
        if (read < 0) {
            CloseRecordset(rows);
            return Failed(tab);
        }
        if (comparable && (rows ? rows->ValuesHash() : 0) == drawn.rowsHash) {
            CloseRecordset(rows);
            if (!byRows) {
                drawn.fpKnown = true;
                drawn.fp = fp;
            }
            return Confirmed();
        }
    }
    // The fingerprint was read before the rows: a change landing in between makes the
    // next check rebuild once more rather than be missed.
    m_pending = {true, where, 0, 0, fp.ok, fp};
    m_pendingSql = sql;
    m_pendingRows = std::move(rows);
    m_lastOk = false;
    {
        const FlagScope background(m_background);
        shown->Recheck(m_stale[static_cast<std::size_t>(tab)]);
    }
    m_pending = {};
    m_pendingRows.reset();
    if (!m_lastOk)
        return Outcome::Failed;
    m_stale[static_cast<std::size_t>(tab)] = false;
    ++m_rebuilds;
    return Outcome::Refreshed;
}

LiveRefresh::Outcome LiveRefresh::Confirmed() {
    // Nothing to rebuild: the rows shown are those of now.
    m_loadedAt = Now();
    SetStatus(LoadedText(m_loadedAt), false);
    return Outcome::Unchanged;
}

LiveRefresh::Outcome LiveRefresh::Failed(int tab) {
    NoteFailed(tab);
    return Outcome::Failed;
}

qint32 LiveRefresh::OpenRows(RecordsetPtr& rs, const QString& sql) {
    if (m_background && m_pendingRows && m_pendingSql == sql) {
        rs = std::move(m_pendingRows);
        m_pendingRows.reset();
        return rs->RecordCount();
    }
    const qint32 count = OpenRecordset(rs, sql);
    ShowDbFailures();
    return count;
}

void LiveRefresh::NoteLoaded(int tab, const QString& where, size_t rowsHash, qint32 rowCount) {
    if (tab >= 0 && tab <= 2) {
        Baseline drawn{true, where, rowsHash, rowCount, false, {}};
        // A check hands over the fingerprint it read before the rows.
        if (m_background && m_pending.valid && m_pending.fpKnown && m_pending.where == where) {
            drawn.fpKnown = true;
            drawn.fp = m_pending.fp;
        }
        m_baseline[static_cast<std::size_t>(tab)] = drawn;
        // A list drawn by the user is drawn for today (its day counts); the calendar's
        // captions only change with a new layout, which a check makes.
        if (tab == 1 && m_today == Today())
            m_stale[1] = false;
    }
    m_lastOk = true;
    m_loadedAt = Now();
    SetStatus(LoadedText(m_loadedAt), false);
}

bool LiveRefresh::KeepsShownOnFailure(int tab, const QString& where) const {
    if (m_background)
        return true;
    if (tab < 0 || tab > 2)
        return false;
    const Baseline& drawn = m_baseline[static_cast<std::size_t>(tab)];
    return drawn.valid && drawn.where == where;
}

void LiveRefresh::NoteFailed(int tab, bool cleared) {
    m_lastOk = false;
    // What was drawn and kept is still described by its baseline: the next check compares
    // with it and rebuilds only if the rows changed. A tab that was emptied must be drawn
    // again whatever the fingerprint says.
    if (cleared && tab >= 0 && tab <= 2)
        m_baseline[static_cast<std::size_t>(tab)].valid = false;
    const bool unreachable = !gDB || !gDB->isConnected() || cMySQL::IsConnectionError(gDB->lastErrorNumber());
    SetStatus(unreachable ? DisconnectedText(m_loadedAt) : FailedText(m_loadedAt), true);
}

QString LiveRefresh::LoadedText(const QDateTime& at) {
    return u"최종 갱신 "_s + at.toString(u"HH:mm:ss"_s);
}

QString LiveRefresh::DisconnectedText(const QDateTime& dataOf) {
    if (!dataOf.isValid())
        return u"연결 끊김"_s;
    return u"연결 끊김 — "_s + dataOf.toString(u"HH:mm"_s) + u" 기준 자료"_s;
}

QString LiveRefresh::FailedText(const QDateTime& dataOf) {
    if (!dataOf.isValid())
        return u"갱신 실패"_s;
    return u"갱신 실패 — "_s + dataOf.toString(u"HH:mm"_s) + u" 기준 자료"_s;
}

void LiveRefresh::SetStatus(const QString& text, bool alarm) {
    QLabel* label = m_host->StatusLabel();
    if (!label)
        return;
    label->setText(text);
    if (label->property("alarm").toBool() != alarm) {
        label->setProperty("alarm", alarm);
        label->setStyleSheet(alarm ? u"color: rgb(255, 0, 0);"_s : QString());
    }
}

bool LiveRefresh::AgendaEnabled() {
    return LoginSetting(kAgendaKey, u"1"_s) != u"0"_s;
}

void LiveRefresh::SetAgendaEnabled(bool on) {
    SaveLoginSetting(kAgendaKey, on ? u"1"_s : u"0"_s);
}

void LiveRefresh::ShowAgenda() {
    if (!AgendaEnabled() || gUserName.isEmpty())
        return;
    AgendaCounts counts;
    {
        const ScopedQuietDbErrors quiet;
        counts = ReadAgendaCounts(gUserName, Today());
    }
    if (counts.ok)
        ShowNotice(AgendaText(counts));
}

void LiveRefresh::ShowNotice(const QString& text) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!m_tray) {
            QIcon icon = m_form->windowIcon();
            if (icon.isNull())
                icon = m_form->style()->standardIcon(QStyle::SP_MessageBoxInformation);
            m_tray = new QSystemTrayIcon(icon, this);
            m_tray->setToolTip(m_form->windowTitle());
            connect(m_tray, &QSystemTrayIcon::messageClicked, this, &LiveRefresh::agendaClicked);
            m_tray->show();
        }
        m_tray->showMessage(gAppTitle, text, QSystemTrayIcon::Information, kAgendaNoticeMs);
        return;
    }
    ShowFloatMsg(text, kAgendaNoticeMs, false);
    if (FrmFloatMsg* notice = CurrentFloatMsg())
        connect(notice, &FrmFloatMsg::clicked, this, &LiveRefresh::agendaClicked);
}

bool LiveRefresh::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_form) {
        if (event->type() == QEvent::WindowDeactivate) {
            m_away.start();
        } else if (event->type() == QEvent::WindowActivate && m_away.isValid()) {
            const bool longAway = m_away.elapsed() >= m_awayMs;
            m_away.invalidate();
            // After the event: the window finishes coming back before anything is read.
            if (longAway)
                QTimer::singleShot(0, this, [this] { RunOutsideWaits(this, [this] { Tick(); }); });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace worktide
