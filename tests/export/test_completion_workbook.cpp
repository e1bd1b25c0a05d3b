#include "CompletionReport.h"
#include "ExportDoubles.h"
#include "FixtureDb.h"
#include "RunOnFixture.h"
#include "WorkbookReader.h"

#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using namespace trellum;
using namespace trellum::test;

namespace {

const QString kTitle = QStringLiteral("维修完成情况一览表");

ExportContext januaryContext(const ReportGrid& grid)
{
    ExportContext c;
    c.grid = &grid;
    c.startDate = QDate(2024, 1, 1);
    c.endDate = QDate(2024, 1, 31);
    c.today = QDate(2024, 2, 2);
    c.regionName = QStringLiteral("东区");
    c.title = kTitle;
    return c;
}

// Two offices as a run leaves them (R = 5); the first office's revisit rate is given as 12.5.
ReportGrid twoOfficeGrid()
{
    ReportGrid grid;
    CompletionReport().layoutGrid(grid, {});
    const QStringList rows[] = {
        { "1", "阳光花园", "8", "1", "12.5", "1", "1", "100.00", "" },
        { "2", "明月小区", "5", "", "0.00", "", "", "", "" },
        { "3", "合计", "13", "1", "7.69", "1", "1", "100.00", "" },
    };
    for (const QStringList& texts : rows) {
        const int r = grid.appendRow();
        for (int c = 0; c < texts.size(); ++c)
            grid.setText(r, c, texts[c]);
    }
    for (int c = 1; c < 9; ++c)
        grid.setBackground(4, c, kTotalColour);
    return grid;
}

// Region 东区 with one office that completed 10, revisited 4 and had 3 accepted in January 2024,
// run for January with category 水电.
ReportGrid januaryRun(QString& categoryNames)
{
    FixtureDb db;
    db.addRegion(QStringLiteral("01"), QStringLiteral("东区"));
    db.addRegion(QStringLiteral("02"), QStringLiteral("西区"));
    db.addOffice(QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("阳光花园"));
    db.addCategory(QStringLiteral("1"), QStringLiteral("水电"));
    for (int i = 0; i < 10; ++i) {
        FixtureDb::Order o;
        o.office = QStringLiteral("0101");
        o.region = QStringLiteral("01");
        o.reported = QStringLiteral("2024-01-03 09:00:00");
        o.closed = QStringLiteral("2024-01-15 10:00:00");
        o.revisited = i < 4 ? 1 : 0;
        o.accepted = i < 3 ? 1 : 0;
        db.addOrder(o);
    }
    db.close();
    ReportCriteria criteria;
    criteria.startDate = QDate(2024, 1, 1);
    criteria.endDate = QDate(2024, 1, 31);
    criteria.regionCode = QStringLiteral("01");
    criteria.regionName = QStringLiteral("东区");
    criteria.officeCodes = QStringLiteral("'0101'");
    criteria.categoryCodes = QStringLiteral("'1'");
    criteria.categoryNames = QStringLiteral("水电");
    categoryNames = criteria.categoryNames;
    ReportGrid grid;
    if (const DbStatus failed = runOnFixture(CompletionReport(), db, RunInput { criteria, true, {} }, grid))
        qFatal("run failed: %s", qPrintable(failed->description));
    return grid;
}

} // namespace

