#pragma once

#include <functional>

class QObject;

// Every wait on the database server in one place: its bounds (connect, read and write
// time-outs), and the loop that keeps the windows painting while a statement runs on a
// worker thread. The windows' side of a wait (wait cursor, notice with a cancel button)
// is reached through DbWaitUi, so this layer needs no widgets.
namespace worktide {

struct DbTimeouts {
    int connectSeconds = 5; // TCP connect and the server's greeting
    int readSeconds = 30;   // each read of an answer
    int writeSeconds = 30;  // each write of a statement
    int cursorDelayMs = 500;
    int noticeDelayMs = 2000;
    // Whole bound of a wait the user did not start (ScopedBackgroundWork), connect included.
    int backgroundSeconds = 10;
    // Whole bound of a connect, greeting, login and first answer included: a server that
    // lets us in and then stalls ends in the connection message in time, not after the
    // read bound.
    int connectWholeSeconds = 10;
};

DbTimeouts GetDbTimeouts();
void SetDbTimeouts(const DbTimeouts& timeouts);

// Sets the bounds for one scope (tests use short ones) and restores the previous ones.
class ScopedDbTimeouts {
public:
    explicit ScopedDbTimeouts(const DbTimeouts& timeouts);
    ~ScopedDbTimeouts();
    ScopedDbTimeouts(const ScopedDbTimeouts&) = delete;
    ScopedDbTimeouts& operator=(const ScopedDbTimeouts&) = delete;

private:
    DbTimeouts m_previous;
};

// What a person sees of a long wait. Called on the window thread only.
class DbWaitUi {
public:
    virtual ~DbWaitUi() = default;
    virtual void ShowWaitCursor() = 0;
    // The modal notice with its cancel button.
    virtual void ShowNotice() = 0;
    virtual bool CancelRequested() = 0;
    // Ends whatever ShowWaitCursor / ShowNotice put up.
    virtual void EndWait() = 0;
};

// nullptr: waits show nothing and cannot be cancelled.
void SetDbWaitUi(DbWaitUi* ui);
DbWaitUi* GetDbWaitUi();

enum class WaitEnd { Done, Cancelled, TimedOut };

// Runs job on a worker thread and returns when it has finished, processing the window
// events meanwhile (user input only once the modal notice is up). On a cancel, stop is
// called to make the job end at once and the job is awaited; without stop the job is
// left to finish on its own and abandoned() is called once it has (on the worker, or here
// when it ended just as the user cancelled). boundMs > 0 ends the wait the same way once
// that much time has gone (TimedOut); inside ScopedBackgroundWork the background bound
// applies when it is shorter.
WaitEnd RunWaiting(const std::function<void()>& job, const std::function<void()>& stop,
                   const std::function<void()>& abandoned = {}, int boundMs = 0);

// While one exists, waits belong to work the user did not start (the live refresh, a
// timer): they show no wait cursor and no notice, cannot be cancelled by the user and end
// after DbTimeouts::backgroundSeconds at the latest.
class ScopedBackgroundWork {
public:
    ScopedBackgroundWork();
    ~ScopedBackgroundWork();
    ScopedBackgroundWork(const ScopedBackgroundWork&) = delete;
    ScopedBackgroundWork& operator=(const ScopedBackgroundWork&) = delete;
};
bool InBackgroundWork();

// While one exists, every wait ends after seconds at the latest (start-up: the first
// message must come in time whatever the server does after it let us in).
class ScopedWaitBound {
public:
    explicit ScopedWaitBound(int seconds);
    ~ScopedWaitBound();
    ScopedWaitBound(const ScopedWaitBound&) = delete;
    ScopedWaitBound& operator=(const ScopedWaitBound&) = delete;

private:
    int m_previousMs;
};

// Ends the wait under way as if its cancel button had been pressed (the main window is
// being closed). Nothing when no wait is under way.
void CancelWaiting();

// Waits ms milliseconds the same way (the windows keep painting).
void PauseWaiting(int ms);

// True while a wait is under way (a handler run from inside it must not start another
// statement on the same connection).
bool IsWaiting();

// Runs work now when no wait is under way, otherwise right after the wait has ended (from
// the event loop). Handlers that the event processing of a wait can reach (posted events,
// timers, tray clicks) go through here, so none of them ever runs inside a wait. Work whose
// context has been destroyed meanwhile is dropped.
void RunOutsideWaits(QObject* context, std::function<void()> work);

} // namespace worktide
