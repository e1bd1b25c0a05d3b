#include "DemoDatabase.h"
#include "HeadlessRunner.h"
#include "RecordingMessenger.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <sys/stat.h>

using namespace trellum;

namespace {

// A poppler tool's standard output; empty when it failed.
QString popplerOutput(const QString& tool, const QStringList& arguments)
{
    QProcess p;
    p.start(tool, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of each page, laid out as printed.
QStringList pageTexts(const QString& pdf)
{
    QStringList pages = popplerOutput(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") })
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The ways a grid text may be printed: as it is, or as the number it is (in a numeric column's
// format, or plainly where the sheet gives it none, as a spreadsheet shows it).
QStringList printedForms(const QString& text)
{
    QStringList forms { text.trimmed() };
    bool number = false;
    const double v = text.toDouble(&number);
    if (number)
        forms << QString::number(v, 'f', 2) << QString::number(v, 'f', 0) << QString::number(v, 'g', 15);
    return forms;
}

// Whether one line holds every text of `cells`, left to right.
bool lineHoldsRow(const QString& line, const QJsonArray& cells)
{
    qsizetype at = 0;
    for (const QJsonValue& cell : cells) {
        if (cell.toString().trimmed().isEmpty())
            continue;
        qsizetype found = -1;
        for (const QString& form : printedForms(cell.toString()))
            if ((found = line.indexOf(form, at)) >= 0) {
                at = found + form.size();
                break;
            }
        if (found < 0)
            return false;
    }
    return true;
}

struct Run {
    int code = -1;
    test::RecordingMessenger messenger;
};

std::unique_ptr<Run> run(const QStringList& args)
{
    auto r = std::make_unique<Run>();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    r->code = runHeadless(QStringList { QStringLiteral("trellum-report") } + args, buffer, r->messenger);
    return r;
}

} // namespace

class TestReportPdf : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;

    QStringList reportArguments(const QString& report) const
    {
        return { "--report", report, "--from", "2026-01-01", "--to", "2026-11-30", "--region", "01",
                 "--today", "2026-12-01", "--db", m_db };
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils, scripts/install-deps.sh) is needed");
        // 30 workers in each of two regions: a ledger of several pages
        DemoDatabase::Options o;
        o.outPath = m_db = m_dir.filePath(QStringLiteral("demo.db"));
        o.orders = 4000;
        o.regions = 2;
        o.offices = 8;
        o.workers = 60;
        o.years = 1;
        DemoDatabase demo(o);
        const QString error = demo.write();
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    // Every grid row is printed on one line of a page, its texts in their order, and each page
    // carries its number and the count.
    void everyRowPrinted_data()
    {
        QTest::addColumn<QString>("report");
        for (const char* r : { "completion", "ledger", "performance", "monthend" })
            QTest::newRow(r) << QString::fromLatin1(r);
    }
    void everyRowPrinted()
    {
        QFETCH(QString, report);
        const QString json = m_dir.filePath(report + QStringLiteral(".json"));
        const QString pdf = m_dir.filePath(report + QStringLiteral(".pdf"));
        const auto r = run(reportArguments(report) << "--json" << json << "--pdf" << pdf);
        QCOMPARE(r->code, 0);
        QFile file(json);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject grid = QJsonDocument::fromJson(file.readAll()).object();
        const QJsonArray rows = grid[QStringLiteral("rows")].toArray();
        const int fixed = grid[QStringLiteral("fixedRows")].toInt();
        QVERIFY(rows.size() > fixed + 1);

        const QStringList pages = pageTexts(pdf);
        QVERIFY(!pages.isEmpty());
        QStringList lines;
        for (int i = 0; i < pages.size(); ++i) {
            // the extracted text drops the narrow blanks between the figures and the characters
            QVERIFY2(QString(pages[i]).remove(QRegularExpression(QStringLiteral("\\s")))
                         .contains(QStringLiteral("第%1页共%2页").arg(i + 1).arg(pages.size())),
                     qPrintable(QStringLiteral("page %1").arg(i + 1)));
            lines << pages[i].split(QLatin1Char('\n'));
        }
        for (int row = fixed; row < rows.size(); ++row) {
            const QJsonArray cells = rows[row].toArray();
            const bool printed = std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return lineHoldsRow(l, cells); });
            QVERIFY2(printed, qPrintable(QStringLiteral("grid row %1: %2").arg(row).arg(
                                  QString::fromUtf8(QJsonDocument(cells).toJson(QJsonDocument::Compact)))));
        }
    }

    // A ledger of several pages repeats its column header rows at the top of every page.
    void headerRowsOnEveryPage()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("headers.pdf"));
        const QString json = m_dir.filePath(QStringLiteral("headers.json"));
        QCOMPARE(run(reportArguments(QStringLiteral("ledger")) << "--json" << json << "--pdf" << pdf)->code, 0);
        QFile file(json);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject grid = QJsonDocument::fromJson(file.readAll()).object();
        const QJsonArray rows = grid[QStringLiteral("rows")].toArray();
        QStringList headers;
        for (int row = 0; row < grid[QStringLiteral("fixedRows")].toInt(); ++row)
            for (const QJsonValue& cell : rows[row].toArray())
                if (!cell.toString().trimmed().isEmpty() && !headers.contains(cell.toString().trimmed()))
                    headers << cell.toString().trimmed();
        QVERIFY(headers.contains(QStringLiteral("姓名")));
        const QStringList pages = pageTexts(pdf);
        QVERIFY2(pages.size() >= 3, qPrintable(QStringLiteral("%1 pages").arg(pages.size())));
        for (int i = 0; i < pages.size(); ++i)
            for (const QString& h : headers)
                QVERIFY2(pages[i].contains(h), qPrintable(QStringLiteral("page %1 lacks %2").arg(i + 1).arg(h)));
        // the title is printed once, on the first page
        QVERIFY(pages[0].contains(QStringLiteral("班组经济核算台账汇总表")));
        QVERIFY(!pages[1].contains(QStringLiteral("班组经济核算台账汇总表")));
    }

