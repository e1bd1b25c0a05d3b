#include "ReportRunner.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

namespace trellum {

namespace {

// How long closing waits for a statement that will not stop before leaving its thread to end alone.
constexpr unsigned long kCloseWaitMs = 1000;

// Deletes the thread on the program's thread once it has ended (asking twice is harmless, so a
// thread that ended meanwhile is not missed).
void deleteWhenFinished(QThread* thread)
{
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
        thread->deleteLater();
}

} // namespace

struct ReportRunner::Shared {
    std::mutex lock;
    std::condition_variable wake;
    QObject* context = nullptr;       // cleared when the runner goes; handed results only while set
    std::optional<RunJob> job;        // the job waiting for the thread
    Progress progress;
    Done done;
    bool quit = false;
    bool busy = false;                // from start() until the result is handed back
    std::atomic<bool> stopAsked = false;
    DbConnection* connection = nullptr; // the thread's connection, while it runs a job

    // Hands `call` to the context's thread, if there is still a context.
    template <typename F>
    void post(F call)
    {
        const std::lock_guard guard(lock);
        if (context)
            QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
    }

    void loop();
    RunResult runJob(DbConnection& connection, RunJob& job);
};

ReportRunner::ReportRunner(QObject* context)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->context = context;
    m_thread = QThread::create([shared = m_shared] { shared->loop(); });
    m_thread->setObjectName(QStringLiteral("report runner"));
    m_thread->start();
}

ReportRunner::~ReportRunner()
{
    if (!m_thread)
        return;
    finish();
    if (m_thread->wait(kCloseWaitMs)) {
        delete m_thread;
        return;
    }
    // A statement the server will not give up: the thread is deleted once it ends.
    deleteWhenFinished(m_thread);
}

void ReportRunner::finish()
{
    {
        const std::lock_guard guard(m_shared->lock);
        m_shared->context = nullptr;
        m_shared->quit = true;
    }
    stop();
    m_shared->wake.notify_all();
}

void ReportRunner::leave(std::unique_ptr<ReportRunner> runner)
{
    if (!runner)
        return;
    runner->finish();
    deleteWhenFinished(std::exchange(runner->m_thread, nullptr));
}

bool ReportRunner::start(RunJob job, Progress progress, Done done)
{
    const std::lock_guard guard(m_shared->lock);
    if (m_shared->busy)
        return false;
    m_shared->busy = true;
    m_shared->stopAsked = false;
    m_shared->job = std::move(job);
    m_shared->progress = std::move(progress);
    m_shared->done = std::move(done);
    m_shared->wake.notify_all();
    return true;
}

void ReportRunner::stop()
{
    m_shared->stopAsked = true;
    const std::lock_guard guard(m_shared->lock);
    if (m_shared->connection)
        m_shared->connection->interrupt();
}

bool ReportRunner::running() const
{
    const std::lock_guard guard(m_shared->lock);
    return m_shared->busy;
}

void ReportRunner::Shared::loop()
{
    // The connection lives and dies on this thread, as the database driver asks.
    DbConnection own;
    for (;;) {
        RunJob next;
        {
            std::unique_lock guard(lock);
            wake.wait(guard, [this] { return quit || job.has_value(); });
            if (quit)
                return;
            next = std::move(*job);
            job.reset();
            connection = &own;
        }
        RunResult result = runJob(own, next);
        const std::lock_guard guard(lock);
        connection = nullptr;
        busy = false;
        if (context) {
            QMetaObject::invokeMethod(
                context, [done = done, out = std::make_shared<RunResult>(std::move(result))] { done(std::move(*out)); },
                Qt::QueuedConnection);
        }
    }
}

RunResult ReportRunner::Shared::runJob(DbConnection& own, RunJob& job)
{
    RunResult result;
    // A stop asked before this point is kept: the switch is set again after clearing it.
    own.allowStatements();
    if (stopAsked)
        own.interrupt();
    DbConnection::Source held = own.source();
    held.commandTimeout = job.source.commandTimeout;
    if (!own.isOpen() || held != job.source) {
        if (DbStatus failed = own.openSource(job.source)) {
            result.status = failed;
            result.stopped = stopAsked;
            return result;
        }
    }
    own.setCommandTimeout(job.source.commandTimeout);
    const long long before = own.statementsSent();
    own.setStatementObserver([this, &own, before](const QString&) {
        post([report = progress, sent = own.statementsSent() - before] { report(sent); });
    });
    result.grid = std::move(job.grid);
    result.status = job.report->run(own, job.input, result.grid, result.boxes);
    own.setStatementObserver({});
    result.stopped = stopAsked;
    return result;
}

} // namespace trellum
