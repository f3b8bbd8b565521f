#include "support/SecretStore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace worktide {
namespace {

// Once the service failed to answer, refused or was missing, it is not asked again in this
// run: the user is not prompted twice, and nothing waits behind a stuck request.
bool g_unavailable = false;

// Runs a prepared job to its end or to the wait limit. onDone sees the finished job.
template <typename Job, typename OnDone> SecretStatus RunJob(Job* job, OnDone onDone) {
    if (g_unavailable || !QCoreApplication::instance()) {
        delete job;
        return SecretStatus::Unavailable;
    }
    // Declared before the loop: a late answer must never reach a destroyed frame, and
    // the connection below ends with the loop.
    bool finished = false;
    SecretStatus status = SecretStatus::Unavailable;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job*) {
        finished = true;
        if (job->error() == QKeychain::NoError) {
            onDone(*job);
            status = SecretStatus::Ok;
        } else if (job->error() == QKeychain::EntryNotFound) {
            status = SecretStatus::NotFound;
        }
        loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    limit.start(kSecretWaitLimit);
    // The user cannot act on the window while it waits; timers and the answer still run.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished || status == SecretStatus::Unavailable)
        g_unavailable = true;
    return status;
}

} // namespace

SecretStatus ReadSecret(const QString& service, const QString& account, QString& secret) {
    auto* job = new QKeychain::ReadPasswordJob(service);
    job->setKey(account);
    return RunJob(job, [&secret](const QKeychain::ReadPasswordJob& done) { secret = done.textData(); });
}

SecretStatus WriteSecret(const QString& service, const QString& account, const QString& secret) {
    auto* job = new QKeychain::WritePasswordJob(service);
    job->setKey(account);
    job->setTextData(secret);
    return RunJob(job, [](const QKeychain::WritePasswordJob&) {});
}

SecretStatus DeleteSecret(const QString& service, const QString& account) {
    auto* job = new QKeychain::DeletePasswordJob(service);
    job->setKey(account);
    return RunJob(job, [](const QKeychain::DeletePasswordJob&) {});
}

} // namespace worktide