    // Every font of the document is embedded, a CJK one among them.
    void fontsEmbedded()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("fonts.pdf"));
        QCOMPARE(run(reportArguments(QStringLiteral("monthend")) << "--pdf" << pdf)->code, 0);
        const QStringList lines = popplerOutput(QStringLiteral("pdffonts"), { pdf }).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(lines.size() >= 3, "pdffonts lists at least one font");
        const qsizetype embColumn = lines[0].indexOf(QStringLiteral("emb"));
        QVERIFY(embColumn > 0);
        bool cjk = false;
        for (const QString& font : lines.mid(2)) {
            QVERIFY2(font.mid(embColumn, 3) == QStringLiteral("yes"), qPrintable(font));
            cjk = cjk || font.contains(QStringLiteral("WenQuanYi")) || font.contains(QStringLiteral("CJK"));
        }
        QVERIFY2(cjk, qPrintable(lines.join(QLatin1Char('\n'))));
    }

    // Output faults as for the workbook: exit 4 and a message, nothing destroyed, no stray file.
    void outputFaults_data()
    {
        QTest::addColumn<QString>("target"); // %1: the test folder
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("the database itself") << QStringLiteral("%1/demo.db") << 4 << QString();
        QTest::newRow("the database under a .pdf name") << QStringLiteral("%1/demo.pdf") << 4 << QString();
        QTest::newRow("a missing folder") << QStringLiteral("%1/missing/out.pdf") << 4 << QStringLiteral("错误码");
        QTest::newRow("a folder of that name") << QStringLiteral("%1/taken.pdf") << 4 << QStringLiteral("错误码");
        QTest::newRow("a device is written in place") << QStringLiteral("/dev/null") << 0 << QString();
    }
    void outputFaults()
    {
        QFETCH(QString, target);
        QFETCH(int, code);
        QFETCH(QString, message);
        QDir(m_dir.path()).mkpath(QStringLiteral("taken.pdf"));
        // "demo.pdf" names the database through a link: the base path + ".pdf" is what is refused
        QFile::link(m_db, m_dir.filePath(QStringLiteral("demo.pdf")));
        const QByteArray before = [&] {
            QFile f(m_db);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const QStringList entries = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const auto r = run(reportArguments(QStringLiteral("completion")) << "--pdf" << target.arg(m_dir.path()));
        QCOMPARE(r->code, code);
        if (code != 0)
            QVERIFY2(!r->messenger.messages.isEmpty() && r->messenger.texts().join(QLatin1Char('\n')).contains(message),
                     qPrintable(r->messenger.texts().join(QLatin1Char('\n'))));
        QFile db(m_db);
        QVERIFY(db.open(QIODevice::ReadOnly));
        QCOMPARE(db.readAll(), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entries);
        struct stat st {};
        QCOMPARE(::stat("/dev/null", &st), 0);
        QVERIFY(S_ISCHR(st.st_mode));
    }

    // A second PDF replaces the first only once complete; the file keeps its name.
    void replacesAnExistingFile()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("again.pdf"));
        QCOMPARE(run(reportArguments(QStringLiteral("performance")) << "--pdf" << m_dir.filePath(QStringLiteral("again.xlsx")))->code, 0);
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(run(reportArguments(QStringLiteral("performance")) << "--pdf" << pdf)->code, 0);
        QVERIFY(pageTexts(pdf).first().contains(QStringLiteral("维修工考绩汇总表")));
        QCOMPARE(QDir(m_dir.path()).entryList({ QStringLiteral(".*part*") }, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_MAIN(TestReportPdf)
#include "test_reportpdf.moc"
