// Extremes: a fifty-year period, a start after the end (refused before any statement), a region
// with hundreds of offices and workers, categories with very long names, empty tables, and a grid
// of 20,000 rows that the window scrolls through and the export writes whole.

#include "FilterPanel.h"
#include "FixtureDb.h"
#include "FlexGrid.h"
#include "ReportDriver.h"
#include "ReportCatalog.h"
#include "ReportWindow.h"
#include "WorkerText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

const ReportKind kKinds[] = { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd };

// Region 01 with `offices` offices (0001...) and `workers` workers (9001...), categories 1 to 3
// with names of `nameLength` characters; each office gets one order a year from `firstYear` on,
// closed on the day it was reported, done by worker (office % workers).
void fillRegion(FixtureDb& db, int offices, int workers, int years, int firstYear, int nameLength = 1)
{
    db.exec(QStringLiteral("BEGIN"));
    db.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
    db.addRegion(QStringLiteral("02"), QStringLiteral("西区"));
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                           "INSERT INTO 区域对应管理处 SELECT '01', printf('%04d', i) FROM n")
                .arg(offices));
    db.exec(QStringLiteral("INSERT INTO 设置管理处 SELECT 管理处码, '小区' || 管理处码, NULL FROM 区域对应管理处"));
    for (int w = 0; w < workers; ++w)
        db.addWorker(QStringLiteral("01"), QString::number(9001 + w), QStringLiteral("工人%1").arg(w), QStringLiteral("03 水电工"));
    const QChar marks[3] = { QChar(0x7535), QChar(0x6C34), QChar(0x6728) }; // 电 水 木
    for (int c = 0; c < 3; ++c)
        db.addCategory(QString::number(c + 1), QString(nameLength, marks[c]));
    if (years > 0)
        db.exec(QStringLiteral("WITH RECURSIVE y(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM y WHERE k < %1) "
                           "INSERT INTO PG派工单 (管理处, 区域DH, 报修类别编号, 报修时间, 报修方式, 销单日期, 是否销单, 维修完成,"
                           " 维修情况, 维修项目, 是否回访, 回访验收结果, 维修人, 材料费, 人工费) "
                           "SELECT 管理处码, '01', CAST(1 + (k + 区域对应管理处.rowid) % 3 AS TEXT), printf('%04d-06-15 09:00:00', %2 + k), '电话',"
                           " printf('%04d-06-15 17:00:00', %2 + k), 1, 1, '已完成', '室内', 1, 1,"
                           " CAST(9001 + (CAST(管理处码 AS INTEGER) - 1) % %3 AS TEXT), 12.5, 30"
                           " FROM 区域对应管理处, y")
                .arg(years - 1)
                .arg(firstYear)
                .arg(workers));
    db.exec(QStringLiteral("INSERT INTO pg维修人工费清单 SELECT 编号, 2, 1.5 FROM PG派工单"));
    db.exec(QStringLiteral("COMMIT"));
}

int rowOf(const GridRun& run, int col, const QString& text)
{
    for (std::size_t r = 0; r < run.rows.size(); ++r)
        if (run.rows[r].value(col) == text)
            return int(r);
    return -1;
}

QStringList headless(ReportKind kind, const QString& db, const QDate& from, const QDate& to, const QStringList& more = {})
{
    return QStringList { "--report", reportName(kind), "--from", from.toString(Qt::ISODate), "--to", to.toString(Qt::ISODate),
                         "--region", "01", "--db", db, "--json", "-" }
        + more;
}

// Column B of the sheet read back: how many cells hold a text, and what the given row holds.
QStringList readColumnB(const QString& path, int row)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            { QStringLiteral("-c"),
              QStringLiteral("import openpyxl, sys\n"
                             "ws = openpyxl.load_workbook(sys.argv[1], read_only=True).worksheets[0]\n"
                             "values = [r[0] for r in ws.iter_rows(min_col=2, max_col=2, values_only=True)]\n"
                             "print(sum(1 for v in values if v not in (None, '')))\n"
                             "print(values[int(sys.argv[2]) - 1])\n"),
              path, QString::number(row) });
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
}

} // namespace

class ExtremesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fiftyYearPeriod_data()
    {
        QTest::addColumn<ReportKind>("kind");
        for (ReportKind kind : kKinds)
            QTest::newRow(qPrintable(reportName(kind))) << kind;
    }

    void fiftyYearPeriod()
    {
        QFETCH(ReportKind, kind);
        FixtureDb db;
        fillRegion(db, 3, 2, 50, 1976);
        db.close();
        const QDate from(1976, 1, 1), to(2025, 12, 31);
        ReportDriver driver(kind, db.path());
        const GridRun window = driver.run(PanelChoice { from, to, 0, std::nullopt, std::nullopt });
        QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('\n')));
        const GridRun cli = ReportDriver::headless(headless(kind, db.path(), from, to));
        QCOMPARE(cli.exitCode, 0);
        QCOMPARE(cli.rows, window.rows);
        const QStringList& total = window.rows.back();
        switch (kind) {
        case ReportKind::Completion: QCOMPARE(total.value(2), QStringLiteral("150")); break; // 3 offices × 50 years
        case ReportKind::MonthEnd: QCOMPARE(total.value(3), QStringLiteral("150")); break;   // reported in the period
        case ReportKind::Performance: {
            const int worker = rowOf(window, 1, QStringLiteral("工人0【水电工】"));
            QVERIFY(worker >= 0);
            QCOMPARE(window.rows[std::size_t(worker)].value(3), QString::number(countWeekdays(from, to)));
            QCOMPARE(total.value(14), QStringLiteral("150")); // every order counted once, first worker
            break;
        }
        case ReportKind::Ledger:
            QCOMPARE(total.value(2), QStringLiteral("总计"));
            QCOMPARE(total.value(4), QStringLiteral("450.00")); // 150 orders × 2 × 1.5 hours, one worker each
            break;
        }
    }

    void startAfterEndIsRefused_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("message");
        const QString start = QStringLiteral("开始日期不能大于结束日期,请重新设定!");
        const QString end = QStringLiteral("截止日期必须大于开始日期!");
        QTest::newRow("completion") << ReportKind::Completion << start;
        QTest::newRow("ledger") << ReportKind::Ledger << end;
        QTest::newRow("performance") << ReportKind::Performance << end;
        QTest::newRow("monthend") << ReportKind::MonthEnd << start;
    }

    void startAfterEndIsRefused()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, message);
        FixtureDb db;
        fillRegion(db, 3, 2, 1, 2024);
        db.close();
        ReportDriver driver(kind, db.path());
        const long long sent = driver.session().connection->statementsSent();
        const int tree = 1; // the region pick fills the tree: one statement
        const GridRun run = driver.run(PanelChoice { QDate(2024, 7, 1), QDate(2024, 6, 30), 0, std::nullopt, std::nullopt });
        QCOMPARE(run.messages, QStringList { message });
        QCOMPARE(driver.session().connection->statementsSent(), sent + tree);
        QCOMPARE(int(run.rows.size()), findReport(kind).info().headerRows);
        const GridRun cli = ReportDriver::headless(headless(kind, db.path(), QDate(2024, 7, 1), QDate(2024, 6, 30)));
        QCOMPARE(cli.exitCode, 2);
        QCOMPARE(cli.messages, QStringList { message });
    }

    void hundredsOfOfficesAndWorkers_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<bool>("window");
        for (ReportKind kind : kKinds) {
            QTest::addRow("%s, window", qPrintable(reportName(kind))) << kind << true;
            QTest::addRow("%s, headless", qPrintable(reportName(kind))) << kind << false;
        }
    }

    void hundredsOfOfficesAndWorkers()
    {
        QFETCH(ReportKind, kind);
        QFETCH(bool, window);
        constexpr int kMany = 400;
        FixtureDb db;
        fillRegion(db, kMany, kMany, 1, 2024);
        db.close();
        const QDate from(2024, 6, 1), to(2024, 6, 30);
        GridRun run;
        if (window) {
            ReportDriver driver(kind, db.path());
            run = driver.run(PanelChoice { from, to, 0, std::nullopt, std::nullopt });
            QCOMPARE(driver.window().filterPanel()->state().nodes.size(), std::size_t(kMany + 1));
        } else {
            run = ReportDriver::headless(headless(kind, db.path(), from, to));
            QCOMPARE(run.exitCode, 0);
        }
        QVERIFY2(run.messages.isEmpty(), qPrintable(run.messages.join('\n')));
        const QStringList& total = run.rows.back();
        switch (kind) {
        case ReportKind::Completion:
            QCOMPARE(int(run.rows.size()), 2 + kMany + 1);
            QCOMPARE(total.value(2), QString::number(kMany));
            break;
        case ReportKind::MonthEnd:
            QCOMPARE(int(run.rows.size()), 2 + kMany + 1);
            QCOMPARE(total.value(13 + 3), QString::number(kMany)); // 本月完成 合计
            break;
        case ReportKind::Performance:
            QCOMPARE(int(run.rows.size()), 2 + kMany + 1);
            QCOMPARE(total.value(14), QString::number(kMany));
            QCOMPARE(total.value(15), QStringLiteral("1200.00")); // 400 orders × 2 × 1.5 hours
            break;
        case ReportKind::Ledger:
            QCOMPARE(total.value(2), QStringLiteral("总计"));
            QCOMPARE(total.value(4), QStringLiteral("1200.00"));
            break;
        }
    }

    void longCategoryNames_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("exported");
        QTest::newRow("3,000 characters") << 3000 << true;
        QTest::newRow("40,000 characters, beyond a cell") << 40000 << false;
    }

    void longCategoryNames()
    {
        QFETCH(int, length);
        QFETCH(bool, exported);
        FixtureDb db;
        fillRegion(db, 3, 2, 1, 2024, length);
        db.close();
        QTemporaryDir out;
        ReportDriver driver(ReportKind::MonthEnd, db.path());
        const GridRun run = driver.run(PanelChoice { QDate(2024, 6, 1), QDate(2024, 6, 30), 0, std::nullopt, std::nullopt });
        QVERIFY2(run.messages.isEmpty(), qPrintable(run.messages.join('\n')));
        QCOMPARE(run.rows[1].value(19).size(), qsizetype(length)); // the first category's column header
        driver.messenger().messages.clear();
        driver.dialog().answer = out.filePath(QStringLiteral("long.xlsx"));
        driver.pressExport();
        const QStringList texts = driver.messenger().texts();
        QCOMPARE(texts.size(), 1);
        if (exported) {
            QCOMPARE(texts[0], QStringLiteral("报修簿月底汇总表导出成功!"));
        } else {
            // no cell of a workbook holds more than 32,767 characters: refused with the error form
            QVERIFY2(texts[0].startsWith(QStringLiteral("错误码: ")), qPrintable(texts[0]));
            QVERIFY(!QFile::exists(out.filePath(QStringLiteral("long.xlsx"))));
            QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        }
    }

    void emptyTables_data()
    {
        QTest::addColumn<ReportKind>("kind");
        for (ReportKind kind : kKinds)
            QTest::newRow(qPrintable(reportName(kind))) << kind;
    }

    void emptyTables()
    {
        QFETCH(ReportKind, kind);
        FixtureDb empty;
        empty.close();
        ReportDriver driver(kind, empty.path());
        QVERIFY(driver.messenger().messages.isEmpty()); // nothing to load is no error
        driver.window().findChild<QPushButton*>(QStringLiteral("Command5"))->click();
        QCOMPARE(driver.messenger().texts(), QStringList { QStringLiteral("请选择区域!") });
        QCOMPARE(ReportDriver::headless(headless(kind, empty.path(), QDate(2024, 6, 1), QDate(2024, 6, 30))).exitCode, 2);

        // a region with offices and workers but no orders: the totals row, all nought or empty
        FixtureDb quiet;
        fillRegion(quiet, 3, 2, 0, 2024);
        quiet.close();
        ReportDriver second(kind, quiet.path());
        const GridRun run = second.run(PanelChoice { QDate(2024, 6, 1), QDate(2024, 6, 30), 0, std::nullopt, std::nullopt });
        QVERIFY2(run.messages.isEmpty(), qPrintable(run.messages.join('\n')));
        const QStringList& total = run.rows.back();
        for (qsizetype c = 2; c < total.size(); ++c)
            QVERIFY2(total[c].isEmpty() || total[c].toDouble() == 0 || total[c] == QStringLiteral("总计"), qPrintable(total[c]));
    }

    void twentyThousandRows()
    {
        constexpr int kOffices = 20000;
        FixtureDb db;
        fillRegion(db, kOffices, 2, 1, 2024);
        db.close();
        ReportDriver driver(ReportKind::Completion, db.path());
        driver.window().resize(1200, 800);
        const GridRun run = driver.run(PanelChoice { QDate(2024, 6, 1), QDate(2024, 6, 30), 0, std::nullopt, std::nullopt });
        QVERIFY2(run.messages.isEmpty(), qPrintable(run.messages.join('\n')));
        const int rows = 2 + kOffices + 1;
        QCOMPARE(int(run.rows.size()), rows);
        QCOMPARE(run.rows.back().value(2), QString::number(kOffices));

        // a scroll to the end and back, as the user drags the bar; the time is reported, not judged
        FlexGrid* view = driver.window().gridView();
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        QApplication::processEvents();
        const QModelIndex bottom = view->indexAt(QPoint(view->viewport()->width() / 2, view->viewport()->height() - 2));
        const qint64 down = clock.restart();
        view->verticalScrollBar()->setValue(0);
        QApplication::processEvents();
        const qint64 up = clock.elapsed();
        qInfo("scrolled through %d rows: %lld ms to the end, %lld ms back", rows, down, up);
        QCOMPARE(bottom.row(), rows - 1);
        QCOMPARE(view->model()->data(bottom.siblingAtColumn(1)).toString(), QStringLiteral("合计"));
        QCOMPARE(view->indexAt(QPoint(view->viewport()->width() / 2, view->viewport()->height() / 2)).row() < 100, true);

        // the export writes every row: 20,000 offices and the totals row under the two header rows
        QTemporaryDir out;
        driver.messenger().messages.clear();
        driver.dialog().answer = out.filePath(QStringLiteral("all.xlsx"));
        driver.pressExport();
        QCOMPARE(driver.messenger().texts(), QStringList { QStringLiteral("维修完成情况一览表导出成功!") });
        const QStringList column = readColumnB(out.filePath(QStringLiteral("all.xlsx")), rows + 3);
        QCOMPARE(column.size(), 2);
        QVERIFY2(column[0].toInt() >= kOffices + 1 + 2, qPrintable(column[0])); // the names, the headers, 合计
        QCOMPARE(column[1], QStringLiteral("合计"));
    }
};

QTEST_MAIN(ExtremesTest)
#include "ExtremesTest.moc"
