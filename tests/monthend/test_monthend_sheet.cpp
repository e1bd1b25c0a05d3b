#include "MonthEndScene.h"

#include "SpreadsheetExport.h"

#include <QtTest>

#include <algorithm>

using namespace trellum;
using test::MonthEndScene;

namespace {

bool merged(const Sheet& sheet, const SheetRange& range)
{
    const auto& m = sheet.merges();
    return std::find(m.begin(), m.end(), range) != m.end();
}

// Any merge that covers the cell.
bool inMerge(const Sheet& sheet, int row, int col)
{
    for (const SheetRange& m : sheet.merges())
        if (m.contains(row, col))
            return true;
    return false;
}

QString textAt(const Sheet& sheet, int row, int col)
{
    const CellValue v = sheet.value(row, col);
    return v.kind == CellValue::Kind::Text ? v.text : QString();
}

bool numberAt(const Sheet& sheet, int row, int col, double expected)
{
    const CellValue v = sheet.value(row, col);
    return v.kind == CellValue::Kind::Number && v.number == expected;
}

CategoryTable categoriesOf(int count)
{
    const char16_t* const names[] = { u"水电", u"土建", u"油漆", u"木工", u"管道" };
    CategoryTable out;
    for (int i = 0; i < count; ++i)
        out.push_back({ QString::number(i + 1), QString::fromUtf16(names[i]) });
    return out;
}

ExportContext contextOf(const MonthEndScene& s, const QString& remark)
{
    ExportContext c;
    c.grid = &s.grid;
    c.startDate = s.input.criteria.startDate;
    c.endDate = s.input.criteria.endDate;
    c.regionName = s.input.criteria.regionName;
    c.today = QDate(2024, 4, 1);
    c.title = QStringLiteral("报修簿月底汇总表");
    c.typeAnalysis = s.boxes;
    c.remark = remark;
    return c;
}

} // namespace

