// trellum-demo-db: writes the embedded demo database. See --help.

#include "DemoDatabase.h"
#include "PartFileRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cstdio>
#include <limits>

using trellum::DemoDatabase;

namespace {

constexpr int ExitWritten = 0;
constexpr int ExitFailed = 1;
constexpr int ExitBadOptions = 2;

// The usage text.
QString usage()
{
    return QStringLiteral(
               "Usage: trellum-demo-db --out FILE [options]\n"
               "Writes the embedded demo database (SQLite): every table of the schema with realistic data, then the\n"
               "indexes. The file is built in a hidden part file beside FILE and renamed to FILE once complete, replacing\n"
               "it; a symbolic link is followed, a device or a named pipe is sent the finished file in place. The same\n"
               "options always give the same file.\n"
               "  --out FILE        the database file to write (required)\n"
               "  --orders N        work orders, 1 to %1 (default 20000)\n"
               "  --regions N       regions, 1 to %2 (default 4)\n"
               "  --offices N       management offices in all, at least one and at most %3 per region (default 16)\n"
               "  --workers N       repair workers in all, at least one per region, at most %4 (default 24)\n"
               "  --categories N    repair categories, 2 to %5; the last one has ended (default 8)\n"
               "  --years N         years of orders up to the last day, 1 to %6 (default 2)\n"
               "  --end YYYY-MM-DD  last day of the data (default 2026-11-30)\n"
               "  --seed N          seed of the data, 0 to 18446744073709551615 (default 1)\n"
               "  --no-indexes      leave the indexes out\n"
               "  --help            show this text\n"
               "Options may also be written --name=value.\n"
               "Exit status: 0 written, 1 the file could not be written, 2 bad options (nothing is written).\n")
        .arg(DemoDatabase::MaxOrders)
        .arg(DemoDatabase::MaxRegions)
        .arg(DemoDatabase::MaxOfficesPerRegion)
        .arg(DemoDatabase::MaxWorkers)
        .arg(DemoDatabase::MaxCategories)
        .arg(DemoDatabase::MaxYears);
}

// Reads the arguments (without the program name) into options; returns an empty text when they
// are usable, else the reason they are refused. --help sets *help and skips the checks.
QString parseArguments(const QStringList& args, DemoDatabase::Options* options, bool* help)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,20}$"));
    static const QStringList valued{ QStringLiteral("--out"),     QStringLiteral("--orders"),
                                     QStringLiteral("--regions"), QStringLiteral("--offices"),
                                     QStringLiteral("--workers"), QStringLiteral("--categories"),
                                     QStringLiteral("--years"),   QStringLiteral("--end"),
                                     QStringLiteral("--seed") };
    DemoDatabase::Options o;
    QSet<QString> seen;
    *help = false;
    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i];
        QString value;
        bool inlineValue = false;
        const int eq = name.indexOf(QLatin1Char('='));
        if (name.startsWith(QLatin1String("--")) && eq > 2) {
            value = name.mid(eq + 1);
            name.truncate(eq);
            inlineValue = true;
        }
        if ((name == QLatin1String("--help") || name == QLatin1String("-h")) && !inlineValue) {
            *help = true;
            return QString();
        }
        if (!valued.contains(name) && name != QLatin1String("--no-indexes"))
            return name.startsWith(QLatin1Char('-')) ? QStringLiteral("unknown option %1").arg(name)
                                                     : QStringLiteral("unexpected argument \"%1\"").arg(name);
        if (seen.contains(name))
            return QStringLiteral("%1 is given twice").arg(name);
        seen.insert(name);
        if (name == QLatin1String("--no-indexes")) {
            if (inlineValue)
                return QStringLiteral("--no-indexes takes no value");
            o.indexes = false;
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size())
                return QStringLiteral("%1 needs a value").arg(name);
            value = args[++i];
        }
        if (name == QLatin1String("--out")) {
            o.outPath = value;
            continue;
        }
        if (name == QLatin1String("--end")) {
            o.end = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
            if (value.size() != 10 || !o.end.isValid())
                return QStringLiteral("--end needs a date YYYY-MM-DD, not \"%1\"").arg(value);
            continue;
        }
        bool ok = digits.match(value).hasMatch();
        const quint64 number = ok ? value.toULongLong(&ok) : 0;
        if (!ok)
            return QStringLiteral("%1 needs a whole number, not \"%2\"").arg(name, value);
        if (name == QLatin1String("--seed")) {
            o.seed = number;
            continue;
        }
        if (name == QLatin1String("--orders") && number <= quint64(std::numeric_limits<qint64>::max())) {
            o.orders = qint64(number);
            continue;
        }
        if (number > quint64(std::numeric_limits<int>::max()))
            return QStringLiteral("%1 is out of range: %2").arg(name, value);
        const int n = int(number);
        if (name == QLatin1String("--regions"))
            o.regions = n;
        else if (name == QLatin1String("--offices"))
            o.offices = n;
        else if (name == QLatin1String("--workers"))
            o.workers = n;
        else if (name == QLatin1String("--categories"))
            o.categories = n;
        else
            o.years = n;
    }
    const QString refused = DemoDatabase::validate(o);
    if (refused.isEmpty())
        *options = o;
    return refused;
}

