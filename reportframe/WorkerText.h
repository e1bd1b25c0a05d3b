#pragma once

#include "Criteria.h"
#include "DbConnection.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace trellum {

// The worker's name with the trade of his 岗位: "03 水电工" gives 张三【水电工】, a 岗位 without a
// blank stands whole between the brackets, a NULL 岗位 leaves the name alone; NULL name is "".
QString workerDisplayName(const DbCursor& worker);

// What a run keeps of a row of the worker statement.
struct WorkerRecord {
    QString code;   // 工号
    QString region; // 区域号
    QString name;   // the display name, see workerDisplayName
};

// Reads the worker statement to its end, so that no result is still open while the per-worker
// statements run on the connection (SQL Server through FreeTDS allows one at a time).
DbStatus readWorkers(DbConnection& db, const QString& sql, std::vector<WorkerRecord>& out);

// Where a worker report's run takes the figures of its workers from, into `List` by each worker's place.
template <typename List>
using WorkerFigureSource = std::function<DbStatus(DbConnection& db, const ReportCriteria& criteria,
                                                  const std::vector<WorkerRecord>& workers, List& figures)>;

// The position of the worker's code as a whole item of 维修人, blanks ignored on both sides:
// 1 when it stands first, 0 when it is not listed (12 is not found in 112,5). Runs alike on
// SQL Server 2012 and later and on the embedded database.
QString workerItemPosition(const QString& code);
// The same position for an SQL expression that gives the code already without blanks (a column
// of workerTable).
QString workerItemPositionOf(const QString& itemSql);

// The run's workers as a derived table for a From clause, columns 序 (the worker's place in
// `workers`), 工号 (the code without blanks, as workerItemPosition compares it) and 区域号.
QString workerTable(const std::vector<WorkerRecord>& workers);

// One labour item's hours shared among the order's workers (the commas of 维修人 plus one), over
// the order joined to its labour items as B.
QString sharedItemHours();
// The man-hours an order credits each of its workers: its labour items' shared hours added up.
QString sharedOrderHours();

// The key a worker's grid rows keep (his code and region), and the worker it names back.
QStringList workerKey(const WorkerRecord& worker);
WorkerRecord workerOfKey(const QStringList& key);

// The days from `start` to `end`, both included, that fall on Monday to Friday (0 when the
// end lies before the start).
long long countWeekdays(const QDate& start, const QDate& end);

} // namespace trellum
