#include "CloseJob.h"

#include "AppSession.h"
#include "FilterQueries.h"
#include "OutputFile.h"
#include "PdfExport.h"
#include "ReportCatalog.h"
#include "ReportRun.h"
#include "SpreadsheetExport.h"
#include "XlsxWorkbook.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

namespace trellum {

namespace {

// Keeps the first message of a connection that could not be opened.
class CapturingMessenger : public Messenger {
public:
    MessageAnswer show(const Message& message) override
    {
        if (text.isEmpty())
            text = message.text;
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    QString text;
};

// Opens the close's database on `session` in the calling thread: the message of a failure, if any.
std::optional<QString> openDatabase(AppSession& session, const DbSettings& settings)
{
    CapturingMessenger messenger;
    if (OpenDatabase(session, messenger, settings))
        return std::nullopt;
    return messenger.text.isEmpty() ? QStringLiteral("数据库连接失败!") : messenger.text;
}

// PDF pages are painted with the program's fonts one document at a time.
std::mutex g_pdfMutex;

QString stateName(CloseItemState state)
{
    switch (state) {
    case CloseItemState::Waiting:
        return QStringLiteral("waiting");
    case CloseItemState::Running:
        return QStringLiteral("running");
    case CloseItemState::Done:
        return QStringLiteral("done");
    case CloseItemState::Failed:
        return QStringLiteral("failed");
    case CloseItemState::NotDone:
        break;
    }
    return QStringLiteral("not done");
}

QString dayText(const QDate& day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

int defaultCloseJobs()
{
    return std::clamp(QThread::idealThreadCount(), 1, 4);
}

QString safeFileName(const QString& name)
{
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name)
        safe += c.unicode() < 0x20 || c.unicode() == 0x7f || unsafe.contains(c) ? QChar(u'_') : c;
    qsizetype from = 0;
    qsizetype to = safe.size();
    auto trimmed = [](QChar c) { return c == QLatin1Char('.') || c.isSpace(); };
    while (from < to && trimmed(safe.at(from)))
        ++from;
    while (to > from && trimmed(safe.at(to - 1)))
        --to;
    safe = safe.mid(from, to - from);
    while (safe.toUtf8().size() > 200)
        safe.chop(safe.size() >= 2 && safe.at(safe.size() - 1).isLowSurrogate() ? 2 : 1);
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

CloseJob::CloseJob(CloseOptions options)
    : m_options(std::move(options))
{
}

void CloseJob::stop()
{
    m_stop = true;
    std::lock_guard lock(m_liveMutex);
    for (DbConnection* connection : m_live)
        connection->interrupt();
}

void CloseJob::attach(DbConnection* connection)
{
    std::lock_guard lock(m_liveMutex);
    m_live.push_back(connection);
    if (m_stop) // stopped while the connection was being opened
        connection->interrupt();
}

void CloseJob::detach(DbConnection* connection)
{
    std::lock_guard lock(m_liveMutex);
    m_live.erase(std::remove(m_live.begin(), m_live.end(), connection), m_live.end());
}

std::vector<CloseItem> CloseJob::items() const
{
    std::lock_guard lock(m_mutex);
    return m_items;
}

std::optional<CloseStop> CloseJob::listItems()
{
    if (m_options.startDate > m_options.endDate)
        return CloseStop { CloseStop::Kind::Refused, QStringLiteral("开始日期不能大于结束日期,请重新设定!") };
    AppSession session;
    if (auto refused = openDatabase(session, m_options.settings))
        return CloseStop { CloseStop::Kind::Database, *refused };
    std::vector<RegionEntry> regions;
    CategoryTable categories;
    DbStatus status = loadRegions(*session.connection, regions);
    if (!status)
        status = loadCategories(*session.connection, categories);
    if (status)
        return CloseStop { CloseStop::Kind::Database, reportErrorText(*status) };
    for (const QString& code : m_options.categoryCodes.value_or(QStringList()))
        if (std::none_of(categories.begin(), categories.end(), [&](const CategoryEntry& c) { return c.code == code; }))
            return CloseStop { CloseStop::Kind::Refused, QStringLiteral("报修类别 %1 不在类别列表中。").arg(code) };
    std::vector<RegionEntry> chosen;
    if (m_options.regionCodes.isEmpty())
        chosen = regions;
    for (const QString& code : m_options.regionCodes) {
        const auto found = std::find_if(regions.begin(), regions.end(), [&](const RegionEntry& r) { return r.code == code; });
        if (found == regions.end())
            return CloseStop { CloseStop::Kind::Refused, QStringLiteral("区域 %1 不存在。").arg(code) };
        chosen.push_back(*found);
    }
    if (!QDir().mkpath(m_options.outputFolder))
        return CloseStop { CloseStop::Kind::Output, QStringLiteral("无法建立输出文件夹 %1。").arg(m_options.outputFolder) };

    // two regions whose names differ only in characters a file name cannot hold get folders of their own
    std::set<QString> used;
    for (const RegionEntry& region : chosen) {
        const QString base = safeFileName(region.code + QLatin1Char(' ') + region.name);
        QString name = base;
        for (int n = 2; used.count(name.toCaseFolded()); ++n)
            name = base + QStringLiteral(" (%1)").arg(n);
        used.insert(name.toCaseFolded());
        for (ReportKind kind : m_options.reports) {
            CloseItem item;
            item.region = region;
            item.kind = kind;
            item.folder = QDir(m_options.outputFolder).filePath(name);
            m_items.push_back(item);
        }
    }
    return std::nullopt;
}

std::optional<CloseStop> CloseJob::run(const CloseCallbacks& callbacks)
{
    m_callbacks = callbacks;
    if (auto refused = listItems())
        return refused;
    if (m_callbacks.listed) {
        std::lock_guard lock(m_mutex);
        m_callbacks.listed(m_items);
    }
    const int jobs = std::clamp(m_options.jobs > 0 ? m_options.jobs : defaultCloseJobs(), 1,
                                std::max(1, int(m_items.size())));
    std::vector<std::thread> workers;
    for (int i = 0; i < jobs; ++i)
        workers.emplace_back([this] { work(); });
    for (std::thread& t : workers)
        t.join();

    const QString why = m_fatal ? QStringLiteral("未做：导出已中止。") : QStringLiteral("未做：已停止。");
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].state != CloseItemState::Waiting)
            continue;
        CloseItem item = m_items[i];
        item.state = CloseItemState::NotDone;
        item.message = why;
        setState(i, item);
    }
    writeRecords();
    return m_fatal;
}

void CloseJob::work()
{
    AppSession session;
    bool opened = false;
    for (;;) {
        if (m_stop)
            break;
        const std::size_t index = m_next++;
        if (index >= m_items.size())
            break;
        CloseItem item = items()[index];
        item.state = CloseItemState::Running;
        setState(index, item);
        if (!opened) {
            if (const auto refused = openDatabase(session, m_options.settings)) {
                item.state = CloseItemState::Failed;
                item.message = *refused;
                setState(index, item);
                continue;
            }
            opened = true;
            if (m_options.timeout)
                session.connection->holdCommandTimeout(*m_options.timeout);
            attach(session.connection.get());
        }
        runItem(*session.connection, item);
        setState(index, item);
    }
    if (opened)
        detach(session.connection.get());
}

void CloseJob::runItem(DbConnection& db, CloseItem& item)
{
    const Report& report = findReport(item.kind);
    const HeadlessRequest request { m_options.startDate, m_options.endDate, item.region.code, std::nullopt,
                               m_options.categoryCodes };
    HeadlessRun result;
    const std::optional<HeadlessFailure> failed = runHeadlessReport(db, report, request, result);
    if (failed && db.interrupted()) {
        item.state = CloseItemState::NotDone;
        item.message = QStringLiteral("未做：已停止。");
        return;
    }
    if (failed) {
        // the period and the categories were checked before the close began: what is refused
        // now is a region without offices or workers, which has nothing to report
        item.state = failed->kind == HeadlessFailure::Kind::Refused ? CloseItemState::Done : CloseItemState::Failed;
        item.message = failed->kind == HeadlessFailure::Kind::Refused ? QStringLiteral("未写出文件：") + failed->message
                                                                 : failed->message;
        return;
    }
    const ExportLayout layout = report.exportLayout();
    const ReportGrid& grid = result.grid;
    item.state = CloseItemState::Done;
    item.rows = std::max(0, grid.rows() - layout.headerRows - 1);
    if (grid.rows() == layout.guardRowCount) {
        item.message = QStringLiteral("表格中没有可导出的行，未写出工作簿。");
        return;
    }
    for (int c = 0; c < grid.cols(); ++c)
        item.totals << grid.text(grid.rows() - 1, c);

    const ExportContext context = headlessExportContext(report, result, m_options.today);
    const Sheet sheet = BuildSheet(layout, context);
    const QString base = QDir(item.folder).filePath(
        layout.defaultFileName(m_options.startDate, m_options.endDate, m_options.today));
    DbStatus written;
    QString target;
    if (!QDir().mkpath(item.folder)) {
        target = item.folder;
        written = DbError { kUnspecifiedError, QStringLiteral("无法建立文件夹") };
    } else {
        target = base + QStringLiteral(".xlsx");
        written = XlsxWorkbook(sheet).saveAs(target);
        if (!written)
            item.files << target;
        if (!written && m_options.pdf) {
            target = base + QStringLiteral(".pdf");
            std::lock_guard lock(g_pdfMutex);
            written = writeSheetPdf(sheet, target, context.title);
            if (!written)
                item.files << target;
        }
    }
    if (written) {
        // a file that cannot be written here will not be written for the next region either
        item.state = CloseItemState::Failed;
        item.message = QStringLiteral("无法写入 %1: %2").arg(target, written->description);
        fail(item.message);
    }
}

void CloseJob::setState(std::size_t index, const CloseItem& item)
{
    std::lock_guard lock(m_mutex);
    m_items[index] = item;
    if (m_callbacks.changed)
        m_callbacks.changed(int(index), item);
}

void CloseJob::fail(const QString& message)
{
    std::lock_guard lock(m_mutex);
    if (!m_fatal)
        m_fatal = CloseStop { CloseStop::Kind::Output, message };
    m_stop = true;
}

void CloseJob::writeRecords()
{
    std::map<QString, QJsonArray> byFolder;
    std::map<QString, RegionEntry> regionOf;
    for (const CloseItem& item : m_items) {
        QJsonObject entry;
        entry[QStringLiteral("report")] = reportName(item.kind);
        entry[QStringLiteral("title")] = findReport(item.kind).info().title;
        entry[QStringLiteral("region")] = item.region.text();
        entry[QStringLiteral("from")] = dayText(m_options.startDate);
        entry[QStringLiteral("to")] = dayText(m_options.endDate);
        entry[QStringLiteral("categories")] = m_options.categoryCodes
            ? QJsonValue(QJsonArray::fromStringList(*m_options.categoryCodes))
            : QJsonValue(QStringLiteral("all"));
        QJsonArray files;
        for (const QString& file : item.files)
            files.append(QFileInfo(file).fileName());
        entry[QStringLiteral("files")] = files;
        entry[QStringLiteral("rows")] = item.rows >= 0 ? QJsonValue(item.rows) : QJsonValue();
        entry[QStringLiteral("totals")] = QJsonArray::fromStringList(item.totals);
        entry[QStringLiteral("status")] = stateName(item.state);
        if (!item.message.isEmpty())
            entry[QStringLiteral("message")] = item.message;
        byFolder[item.folder].append(entry);
        regionOf[item.folder] = item.region;
    }
    for (const auto& [folder, entries] : byFolder) {
        QJsonObject record;
        record[QStringLiteral("region")] = regionOf[folder].text();
        record[QStringLiteral("from")] = dayText(m_options.startDate);
        record[QStringLiteral("to")] = dayText(m_options.endDate);
        record[QStringLiteral("made")] = dayText(m_options.today);
        record[QStringLiteral("items")] = entries;
        const QString target = QDir(folder).filePath(QStringLiteral("close.json"));
        OutputFile file;
        DbStatus written;
        if (!QDir().mkpath(folder))
            written = DbError { kUnspecifiedError, QStringLiteral("无法建立文件夹") };
        if (!written)
            written = file.open(target);
        if (!written)
            written = file.write(QJsonDocument(record).toJson());
        if (!written)
            written = file.commit();
        if (written && !m_fatal)
            m_fatal = CloseStop { CloseStop::Kind::Output, QStringLiteral("无法写入 %1: %2").arg(target, written->description) };
    }
}

} // namespace trellum