void print(std::FILE* to, const QString& text)
{
    std::fputs(text.toUtf8().constData(), to);
}

} // namespace

int main(int argc, char* argv[])
{
    trellum::PartFileRegistry::installSignalCleanup();
    QCoreApplication app(argc, argv);
    DemoDatabase::Options options;
    bool help = false;
    const QString refused = parseArguments(app.arguments().mid(1), &options, &help);
    if (help) {
        print(stdout, usage());
        return ExitWritten;
    }
    if (!refused.isEmpty()) {
        print(stderr, QStringLiteral("trellum-demo-db: %1\n(see trellum-demo-db --help)\n").arg(refused));
        return ExitBadOptions;
    }

    QElapsedTimer timer;
    timer.start();
    DemoDatabase database(options);
    const QString error = database.write();
    if (!error.isEmpty()) {
        print(stderr, QStringLiteral("trellum-demo-db: %1\n").arg(error));
        return ExitFailed;
    }
    const double seconds = double(timer.elapsed()) / 1000.0;
    const DemoDatabase::Summary& s = database.summary();
    const qint64 bytes = QFileInfo(options.outPath).size();

    print(stdout,
          QStringLiteral("Demo logins (工号 / 密码):\n"
                         "  1001 / 1234  张伟  one position: 维修部 调度员(主要)\n"
                         "  1002 / 1234  李娜  three positions: 维修部 水电工(主要), 维修部 木工(兼职), 客服部 接待员(兼职)\n"
                         "  1003 / 1234  王强  has left the company: refused\n"
                         "  repair workers 0011 to %1 / 1234\n")
              .arg(11 + options.workers - 1, 4, 10, QLatin1Char('0')));
    print(stdout,
          QStringLiteral("Wrote %1: %2 MB in %3 s (seed %4%5)\n"
                         "  %6 regions, %7 offices, %8 workers, %9 categories, %10 rooms, %11 employees\n"
                         "  %12 orders reported %13 to %14, %15 labour items\n")
              .arg(options.outPath)
              .arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1)
              .arg(seconds, 0, 'f', 2)
              .arg(options.seed)
              .arg(options.indexes ? QString() : QStringLiteral(", no indexes"))
              .arg(options.regions)
              .arg(options.offices)
              .arg(options.workers)
              .arg(options.categories)
              .arg(s.rooms)
              .arg(s.employees)
              .arg(s.orders)
              .arg(s.firstDay.toString(Qt::ISODate), s.lastDay.toString(Qt::ISODate))
              .arg(s.labourItems));
    return ExitWritten;
}