class TestMonthEndSheet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileNameAndGuard()
    {
        const ExportLayout layout = MonthEndReport().exportLayout();
        QCOMPARE(layout.defaultFileName(QDate(2024, 1, 1), QDate(2024, 1, 31), QDate(2024, 5, 5)),
                 QStringLiteral("报修簿月底汇总表_20240101_20240131"));
        QCOMPARE(layout.guardRowCount, 2);
        QCOMPARE(layout.successMessage, QStringLiteral("报修簿月底汇总表导出成功!"));
    }

    // The sheet of a run: N = 19 + n columns, the type-analysis block under the totals row.
    void sheetOfARun_data()
    {
        QTest::addColumn<int>("categories");
        QTest::addColumn<bool>("withOffices");
        QTest::addColumn<QString>("remark");
        QTest::newRow("three categories") << 3 << true << "月底盘点";
        QTest::newRow("one category, no remark") << 1 << true << "";
        QTest::newRow("five categories, no office") << 5 << false << "无";
    }

    void sheetOfARun()
    {
        QFETCH(int, categories);
        QFETCH(bool, withOffices);
        QFETCH(QString, remark);
        MonthEndScene s(categoriesOf(categories));
        if (!withOffices)
            s.input.criteria.regionCode = QStringLiteral("09");
        auto o = MonthEndScene::order();
        o.channel = QStringLiteral("上门");
        o.source = QStringLiteral("微信报修");
        s.db.addOrder(o);
        QVERIFY(!s.run());

        const ExportLayout layout = MonthEndReport().exportLayout();
        const Sheet sheet = BuildSheet(layout, contextOf(s, remark));
        const int n = 19 + categories;
        const int r = s.grid.rows();
        QCOMPARE(r, withOffices ? 5 : 3);
        QCOMPARE(sheet.lastColumn(), n);

        QCOMPARE(textAt(sheet, 1, 1), QStringLiteral("报修簿月底汇总表"));
        QVERIFY(merged(sheet, { 3, 1, 3, 2 }));
        QCOMPARE(textAt(sheet, 3, 1), QStringLiteral(" 汇总日期: 2024-03-01 至 2024-03-31"));

        // header rows: merges, the category names in row 5, the row settings and the fill
        for (int c : { 1, 2, 3, 4, 5, 6, 7, 18, 19 })
            QVERIFY(merged(sheet, { 4, c, 5, c }));
        QVERIFY(merged(sheet, { 4, 8, 4, 11 }));
        QVERIFY(merged(sheet, { 4, 12, 4, 13 }));
        QVERIFY(merged(sheet, { 4, 14, 4, 17 }));
        QCOMPARE(textAt(sheet, 4, 20), QStringLiteral("工种分析"));
        if (categories > 1)
            QVERIFY(merged(sheet, { 4, 20, 4, n }));
        QCOMPARE(textAt(sheet, 5, n), s.input.categories.back().name);
        QVERIFY(!inMerge(sheet, 5, 20));
        QCOMPARE(sheet.rowHeights().at(5), 30.0);
        QVERIFY(sheet.rowWraps().at(4) && sheet.rowWraps().at(5));
        QCOMPARE(sheet.style(5, n).fill, std::optional<BgrColour>(kTotalColour));

        // the totals row on R + 3: numbers in "#0", right-aligned, coloured
        const int totals = r + 3;
        QCOMPARE(textAt(sheet, totals, 2), QStringLiteral("合计"));
        QVERIFY(numberAt(sheet, totals, 4, withOffices ? 1 : 0));
        QVERIFY(numberAt(sheet, totals, 6, 0));
        QCOMPARE(sheet.style(totals, 6).numberFormat, QStringLiteral("#0"));
        QCOMPARE(sheet.style(totals, 6).align, SheetAlign::Right);
        QCOMPARE(sheet.style(totals, n).fill, std::optional<BgrColour>(kTotalColour));
        if (withOffices) {
            const int office = s.rowOf(QStringLiteral("阳光花园")) + 4;
            QVERIFY(numberAt(sheet, office, 11, 1)); // grid column 10, a sum
            QCOMPARE(sheet.value(office, 3).kind, CellValue::Kind::Empty); // an empty count stays empty
            QVERIFY(numberAt(sheet, office, 20, 1));
        }

        // the empty merged row and the type-analysis block
        QVERIFY(merged(sheet, { r + 4, 2, r + 4, n }));
        QCOMPARE(sheet.value(r + 4, 2).kind, CellValue::Kind::Empty);
        const int labels = r + 5;
        const int values = r + 6;
        QVERIFY(merged(sheet, { labels, 2, values, 2 }));
        QCOMPARE(textAt(sheet, labels, 2), QStringLiteral("类型分析"));
        const QStringList names = { "维修", "开箱", "设摊", "访问", "电话", "其他", "微信" };
        for (int i = 0; i < 7; ++i)
            QCOMPARE(textAt(sheet, labels, 3 + i), names[i]);
        // 维修 carries the 报修 box; 开箱 and 设摊 stay empty
        const double counted[7] = { 1, 0, 0, 1, 0, 0, 1 };
        for (int i : { 0, 3, 4, 5, 6 })
            QVERIFY2(numberAt(sheet, values, 3 + i, withOffices ? counted[i] : 0), qPrintable(names[i]));
        QCOMPARE(sheet.value(values, 4).kind, CellValue::Kind::Empty);
        QCOMPARE(sheet.value(values, 5).kind, CellValue::Kind::Empty);
        QVERIFY(merged(sheet, { labels, 10, values, 10 }));
        QCOMPARE(textAt(sheet, labels, 10), QStringLiteral("附记:"));
        QVERIFY(merged(sheet, { labels, 11, values, n }));
        if (remark.isEmpty())
            QCOMPARE(sheet.value(labels, 11).kind, CellValue::Kind::Empty);
        else
            QCOMPARE(textAt(sheet, labels, 11), remark);

        // fonts down to R + 7, borders down to R + 6, the bold title stops at column 18
        QCOMPARE(sheet.style(1, n).fontName, QStringLiteral("微软雅黑"));
        QVERIFY(sheet.style(1, 18).bold);
        QVERIFY(!sheet.style(1, 19).bold);
        QCOMPARE(sheet.style(r + 7, n).fontSize, 9.0);
        QVERIFY(sheet.style(values, n).border);
        QVERIFY(sheet.style(r + 4, 1).border);
        QVERIFY(!sheet.style(r + 7, 1).border);
    }
};

QTEST_GUILESS_MAIN(TestMonthEndSheet)
#include "test_monthend_sheet.moc"
