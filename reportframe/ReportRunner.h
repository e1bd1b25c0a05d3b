#pragma once

#include "DbConnection.h"
#include "Report.h"
#include "ReportGrid.h"

#include <functional>
#include <memory>

class QObject;
class QThread;

namespace trellum {

// What a run hands back: the grid it filled (a grid of the run's own), the month-end's boxes, the
// error of a failed run, and whether the user stopped it.
struct RunResult {
    ReportGrid grid;
    TypeAnalysis boxes {};
    DbStatus status;
    bool stopped = false;
};

// One run as the window hands it over: the database to read (opened again on the runner's own
// connection), the report, its input and the grid laid out for it.
struct RunJob {
    DbConnection::Source source;
    const Report* report = nullptr;
    RunInput input;
    ReportGrid grid;
};

// A report window's database worker: a thread with a connection of its own, opened on the same
// database as the window's, that runs one report at a time so the window stays free meanwhile.
// Progress and the result are handed to `context`'s thread; nothing is handed over once the
// runner is gone.
class ReportRunner {
public:
    // Hears that statement `sent` of the run is on its way.
    using Progress = std::function<void(long long sent)>;
    // Hears how the run ended.
    using Done = std::function<void(RunResult result)>;

    explicit ReportRunner(QObject* context);
    // Stops a run that still goes and ends the thread (waiting at most a second for a statement
    // that does not stop; such a thread ends on its own later, heard by no one).
    ~ReportRunner();
    ReportRunner(const ReportRunner&) = delete;
    ReportRunner& operator=(const ReportRunner&) = delete;

    // Stops the runner's run and lets its thread end alone, without waiting: for a statement that
    // does not stop when asked. Nothing of that run is handed over.
    static void leave(std::unique_ptr<ReportRunner> runner);

    // Starts a run; false (and nothing started) while one goes.
    bool start(RunJob job, Progress progress, Done done);
    // Stops the run that goes: its statement is interrupted and no further one is sent.
    void stop();
    // Whether the thread is busy with a run (its result may still be on its way to the context).
    bool running() const;

private:
    // Stops the run, tells the thread to end and hands nothing more over.
    void finish();

    struct Shared;
    std::shared_ptr<Shared> m_shared;
    QThread* m_thread = nullptr;
};

} // namespace trellum
