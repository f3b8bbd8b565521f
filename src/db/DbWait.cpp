#include "db/DbWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <mysql.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace worktide {
namespace {

DbTimeouts g_timeouts;
DbWaitUi* g_ui = nullptr;
int g_depth = 0;
int g_background = 0;
int g_boundMs = 0; // ScopedWaitBound; 0 = none
bool g_cancelAll = false;

struct DeferredWork {
    QPointer<QObject> context;
    std::function<void()> work;
};
// Work that arrived during a wait; handed to the event loop when the outermost one ends.
std::vector<DeferredWork>& Deferred() {
    static std::vector<DeferredWork> deferred;
    return deferred;
}

void PostDeferred() {
    std::vector<DeferredWork> due;
    due.swap(Deferred());
    QCoreApplication* app = QCoreApplication::instance();
    for (DeferredWork& d : due) {
        if (!d.context)
            continue;
        // Posted, not run here: the caller of the wait goes on first, and work that meets
        // the caller's next wait is deferred again.
        if (app)
            QTimer::singleShot(0, d.context.data(), [context = d.context, work = std::move(d.work)] {
                RunOutsideWaits(context.data(), work);
            });
    }
}

// A healthy statement ends within a few milliseconds: it is awaited without touching
// the event loop, so the common case costs only the hand-over to the worker.
constexpr auto kQuietWait = std::chrono::milliseconds(20);
// Most statements on a healthy server end within this: the waiter watches for the end
// without going to sleep, which saves the wake-up on the way back.
constexpr auto kSpin = std::chrono::microseconds(150);
// Longest sleep between two rounds of event processing.
constexpr auto kSlice = std::chrono::milliseconds(5);
// Statements come in runs (a month switch sends several): a worker that just finished
// watches for the next job a moment before it sleeps, so the next hand-over needs no
// wake-up on a busy machine.
constexpr auto kWorkerSpin = std::chrono::microseconds(300);

struct JobState {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false; // guarded by mutex
    bool abandoned = false;
    std::atomic<bool> ended{false}; // finished, readable without the lock while spinning
    std::function<void()> onAbandoned;
};

// A thread that runs one job after another for the life of the program: a statement
// costs two wake-ups instead of starting and joining a thread.
struct Worker {
    std::mutex mutex;
    std::condition_variable wake;
    std::function<void()> job; // guarded by mutex; empty while idle
    std::shared_ptr<JobState> state;
    std::atomic<bool> hasJob{false};
};

// The idle workers. Usually one: a second is made only while the first is busy (a wait
// inside a wait, or a cancelled connect still running out its time-out). Never freed, so
// workers idle at exit need no shutdown.
class WorkerPool {
public:
    Worker* Take() {
        {
            std::lock_guard lock(m_mutex);
            // A forked child has none of its parent's threads.
            if (m_pid != QCoreApplication::applicationPid()) {
                m_pid = QCoreApplication::applicationPid();
                m_idle.clear();
            }
            if (!m_idle.empty()) {
                Worker* worker = m_idle.back();
                m_idle.pop_back();
                return worker;
            }
        }
        auto* worker = new Worker;
        std::thread([this, worker] { Run(worker); }).detach();
        return worker;
    }

private:
    void Give(Worker* worker) {
        std::lock_guard lock(m_mutex);
        m_idle.push_back(worker);
    }

    void Run(Worker* worker) {
        mysql_thread_init();
        for (;;) {
            std::function<void()> job;
            std::shared_ptr<JobState> state;
            {
                const auto until = std::chrono::steady_clock::now() + kWorkerSpin;
                while (!worker->hasJob.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until)
                    std::this_thread::yield();
                std::unique_lock lock(worker->mutex);
                worker->wake.wait(lock, [worker] { return static_cast<bool>(worker->job); });
                job = std::move(worker->job);
                worker->job = nullptr;
                worker->hasJob.store(false, std::memory_order_relaxed);
                state = std::move(worker->state);
            }
            job();
            job = nullptr;
            bool left = false;
            {
                std::lock_guard lock(state->mutex);
                left = state->abandoned;
                // Idle again before the waiter can see the end, so its next statement finds
                // this thread instead of starting another.
                if (!left)
                    Give(worker);
                state->finished = true;
                state->ended.store(true, std::memory_order_release);
            }
            state->done.notify_all();
            if (left) {
                if (state->onAbandoned)
                    state->onAbandoned();
                Give(worker);
            }
        }
    }

