#include "CloseCommand.h"

#include "CloseJob.h"
#include "HeadlessRunner.h"

#include <QCommandLineParser>
#include <QDir>

#include <optional>

namespace trellum {

namespace {

// A comma-separated list, or nullopt for "all" or no option.
std::optional<QStringList> listed(const QCommandLineParser& parser, const QString& option)
{
    if (!parser.isSet(option) || parser.value(option) == QLatin1String("all"))
        return std::nullopt;
    return parser.value(option).split(QLatin1Char(','));
}

} // namespace

bool asksForClose(const QStringList& arguments)
{
    return arguments.contains(QStringLiteral("--close")) || arguments.contains(QStringLiteral("-close"));
}

int runClose(const QStringList& arguments, Messenger& messenger)
{
    auto say = [&](const QString& text) { inform(messenger, kReportMessageTitle, text); };
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* name : { "from", "to", "out", "regions", "reports", "categories", "jobs", "db", "today", "timeout" })
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(name), QString::fromLatin1(name)));
    for (const char* flag : { "close", "pdf", "verbose" })
        parser.addOption(QCommandLineOption(QString::fromLatin1(flag), QString::fromLatin1(flag)));
    if (!parser.parse(arguments)) {
        say(parser.errorText() + QStringLiteral("\n(trellum-report --help lists the options)"));
        return kExitRefused;
    }
    if (!parser.positionalArguments().isEmpty()) {
        say(QStringLiteral("未知的参数: ") + parser.positionalArguments().join(QLatin1Char(' ')));
        return kExitRefused;
    }
    for (const char* required : { "from", "to", "out" }) {
        if (!parser.isSet(QString::fromLatin1(required))) {
            say(QStringLiteral("缺少参数 --%1 (trellum-report --help lists the options)").arg(QString::fromLatin1(required)));
            return kExitRefused;
        }
    }
    CloseOptions options;
    const std::optional<RunDays> days = parseDays(parser, messenger);
    if (!days)
        return kExitRefused;
    options.startDate = days->from;
    options.endDate = days->to;
    options.today = days->today;
    options.outputFolder = parser.value("out");
    options.regionCodes = listed(parser, QStringLiteral("regions")).value_or(QStringList());
    options.categoryCodes = listed(parser, QStringLiteral("categories"));
    options.pdf = parser.isSet("pdf");
    const QStringList allReports = { "completion", "ledger", "performance", "monthend" };
    for (const QString& name : listed(parser, QStringLiteral("reports")).value_or(allReports)) {
        const qsizetype i = allReports.indexOf(name);
        if (i < 0) {
            say(QStringLiteral("未知的报表: %1 (completion, ledger, performance, monthend)").arg(name));
            return kExitRefused;
        }
        options.reports.push_back(ReportKind(i));
    }
    // a whole number from `minimum` to `maximum`, or a refusal naming the option
    auto number = [&](const QString& option, int minimum, int maximum) -> std::optional<int> {
        bool ok = false;
        const QString text = parser.value(option);
        const int value = text.toInt(&ok);
        if (ok && value >= minimum && value <= maximum && !text.startsWith(QLatin1Char('+')))
            return value;
        say(QStringLiteral("--%1 应为 %2 到 %3 的整数，现为 \"%4\"。").arg(option).arg(minimum).arg(maximum).arg(text));
        return std::nullopt;
    };
    if (parser.isSet("jobs")) {
        const std::optional<int> jobs = number(QStringLiteral("jobs"), 1, 64);
        if (!jobs)
            return kExitRefused;
        options.jobs = *jobs;
    }
    if (parser.isSet("timeout")) {
        options.timeout = number(QStringLiteral("timeout"), 0, 86400);
        if (!options.timeout)
            return kExitRefused;
    }
    if (parser.isSet("db")) {
        options.settings.Svr = QStringLiteral("sqlite:") + parser.value("db");
    } else {
        QString problem;
        options.settings = readDbSettings(QString(), &problem);
        if (!problem.isEmpty()) {
            say(QStringLiteral("错误信息：") + problem);
            return kExitDatabase;
        }
    }

    CloseJob job(options);
    int failed = 0;
    CloseCallbacks callbacks;
    callbacks.changed = [&](int, const CloseItem& item) {
        const QString what = item.region.text() + QLatin1Char(' ') + reportName(item.kind);
        if (item.state == CloseItemState::Failed)
            ++failed;
        if (item.state == CloseItemState::Failed || (item.state == CloseItemState::Done && item.files.isEmpty()))
            say((item.state == CloseItemState::Failed ? QStringLiteral("失败 ") : QStringLiteral("完成 ")) + what
                + QStringLiteral(": ") + item.message);
        if (item.state == CloseItemState::Done)
            for (const QString& file : item.files)
                say(QStringLiteral("完成 ") + QDir::toNativeSeparators(file));
    };
    const std::optional<CloseStop> stop = job.run(callbacks);
    if (stop) {
        say(stop->message);
        switch (stop->kind) {
        case CloseStop::Kind::Refused:
            return kExitRefused;
        case CloseStop::Kind::Database:
            return kExitDatabase;
        case CloseStop::Kind::Output:
            return kExitExport;
        }
    }
    return failed > 0 ? kExitDatabase : kExitOk;
}

} // namespace trellum