class TestCompletionWorkbook : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::map<QString, std::unique_ptr<WorkbookReader>> m_books;

    // Exports through the button with the window's values and reads the file back.
    bool exportAs(const QString& scenario, const ExportContext& context)
    {
        ExportLog log;
        RecordingHost host(log);
        LoggingMessenger messenger(log);
        ScriptedDialog dialog(m_dir.filePath(scenario + QStringLiteral(".xls")));
        ExportCommand(CompletionReport().exportLayout(), context, host, dialog, messenger);
        if (messenger.texts() != QStringList { QStringLiteral("维修完成情况一览表导出成功!") })
            return false;
        m_books[scenario] = std::make_unique<WorkbookReader>(m_dir.filePath(scenario + QStringLiteral(".xlsx")));
        return m_books[scenario]->ok();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        ReportGrid empty;
        CompletionReport().layoutGrid(empty, {});
        QVERIFY(exportAs(QStringLiteral("beforeRun"), januaryContext(empty)));

        const ReportGrid two = twoOfficeGrid();
        ExportContext twoContext = januaryContext(two);
        twoContext.categoryNames = QStringLiteral("水电，土建");
        QVERIFY(exportAs(QStringLiteral("twoOffices"), twoContext));

        // the dates and the region changed after the run; the figures and categories are the run's
        QString categories;
        const ReportGrid run = januaryRun(categories);
        QCOMPARE(run.rows(), 4);
        ExportContext later = januaryContext(run);
        later.startDate = QDate(2024, 2, 1);
        later.endDate = QDate(2024, 2, 29);
        later.regionName = QStringLiteral("西区");
        later.categoryNames = categories;
        QVERIFY(exportAs(QStringLiteral("afterRun"), later));
    }

    void cells_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("expected");
        const QString thin = QStringLiteral("thin,thin,thin,thin");
        const QString none = QStringLiteral("-,-,-,-");
        const QString filled = QStringLiteral("FFC0C0FF");
        const QString null = QStringLiteral("null");
        auto row = [](const char* scenario, const char* cell, const char* prop, const QVariant& v) {
            QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3").arg(scenario, cell, prop)))
                << QString::fromLatin1(scenario) << QString::fromLatin1(cell) << QString::fromLatin1(prop) << v;
        };
        // before any run (R = 2): title, line 3, the headers filled and bordered, footer on 7 and 8
        row("beforeRun", "A1", "value", kTitle);
        row("beforeRun", "A1", "align", QStringLiteral("center"));
        row("beforeRun", "A1", "fontName", QStringLiteral("微软雅黑"));
        row("beforeRun", "A1", "bold", true);
        row("beforeRun", "A1", "fontSize", 11.0);
        row("beforeRun", "I1", "xml:bold", true);
        row("beforeRun", "A2", "xml:fontSize", 9.0);
        row("beforeRun", "B3", "value", QStringLiteral("管理区域: 东区"));
        row("beforeRun", "B3", "align", QStringLiteral("left"));
        row("beforeRun", "E3", "value", QStringLiteral(" 统计日期: 2024-01-01 至 2024-01-31"));
        row("beforeRun", "E3", "align", QStringLiteral("center"));
        row("beforeRun", "F3", "xml:align", QStringLiteral("center"));
        row("beforeRun", "I3", "value", QStringLiteral("上报日期: 月后二日"));
        row("beforeRun", "I3", "align", QStringLiteral("right"));
        row("beforeRun", "I3", "border", none);
        row("beforeRun", "A4", "value", QStringLiteral("序"));
        row("beforeRun", "B4", "value", QStringLiteral("小区名称"));
        row("beforeRun", "C4", "value", QStringLiteral("回访率"));
        row("beforeRun", "E4", "value", QStringLiteral("回访率"));
        row("beforeRun", "F4", "value", QStringLiteral("质量合格率"));
        row("beforeRun", "H4", "value", QStringLiteral("质量合格率"));
        row("beforeRun", "I4", "value", QStringLiteral("备注"));
        row("beforeRun", "C5", "value", QStringLiteral("任务单完成数(张)"));
        row("beforeRun", "E5", "value", QStringLiteral("任务单回访率 %"));
        row("beforeRun", "H5", "value", QStringLiteral("维修合格率 %"));
        row("beforeRun", "C4", "align", QStringLiteral("center"));
        row("beforeRun", "A4", "fill", filled);
        row("beforeRun", "A4", "border", thin);
        row("beforeRun", "A5", "xml:fill", filled);
        row("beforeRun", "A5", "xml:border", thin);
        row("beforeRun", "B5", "xml:border", thin);
        row("beforeRun", "I5", "xml:border", thin);
        row("beforeRun", "I5", "xml:fill", filled);
        row("beforeRun", "A5", "xml:type", null);
        row("beforeRun", "H5", "fill", filled);
        row("beforeRun", "A6", "xml:fontSize", 9.0);
        row("beforeRun", "A6", "xml:border", none);
        row("beforeRun", "B7", "value", QStringLiteral(" 经理:"));
        row("beforeRun", "B7", "fontSize", 11.0);
        row("beforeRun", "E7", "value", QStringLiteral(" 制表:"));
        row("beforeRun", "I7", "value", QStringLiteral(" 实际报出日期:2024-02-02"));
        row("beforeRun", "B8", "value", QStringLiteral(" 报修类别: "));
        // two offices (R = 5): rows 6 and 7, totals on 8, borders to 8, size 9 to 9, footer 10 and 11
        row("twoOffices", "A6", "value", 1.0);
        row("twoOffices", "A6", "type", QStringLiteral("n"));
        row("twoOffices", "B6", "value", QStringLiteral("阳光花园"));
        row("twoOffices", "C6", "value", 8.0);
        row("twoOffices", "C6", "numFmt", QStringLiteral("#0"));
        row("twoOffices", "C6", "align", QStringLiteral("right"));
        row("twoOffices", "E6", "value", 12.5);
        row("twoOffices", "E6", "numFmt", QStringLiteral("#0.00"));
        row("twoOffices", "E6", "align", QStringLiteral("right"));
        row("twoOffices", "E6", "fontSize", 9.0);
        row("twoOffices", "H6", "value", 100.0);
        row("twoOffices", "D7", "value", null);
        row("twoOffices", "D7", "numFmt", QStringLiteral("#0"));
        row("twoOffices", "E7", "value", 0.0);
        row("twoOffices", "H7", "value", null);
        row("twoOffices", "H7", "numFmt", QStringLiteral("#0.00"));
        row("twoOffices", "H7", "align", QStringLiteral("right"));
        row("twoOffices", "A7", "fill", null);
        row("twoOffices", "I7", "border", thin);
        row("twoOffices", "A8", "value", 3.0);
        row("twoOffices", "B8", "value", QStringLiteral("合计"));
        row("twoOffices", "A8", "fill", filled);
        row("twoOffices", "I8", "fill", filled);
        row("twoOffices", "I8", "border", thin);
        row("twoOffices", "E8", "value", 7.69);
        row("twoOffices", "A9", "xml:fontSize", 9.0);
        row("twoOffices", "A9", "xml:border", none);
        row("twoOffices", "B10", "value", QStringLiteral(" 经理:"));
        row("twoOffices", "E10", "value", QStringLiteral(" 制表:"));
        row("twoOffices", "I10", "value", QStringLiteral(" 实际报出日期:2024-02-02"));
        row("twoOffices", "B11", "value", QStringLiteral(" 报修类别: 水电，土建"));
        // the dates and region of the moment of the export, the figures of the run
        row("afterRun", "B3", "value", QStringLiteral("管理区域: 西区"));
        row("afterRun", "E3", "value", QStringLiteral(" 统计日期: 2024-02-01 至 2024-02-29"));
        row("afterRun", "B6", "value", QStringLiteral("阳光花园"));
        row("afterRun", "C6", "value", 10.0);
        row("afterRun", "E6", "value", 40.0);
        row("afterRun", "H6", "value", 75.0);
        row("afterRun", "B7", "value", QStringLiteral("合计"));
        row("afterRun", "A7", "fill", filled);
        row("afterRun", "B10", "value", QStringLiteral(" 报修类别: 水电"));
    }
    void cells()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, cell);
        QFETCH(QString, property);
        QFETCH(QVariant, expected);
        const QVariant actual = m_books.at(scenario)->property(cell, property);
        QVERIFY2(actual.isValid(), "the cell is not in the file");
        if (expected.typeId() == QMetaType::Double)
            QCOMPARE(actual.toDouble(), expected.toDouble());
        else
            QCOMPARE(actual, expected);
    }

    // Cells left alone stay out of the file: row 2's other texts, row R + 4, the footer gaps.
    void untouchedCells_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("cell");
        QTest::newRow("nothing below the footer") << "beforeRun" << "B9";
        QTest::newRow("nothing right of the form") << "twoOffices" << "J6";
        QTest::newRow("footer row gap") << "twoOffices" << "C10";
    }
    void untouchedCells()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, cell);
        QVERIFY(!m_books.at(scenario)->property(cell, QStringLiteral("xml:type")).isValid());
    }

    void sheetShape_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("before any run") << "beforeRun";
        QTest::newRow("two offices") << "twoOffices";
    }
    void sheetShape()
    {
        QFETCH(QString, scenario);
        const WorkbookReader& book = *m_books.at(scenario);
        QCOMPARE(book.merges(), QStringLiteral("A1:I1 A4:A5 B4:B5 E3:F3 I4:I5"));
        const QJsonObject widths = book.dump().value(QStringLiteral("widths")).toObject();
        const std::map<QString, double> expected = { { "A", 6.140625 },  { "B", 28.0 },      { "C", 16.140625 },
                                                     { "D", 16.140625 }, { "E", 16.140625 }, { "F", 16.140625 },
                                                     { "G", 16.140625 }, { "H", 16.140625 }, { "I", 35.28515625 } };
        QCOMPARE(widths.size(), qsizetype(expected.size()));
        for (const auto& [col, width] : expected)
            QCOMPARE(widths.value(col).toDouble(), width);
        QVERIFY(book.dump().value(QStringLiteral("heights")).toObject().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCompletionWorkbook)
#include "test_completion_workbook.moc"
