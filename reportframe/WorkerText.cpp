#include "WorkerText.h"

#include "SqlText.h"

namespace trellum {

QString workerDisplayName(const DbCursor& worker)
{
    const QString name = worker.text(QStringLiteral("姓名"));
    if (worker.isNull(QStringLiteral("岗位")))
        return name;
    const QString post = worker.text(QStringLiteral("岗位"));
    const qsizetype blank = post.indexOf(QLatin1Char(' '));
    return name + QStringLiteral("【") + (blank < 0 ? post : post.mid(blank + 1)) + QStringLiteral("】");
}

DbStatus readWorkers(DbConnection& db, const QString& sql, std::vector<WorkerRecord>& out)
{
    out.clear();
    DbCursor cur = db.select(sql);
    while (cur.next())
        out.push_back({ cur.text(QStringLiteral("工号")), cur.text(QStringLiteral("区域号")), workerDisplayName(cur) });
    return cur.error();
}

namespace {

// 维修人 is compared without its blanks, so the code is too: a code with a blank of its own
// would never be found otherwise.
QString withoutBlanks(const QString& code)
{
    QString item = code;
    item.remove(QLatin1Char(' '));
    return item;
}

} // namespace

QString workerItemPosition(const QString& code)
{
    return workerItemPositionOf(sqlQuote(withoutBlanks(code)));
}

QString workerItemPositionOf(const QString& itemSql)
{
    return QStringLiteral("CHARINDEX(CONCAT(',', ") + itemSql
        + QStringLiteral(", ','), CONCAT(',', REPLACE(维修人,' ',''), ','))");
}

QString workerTable(const std::vector<WorkerRecord>& workers)
{
    std::vector<QStringList> rows;
    rows.reserve(workers.size());
    for (const WorkerRecord& w : workers)
        rows.push_back({ sqlQuote(withoutBlanks(w.code)), sqlQuote(w.region) });
    return sqlLiteralTable({ QStringLiteral("工号"), QStringLiteral("区域号") }, rows);
}

QString sharedItemHours()
{
    return QStringLiteral("维修工时*B.数量/(len(维修人)-LEN(replace(维修人,',',''))+1)");
}

QString sharedOrderHours()
{
    return QStringLiteral("(Select SUM(") + sharedItemHours()
        + QStringLiteral(") From pg维修人工费清单 B Where PG派工单.编号=B.任务单编号)");
}

QStringList workerKey(const WorkerRecord& worker)
{
    return { worker.code, worker.region };
}

WorkerRecord workerOfKey(const QStringList& key)
{
    return { key.value(0), key.value(1), QString() };
}

long long countWeekdays(const QDate& start, const QDate& end)
{
    if (!start.isValid() || !end.isValid() || end < start)
        return 0;
    const long long days = start.daysTo(end) + 1;
    long long count = days / 7 * 5;
    // the days after the whole weeks, from the start's weekday on (Monday 1 .. Sunday 7)
    for (long long k = 0, dow = start.dayOfWeek(); k < days % 7; ++k, dow = dow % 7 + 1)
        if (dow <= 5)
            ++count;
    return count;
}

} // namespace trellum