    std::mutex m_mutex;
    std::vector<Worker*> m_idle;
    qint64 m_pid = QCoreApplication::applicationPid();
};

WorkerPool& Pool() {
    static auto* pool = new WorkerPool;
    return *pool;
}

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

ScopedBackgroundWork::ScopedBackgroundWork() {
    ++g_background;
}

ScopedBackgroundWork::~ScopedBackgroundWork() {
    --g_background;
}

bool InBackgroundWork() {
    return g_background > 0;
}

ScopedWaitBound::ScopedWaitBound(int seconds) : m_previousMs(g_boundMs) {
    g_boundMs = seconds * 1000;
}

ScopedWaitBound::~ScopedWaitBound() {
    g_boundMs = m_previousMs;
}

void CancelWaiting() {
    if (g_depth > 0)
        g_cancelAll = true;
}

void RunOutsideWaits(QObject* context, std::function<void()> work) {
    if (!context || !work)
        return;
    if (g_depth == 0) {
        work();
        return;
    }
    Deferred().push_back({context, std::move(work)});
}

WaitEnd RunWaiting(const std::function<void()>& job, const std::function<void()>& stop,
                   const std::function<void()>& abandoned, int boundMs) {
    auto state = std::make_shared<JobState>();
    state->onAbandoned = abandoned;
    Worker* worker = Pool().Take();
    {
        std::lock_guard lock(worker->mutex);
        worker->job = job;
        worker->state = state;
        worker->hasJob.store(true, std::memory_order_release);
    }
    worker->wake.notify_one();

    const auto waitFor = [&state](auto slice) {
        std::unique_lock lock(state->mutex);
        return state->done.wait_for(lock, slice, [&state] { return state->finished; });
    };
    const auto spin = [&state] {
        const auto until = std::chrono::steady_clock::now() + kSpin;
        do {
            if (state->ended.load(std::memory_order_acquire))
                return true;
            std::this_thread::yield();
        } while (std::chrono::steady_clock::now() < until);
        return false;
    };

    if (spin() || waitFor(kQuietWait))
        return WaitEnd::Done;

    // A wait inside a wait (a timer's handler reached the database) shows nothing and
    // processes no events, so no handler ever runs inside another one twice.
    ++g_depth;
    const bool outermost = g_depth == 1;
    const bool events = outermost && QCoreApplication::instance() != nullptr;
    const bool background = g_background > 0;
    // Work the user did not start never takes the window: no cursor, no modal notice.
    DbWaitUi* ui = outermost && !background ? g_ui : nullptr;
    const DbTimeouts bounds = g_timeouts;
    qint64 bound = boundMs > 0 ? boundMs : 0;
    if (g_boundMs > 0 && (bound == 0 || bound > g_boundMs))
        bound = g_boundMs;
    if (background && (bound == 0 || bound > 1000LL * bounds.backgroundSeconds))
        bound = 1000LL * bounds.backgroundSeconds;
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
        if (g_cancelAll) {
            end = WaitEnd::Cancelled;
            break;
        }
        if (bound > 0 && clock.elapsed() >= bound) {
            end = WaitEnd::TimedOut;
            break;
        }
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
    if (end != WaitEnd::Done) {
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
    if (ui && (cursor || notice))
        ui->EndWait();
    --g_depth;
    if (g_depth == 0) {
        g_cancelAll = false;
        if (!Deferred().empty())
            PostDeferred();
    }
    return end;
}

void PauseWaiting(int ms) {
    RunWaiting([ms] { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }, [] {});
}

} // namespace worktide
