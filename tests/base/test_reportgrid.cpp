#include "ReportGrid.h"

#include <QtTest>

using namespace trellum;

class TestReportGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatStringSetsAlignmentAndHeaderTexts()
    {
        ReportGrid g;
        g.setCols(3);
        g.setRows(2);
        g.setFormatString(QStringLiteral("^序|<名称|> "));
        QCOMPARE(g.columnAlign(0), CellAlign::Centre);
        QCOMPARE(g.columnAlign(1), CellAlign::Left);
        QCOMPARE(g.columnAlign(2), CellAlign::Right);
        QCOMPARE(g.text(0, 0), QStringLiteral("序"));
        QCOMPARE(g.text(0, 1), QStringLiteral("名称"));
        QCOMPARE(g.text(0, 2), QStringLiteral(" "));
        QCOMPARE(g.text(1, 0), QString());
    }

    void settingRowsKeepsHeadersAndDropsData()
    {
        ReportGrid g;
        g.setCols(2);
        g.setRows(2);
        g.setText(0, 0, QStringLiteral("序"));
        g.setRowHeight(1, 800);
        const int r = g.appendRow();
        QCOMPARE(r, 2);
        g.setText(r, 1, QStringLiteral("x"));
        g.setBackground(r, 1, kTotalColour);
        g.setRows(2);
        QCOMPARE(g.rows(), 2);
        QCOMPARE(g.text(0, 0), QStringLiteral("序"));
        QCOMPARE(g.rowHeight(1), 800);
        const int again = g.appendRow();
        QCOMPARE(g.text(again, 1), QString());
        QVERIFY(!g.background(again, 1).has_value());
    }

    void writesOutsideAreIgnored()
    {
        ReportGrid g;
        g.setCols(2);
        g.setRows(1);
        g.setText(5, 0, QStringLiteral("x"));
        g.setText(0, -1, QStringLiteral("x"));
        QCOMPARE(g.text(5, 0), QString());
        g.setRow(9); // a row that does not exist is not made current
        QCOMPARE(g.row(), 0);
    }

    void redrawOffCollectsChanges()
    {
        ReportGrid g;
        int calls = 0;
        g.setCols(2);
        g.setRows(1);
        g.setObserver([&] { ++calls; });
        g.setRedraw(false);
        g.appendRow();
        g.setText(1, 1, QStringLiteral("a"));
        QCOMPARE(calls, 0);
        g.setRedraw(true);
        QCOMPARE(calls, 1);
        g.setRedraw(false);
        g.setRedraw(true); // nothing pending, nothing heard
        QCOMPARE(calls, 1);
    }
};

QTEST_APPLESS_MAIN(TestReportGrid)
#include "test_reportgrid.moc"
