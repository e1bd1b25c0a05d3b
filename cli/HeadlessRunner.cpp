#include "HeadlessRunner.h"

#include "AppSession.h"
#include "CloseCommand.h"
#include "GridDocuments.h"
#include "OutputFile.h"
#include "ProgramInfo.h"
#include "PdfExport.h"
#include "ReportCatalog.h"
#include "ReportInfo.h"
#include "ReportRun.h"
#include "SpreadsheetExport.h"

#include <QCommandLineParser>

#include <algorithm>
#include <memory>
#include <vector>

namespace trellum {

namespace {

const char* const kHelp =
    "Runs one of Trellum's reports without windows and writes its grid.\n\n"
    "  --report completion|ledger|performance|monthend   the report\n"
    "  --from YYYY-MM-DD --to YYYY-MM-DD                 the period (both days included)\n"
    "  --region CODE                                     the region (区域编号)\n"
    "  --db FILE          the embedded SQLite database; without it the user's database settings\n"
    "  --offices all|C1,C2,...    completion, monthend: the ticked offices (default all)\n"
    "  --workers all|C1,C2,...    ledger, performance: the ticked workers (default all)\n"
    "  --categories all|C1,C2,...  the ticked repair categories (default all)\n"
    "  --today YYYY-MM-DD  the day of file names and footers (default: today)\n"
    "  --remark TEXT      the month-end's remark box\n"
    "  --json FILE|-      the grid as JSON (the default, to standard output, when no output is named)\n"
    "  --csv FILE|-       the grid rows as CSV (RFC 4180, UTF-8; a file begins with a UTF-8 byte-order mark;\n"
    "                     a text cell beginning with = + - @, a tab or a carriage return gets an apostrophe\n"
    "                     before it, so that a spreadsheet program does not take it for a formula)\n"
    "  --bom              the byte-order mark on standard output's CSV too\n"
    "  --xlsx PATH        export the workbook as the export button does with PATH chosen\n"
    "  --pdf PATH         the printed pages as a PDF, as the PDF button does with PATH chosen\n"
    "  --details ROW,COL  instead of the grid, the list of the orders behind the figure in that cell (row\n"
    "                     and column numbered from 0 as in the JSON grid's rows, header rows included),\n"
    "                     as JSON (the default) or CSV, with the figure computed from the list\n"
    "  --timeout SECONDS  the time-out of every statement of the run (0 = none; default: each report's own)\n"
    "  --verbose          the Qt library's own warnings on standard error too\n"
    "  --version          the program's version\n\n"
    "trellum-report --close --from YYYY-MM-DD --to YYYY-MM-DD --out DIR [--regions all|R1,R2,...]\n"
    "    [--reports all|completion,ledger,performance,monthend] [--categories all|C1,C2,...] [--jobs N] [--pdf]\n"
    "    [--db FILE] [--today YYYY-MM-DD] [--timeout SECONDS]\n"
    "  the month-end close: every chosen report of every chosen region (default: all of them), every\n"
    "  office or worker ticked, written as the export button writes it into DIR/<region code> <region name>/\n"
    "  under the name the save dialog offers (with its PDF beside it with --pdf), and a close.json\n"
    "  per region listing each report's file, row count, totals line and status. --jobs N runs N\n"
    "  regions' reports at once, each on a connection of its own (default: the cores, at most 4).\n"
    "  One line per file or failure on standard error as it goes; an item that fails does not stop\n"
    "  the others, a file that cannot be written stops the close (completed files stay).\n\n"
    "'all' ticks the tree's root (every office or worker of the region) and every category in use.\n"
    "With '-' standard output carries that document alone; messages go to standard error.\n"
    "No two outputs may name the same file.\n"
    "Exit status: 0 success; 2 bad arguments or refused criteria; 3 database error (with --close: any\n"
    "item failed); 4 export error.\n";

struct Failure {
    int code;
    QString message;
};

// No one answers the export's buttons and progress bar here.
class SilentHost : public ExportHost {
public:
    void setCommandButtonsVisible(bool) override {}
    void showProgress(int, int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
};

std::optional<ReportKind> parseKind(const QString& name)
{
    for (ReportKind k : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd })
        if (reportName(k) == name)
            return k;
    return std::nullopt;
}

// One text document on its way to its file or to standard output ("-").
struct Document {
    QString target;
    QByteArray data;
};

// Writes the documents as every output is written (OutputFile): each file's part file is written
// first, then standard output, and only then are the part files moved over their targets, so a
// failure while anything is written (a full disk, a closed pipe) leaves every earlier file as it
// was. Returns the failure's message, if any.
std::optional<QString> writeDocuments(const std::vector<Document>& documents, QIODevice& out)
{
    auto failure = [](const QString& target, const QString& why) {
        return QStringLiteral("无法写入 ") + target + QStringLiteral(": ") + why;
    };
    std::vector<std::unique_ptr<OutputFile>> files;
    for (const Document& d : documents) {
        if (d.target == QLatin1String("-"))
            continue;
        auto file = std::make_unique<OutputFile>();
        if (const auto error = file->open(d.target))
            return failure(d.target, error->description);
        if (const auto error = file->write(d.data))
            return failure(d.target, error->description);
        files.push_back(std::move(file));
    }
    for (const Document& d : documents)
        if (d.target == QLatin1String("-") && out.write(d.data) != d.data.size())
            return failure(QStringLiteral("标准输出"), out.errorString());
    std::size_t i = 0;
    for (const Document& d : documents) {
        if (d.target == QLatin1String("-"))
            continue;
        if (const auto error = files[i++]->commit())
            return failure(d.target, error->description);
    }
    return std::nullopt;
}

// The files the run's outputs name, with their options: the workbook under the name it is given.
std::vector<std::pair<QString, QString>> outputTargets(const QCommandLineParser& parser)
{
    std::vector<std::pair<QString, QString>> targets;
    for (const char* option : { "json", "csv" })
        if (parser.isSet(QString::fromLatin1(option)) && parser.value(QString::fromLatin1(option)) != QLatin1String("-"))
            targets.emplace_back(QString::fromLatin1(option), parser.value(QString::fromLatin1(option)));
    if (parser.isSet("xlsx"))
        targets.emplace_back(QStringLiteral("xlsx"), exportBasePath(parser.value("xlsx")) + QStringLiteral(".xlsx"));
    if (parser.isSet("pdf"))
        targets.emplace_back(QStringLiteral("pdf"), exportBasePath(parser.value("pdf")) + QStringLiteral(".pdf"));
    return targets;
}

// Two outputs that would be written to one file (or both to standard output), one of them lost:
// the message refusing them, if any.
std::optional<QString> sameOutputTwice(const QCommandLineParser& parser)
{
    if (parser.value("json") == QLatin1String("-") && parser.value("csv") == QLatin1String("-"))
        return QStringLiteral("--json - 与 --csv - 不能同时写到标准输出。");
    const auto targets = outputTargets(parser);
    for (std::size_t i = 0; i < targets.size(); ++i)
        for (std::size_t j = i + 1; j < targets.size(); ++j)
            if (OutputFile::sameFile(targets[i].second, targets[j].second))
                return QStringLiteral("--%1 与 --%2 指向同一个文件 %3，其中一个会丢失。")
                    .arg(targets[i].first, targets[j].first, targets[j].second);
    return std::nullopt;
}

// Writes the --json document and the --csv rows of `grid` the options ask for (the JSON to standard
// output when `jsonByDefault` and no --json is named); false after saying why one failed.
bool writeTextOutputs(const QCommandLineParser& parser, const QByteArray& json, const ReportGrid& grid, bool jsonByDefault,
                      QIODevice& out, Messenger& messenger)
{
    std::vector<Document> documents;
    if (parser.isSet("json") || jsonByDefault)
        documents.push_back({ parser.isSet("json") ? parser.value("json") : QStringLiteral("-"), json });
    if (parser.isSet("csv"))
        documents.push_back({ parser.value("csv"),
                              gridCsv(grid, parser.value("csv") != QLatin1String("-") || parser.isSet("bom")) });
    if (const std::optional<QString> failed = writeDocuments(documents, out)) {
        inform(messenger, kReportMessageTitle, *failed);
        return false;
    }
    return true;
}

// Writes the list of the orders behind one cell of the run's grid, as --json or --csv ask.
int writeDetail(const Report& report, const RunInput& input, const ReportGrid& grid, std::pair<int, int> cell,
                DbConnection& db, const QCommandLineParser& parser, QIODevice& out, Messenger& messenger)
{
    auto say = [&](const QString& text) { inform(messenger, kReportMessageTitle, text); };
    const std::optional<CellDetail> detail = report.cellDetail(input, grid, cell.first, cell.second);
    if (!detail) {
        say(QStringLiteral("第 %1 行第 %2 列不是由任务单得出的数字，没有明细。").arg(cell.first).arg(cell.second));
        return kExitRefused;
    }
    DetailTable table;
    if (const DbStatus s = readDetail(db, *detail, table)) {
        say(reportErrorText(*s));
        return kExitDatabase;
    }
    const ReportGrid list = detailGrid(*detail, table);
    const QByteArray json = detailJson(detailTitle(*detail, input.criteria), detailFigure(*detail, table), list);
    return writeTextOutputs(parser, json, list, !parser.isSet("csv"), out, messenger) ? kExitOk : kExitExport;
}

} // namespace

std::optional<RunDays> parseDays(const QCommandLineParser& parser, Messenger& messenger)
{
    auto day = [](const QString& text) {
        const QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        return d.isValid() && text.size() == 10 ? std::optional<QDate>(d) : std::nullopt;
    };
    const std::optional<QDate> from = day(parser.value("from"));
    const std::optional<QDate> to = day(parser.value("to"));
    const std::optional<QDate> today = parser.isSet("today") ? day(parser.value("today")) : QDate::currentDate();
    if (!from || !to || !today) {
        inform(messenger, kReportMessageTitle, QStringLiteral("日期必须写成 YYYY-MM-DD 形式的有效日期。"));
        return std::nullopt;
    }
    return RunDays { *from, *to, *today };
}

int runHeadless(const QStringList& arguments, QIODevice& out, Messenger& messenger)
{
    auto say = [&](const QString& text) { inform(messenger, kReportMessageTitle, text); };

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kHelp));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QStringList valued = { "report", "from", "to", "region", "db", "offices", "workers", "categories",
                                 "today", "remark", "json", "csv", "xlsx", "timeout", "pdf", "details" };
    for (const QString& name : valued)
        parser.addOption(QCommandLineOption(name, name, name));
    const QCommandLineOption help(QStringList { "help", "h" }, QStringLiteral("this text"));
    parser.addOption(help);
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("the program's version"));
    parser.addOption(version);
    for (const char* flag : { "bom", "verbose", "close" })
        parser.addOption(QCommandLineOption(QString::fromLatin1(flag), QString::fromLatin1(flag)));
    if (asksForClose(arguments) && !arguments.contains(QStringLiteral("--help")) && !arguments.contains(QStringLiteral("-h")))
        return runClose(arguments, messenger);
    if (!parser.parse(arguments)) {
        say(parser.errorText() + QStringLiteral("\n(trellum-report --help lists the options)"));
        return kExitRefused;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        const QByteArray text = parser.isSet(help) ? QByteArray(kHelp)
                                                   : versionLine(QStringLiteral("trellum-report")).toUtf8() + '\n';
        if (out.write(text) != text.size()) {
            say(QStringLiteral("无法写入 标准输出: ") + out.errorString());
            return kExitExport;
        }
        return kExitOk;
    }
    if (!parser.positionalArguments().isEmpty()) {
        say(QStringLiteral("未知的参数: ") + parser.positionalArguments().join(QLatin1Char(' ')));
        return kExitRefused;
    }
    for (const char* required : { "report", "from", "to", "region" }) {
        if (!parser.isSet(QString::fromLatin1(required))) {
            say(QStringLiteral("缺少参数 --%1 (trellum-report --help lists the options)").arg(QString::fromLatin1(required)));
            return kExitRefused;
        }
    }
    const std::optional<ReportKind> kind = parseKind(parser.value("report"));
    if (!kind) {
        say(QStringLiteral("未知的报表: %1 (completion, ledger, performance, monthend)").arg(parser.value("report")));
        return kExitRefused;
    }
    const Report& report = findReport(*kind);
    const std::optional<RunDays> days = parseDays(parser, messenger);
    if (!days)
        return kExitRefused;
    const bool workers = report.info().treeOfWorkers();
    const char* treeOption = workers ? "workers" : "offices";
    if (parser.isSet(workers ? "offices" : "workers")) {
        say(QStringLiteral("报表 %1 不使用 --%2。").arg(reportName(*kind), QString::fromLatin1(workers ? "offices" : "workers")));
        return kExitRefused;
    }
    if (parser.isSet("remark") && *kind != ReportKind::MonthEnd) {
        say(QStringLiteral("--remark 只用于 monthend。"));
        return kExitRefused;
    }

    std::optional<int> timeout;
    if (parser.isSet("timeout")) {
        bool ok = false;
        const QString text = parser.value("timeout");
        const int seconds = text.toInt(&ok);
        if (!ok || seconds < 0 || seconds > 86400 || text.startsWith(QLatin1Char('+'))) {
            say(QStringLiteral("--timeout 应为 0 到 86400 的整数秒数 (0 = 不限)，现为 \"%1\"。").arg(text));
            return kExitRefused;
        }
        timeout = seconds;
    }
    std::optional<std::pair<int, int>> detailCell;
    if (parser.isSet("details")) {
        const QStringList parts = parser.value("details").split(QLatin1Char(','));
        bool rowOk = false, colOk = false;
        const int row = parts.value(0).toInt(&rowOk);
        const int col = parts.value(1).toInt(&colOk);
        if (parts.size() != 2 || !rowOk || !colOk || row < 0 || col < 0) {
            say(QStringLiteral("--details 应为 行,列 (从 0 起的两个整数)，现为 \"%1\"。").arg(parser.value("details")));
            return kExitRefused;
        }
        if (parser.isSet("xlsx") || parser.isSet("pdf")) {
            say(QStringLiteral("--details 的明细只写成 JSON 或 CSV (--json, --csv)。"));
            return kExitRefused;
        }
        detailCell = { row, col };
    }
    if (const auto clash = sameOutputTwice(parser)) {
        say(*clash);
        return kExitRefused;
    }

    // the connection: the named embedded file, or the user's settings
    AppSession session;
    const bool connected = parser.isSet("db")
        ? OpenDatabase(session, messenger, QString(), QString(), QString(), QStringLiteral("sqlite:") + parser.value("db"))
        : ConnectFromSettings(session, messenger);
    if (!connected)
        return kExitDatabase;
    DbConnection& db = *session.connection;
    if (timeout)
        db.holdCommandTimeout(*timeout);

    // no output may be written over the database being read, by whatever path it is named
    for (const auto& [option, target] : outputTargets(parser)) {
        if (const auto refused = OutputFile::refusal(target)) {
            say(refused->description);
            return kExitExport;
        }
    }

    // the filter panel as the window would hold it: "all" ticks the tree's root and every category
    auto listed = [&](const char* option) -> std::optional<QStringList> {
        const QString name = QString::fromLatin1(option);
        if (!parser.isSet(name) || parser.value(name) == QLatin1String("all"))
            return std::nullopt;
        return parser.value(name).split(QLatin1Char(','));
    };
    const HeadlessRequest request { days->from, days->to, parser.value("region"), listed(treeOption), listed("categories") };
    HeadlessRun result;
    if (const auto failed = runHeadlessReport(db, report, request, result)) {
        say(failed->message);
        return failed->kind == HeadlessFailure::Kind::Refused ? kExitRefused : kExitDatabase;
    }
    const ReportGrid& grid = result.grid;
    const TypeAnalysis& boxes = result.boxes;

    if (detailCell)
        return writeDetail(report, RunInput { result.criteria, true, result.categories }, grid, *detailCell, db, parser, out,
                           messenger);

    const std::optional<TypeAnalysis> shownBoxes = *kind == ReportKind::MonthEnd ? std::optional(boxes) : std::nullopt;
    const bool anyOutput = parser.isSet("json") || parser.isSet("csv") || parser.isSet("xlsx") || parser.isSet("pdf");
    if (!writeTextOutputs(parser, gridJson(reportName(*kind), grid, shownBoxes), grid, !anyOutput, out, messenger))
        return kExitExport;
    if (parser.isSet("xlsx") || parser.isSet("pdf")) {
        const ExportLayout layout = report.exportLayout();
        if (grid.rows() == layout.guardRowCount) {
            say(parser.isSet("pdf") ? QStringLiteral("表格中没有可导出的行，未写出工作簿或 PDF。")
                                    : QStringLiteral("表格中没有可导出的行，未写出工作簿。"));
            return kExitExport;
        }
        const ExportContext context = headlessExportContext(report, result, days->today, parser.value("remark"));
        SilentHost host;
        if (parser.isSet("xlsx") && !WriteWorkbook(layout, context, parser.value("xlsx"), host, messenger))
            return kExitExport;
        if (parser.isSet("pdf") && !WritePdf(layout, context, parser.value("pdf"), host, messenger))
            return kExitExport;
    }
    return kExitOk;
}

} // namespace trellum
