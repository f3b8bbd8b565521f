#include "db/DbWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <mysql.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace worktide {
namespace {

DbTimeouts g_timeouts;
DbWaitUi* g_ui = nullptr;
int g_depth = 0;

struct JobState {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    std::function<void()> onAbandoned;
};

// A healthy statement ends within a few milliseconds: it is awaited without touching
// the event loop, so the common case costs only the thread hand-over.
constexpr auto kQuietWait = std::chrono::milliseconds(20);
// Longest sleep between two rounds of event processing.
constexpr auto kSlice = std::chrono::milliseconds(5);

} // namespace

DbTimeouts GetDbTimeouts() {
    return g_timeouts;
}

void SetDbTimeouts(const DbTimeouts& timeouts) {
    g_timeouts = timeouts;
}

ScopedDbTimeouts::ScopedDbTimeouts(const DbTimeouts& timeouts) : m_previous(g_timeouts) {
    g_timeouts = timeouts;
}

ScopedDbTimeouts::~ScopedDbTimeouts() {
    g_timeouts = m_previous;
}

void SetDbWaitUi(DbWaitUi* ui) {
    g_ui = ui;
}

DbWaitUi* GetDbWaitUi() {
    return g_ui;
}

bool IsWaiting() {
    return g_depth > 0;
}

WaitEnd RunWaiting(const std::function<void()>& job, const std::function<void()>& stop,
                   const std::function<void()>& abandoned) {
    auto state = std::make_shared<JobState>();
    state->onAbandoned = abandoned;
    std::thread worker([state, job] {
        mysql_thread_init();
        job();
        bool left = false;
        {
            std::lock_guard lock(state->mutex);
            state->finished = true;
            left = state->abandoned;
        }
        state->done.notify_all();
        if (left && state->onAbandoned)
            state->onAbandoned();
        mysql_thread_end();
    });

    const auto waitFor = [&state](std::chrono::milliseconds slice) {
        std::unique_lock lock(state->mutex);
        return state->done.wait_for(lock, slice, [&state] { return state->finished; });
    };

    if (waitFor(kQuietWait)) {
        worker.join();
        return WaitEnd::Done;
    }

    // A wait inside a wait (a timer's handler reached the database) shows nothing and
    // processes no events, so no handler ever runs inside another one twice.
    ++g_depth;
    const bool outermost = g_depth == 1;
    const bool events = outermost && QCoreApplication::instance() != nullptr;
    DbWaitUi* ui = outermost ? g_ui : nullptr;
    const DbTimeouts bounds = g_timeouts;
    QElapsedTimer clock;
    clock.start();
    bool cursor = false;
    bool notice = false;
    WaitEnd end = WaitEnd::Done;
    for (;;) {
        // Until the modal notice is up, nothing the user does reaches a window; the
        // notice then blocks the other windows itself.
        if (events)
            QCoreApplication::processEvents(notice ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        if (waitFor(kSlice))
            break;
        if (ui) {
            const qint64 elapsed = clock.elapsed();
            if (!cursor && elapsed >= bounds.cursorDelayMs) {
                cursor = true;
                ui->ShowWaitCursor();
            }
            if (!notice && elapsed >= bounds.noticeDelayMs) {
                notice = true;
                ui->ShowNotice();
            }
            if (ui->CancelRequested()) {
                end = WaitEnd::Cancelled;
                break;
            }
        }
    }
    if (end == WaitEnd::Cancelled) {
        if (stop) {
            stop();
            std::unique_lock lock(state->mutex);
            state->done.wait(lock, [&state] { return state->finished; });
        } else {
            bool finished = false;
            {
                std::lock_guard lock(state->mutex);
                finished = state->finished;
                if (!finished)
                    state->abandoned = true;
            }
            // The job ended just as the user cancelled: its leftovers are dropped here.
            if (finished && abandoned)
                abandoned();
        }
    }
    bool detach = false;
    {
        std::lock_guard lock(state->mutex);
        detach = state->abandoned;
    }
    if (detach)
        worker.detach();
    else
        worker.join();
    if (ui && (cursor || notice))
        ui->EndWait();
    --g_depth;
    return end;
}

void PauseWaiting(int ms) {
    RunWaiting([ms] { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }, [] {});
}

} // namespace worktide
