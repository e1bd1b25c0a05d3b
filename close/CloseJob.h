#pragma once

#include "Criteria.h"
#include "DbSettings.h"
#include "ReportKind.h"

#include <QDate>
#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace trellum {

// Where one (region, report) item of a month-end close stands.
enum class CloseItemState { Waiting, Running, Done, Failed, NotDone };

// One report of one region in a month-end close, and what became of it.
struct CloseItem {
    RegionEntry region;
    ReportKind kind = ReportKind::Completion;
    CloseItemState state = CloseItemState::Waiting;
    QString message;     // why it failed or was not done; why a done item wrote nothing
    QString folder;      // the region's folder
    QStringList files;   // the files written, whole paths
    int rows = -1;       // the grid's rows between its header rows and its totals line (-1: no grid)
    QStringList totals;  // the texts of the totals line
};

// What a month-end close is asked to do.
struct CloseOptions {
    DbSettings settings;                      // the database, as the session or the runner opens it
    QDate startDate;
    QDate endDate;
    QDate today;                              // the day of file names and footers
    QStringList regionCodes;                  // empty: every region
    std::vector<ReportKind> reports;          // in the order they are made for each region
    std::optional<QStringList> categoryCodes; // nullopt: every category in use
    QString outputFolder;
    int jobs = 0;                             // parallel connections; 0: defaultCloseJobs()
    bool pdf = false;                         // each report's PDF beside its workbook
    std::optional<int> timeout;               // every statement's time-out; nullopt: each report's own
};

// Why a close stopped before its end: criteria the database does not know (a region, a category),
// no connection, or an output that could not be written (a full disk, a folder not writable).
struct CloseStop {
    enum class Kind { Refused, Database, Output };
    Kind kind;
    QString message;
};

// What the job tells as it goes; both are called from the job's threads, one call at a time.
struct CloseCallbacks {
    // Every item, waiting, once the regions are known.
    std::function<void(const std::vector<CloseItem>&)> listed;
    // An item that changed its state, by its index in that list.
    std::function<void(int index, const CloseItem& item)> changed;
};

// The parallel connections of a close when none are asked for: the cores, at most 4.
int defaultCloseJobs();

// A name the file system can hold, made of a text from the data: '/', '\', NUL, the control
// characters and : * ? " < > | (which other systems' file shares refuse) become '_'; blanks and
// dots at either end are dropped (a name of dots alone would be the folder itself or its parent);
// what is left is cut to 200 bytes of UTF-8 on a character's edge; an empty name becomes "_".
QString safeFileName(const QString& name);

// The month-end close: every chosen report of every chosen region, each run on a connection of
// its worker's own and written under DIR/<region code> <region name>/ with a close.json per region.
class CloseJob {
public:
    explicit CloseJob(CloseOptions options);

    // Runs the whole close and returns when every worker has ended: nullopt when it went through
    // (items may still have failed), else what stopped it. Completed files stay.
    std::optional<CloseStop> run(const CloseCallbacks& callbacks = {});
    // Lets no further item start and stops the statements running (from any thread): the items
    // in flight end as not done, without a file.
    void stop();
    bool stopRequested() const { return m_stop; }
    // The items as they stand now.
    std::vector<CloseItem> items() const;

private:
    std::optional<CloseStop> listItems();
    void work();
    void runItem(class DbConnection& db, CloseItem& item);
    void setState(std::size_t index, const CloseItem& item);
    void fail(const QString& message);
    void writeRecords();
    void attach(class DbConnection* connection);
    void detach(class DbConnection* connection);

    CloseOptions m_options;
    CloseCallbacks m_callbacks;
    mutable std::mutex m_mutex;
    std::vector<CloseItem> m_items;
    std::atomic<std::size_t> m_next { 0 };
    std::atomic<bool> m_stop { false };
    std::optional<CloseStop> m_fatal;
    std::mutex m_liveMutex; // guards m_live; never held while m_mutex is taken
    std::vector<class DbConnection*> m_live; // the workers' open connections
};

} // namespace trellum
