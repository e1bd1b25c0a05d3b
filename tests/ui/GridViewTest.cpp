// The result grid on screen: merged cells from the merge flags, the model's roles, sizes in
// twips, the frozen header rows and column, and the current cell moved by keyboard and mouse.

#include "FlexGrid.h"
#include "GridModel.h"
#include "GridSpans.h"
#include "Twips.h"
#include "UiLook.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace trellum;

Q_DECLARE_METATYPE(std::vector<CellSpan>)

namespace {

// A grid of `rows` × `cols` from texts given row by row ("" for empty), two fixed rows.
ReportGrid makeGrid(const QList<QStringList>& rows, int fixedRows = 2)
{
    ReportGrid g;
    g.setCols(rows.isEmpty() ? 0 : int(rows.front().size()));
    g.setRows(int(rows.size()));
    g.setFixedRows(fixedRows);
    g.setFixedCols(1);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            g.setText(r, c, rows[r][c]);
    return g;
}

// The completion overview's two header rows and two data rows.
ReportGrid headerGrid()
{
    ReportGrid g = makeGrid({
        { "序", "小区名称", "回访率", "回访率", "回访率", "备注" },
        { "序", "小区名称", "完成数", "回访数", "回访率 %", "备注" },
        { "1", "阳光花园", "3", "3", "100.00", "" },
        { "2", "阳光花园", "3", "1", "33.33", "" },
    });
    g.setMergeCells(true);
    g.setMergeRow(0, true);
    for (int c : { 0, 1, 5 })
        g.setMergeCol(c, true);
    return g;
}

} // namespace

class GridViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void spans_data()
    {
        QTest::addColumn<int>("grid");
        QTest::addColumn<std::vector<CellSpan>>("expected");
        // 序 and 小区名称 down both header rows; 回访率 across three columns; equal office names in
        // the data merge down among the data only; empty 备注 cells stay apart.
        QTest::newRow("two header rows") << 0
                                         << std::vector<CellSpan> { { 0, 0, 2, 1 }, { 0, 1, 2, 1 }, { 0, 2, 1, 3 },
                                                                    { 0, 5, 2, 1 }, { 2, 1, 2, 1 } };
        QTest::newRow("merging off") << 1 << std::vector<CellSpan> {};
        // A block repeated in two rows of flagged columns becomes one rectangle.
        QTest::newRow("rectangle") << 2 << std::vector<CellSpan> { { 0, 1, 2, 2 } };
        // A header text equal to the first data row's text does not merge across the fixed rows:
        // the header pair and the data pair merge each on their own.
        QTest::newRow("fixed apart") << 3 << std::vector<CellSpan> { { 0, 1, 2, 1 }, { 2, 1, 2, 1 } };
    }

    void spans()
    {
        QFETCH(int, grid);
        QFETCH(std::vector<CellSpan>, expected);
        ReportGrid g;
        switch (grid) {
        case 0:
            g = headerGrid();
            break;
        case 1:
            g = headerGrid();
            g.setMergeCells(false);
            break;
        case 2:
            g = makeGrid({ { "序", "甲", "甲", "乙" }, { "序", "甲", "甲", "丙" }, { "1", "x", "y", "z" } });
            g.setMergeCells(true);
            g.setMergeRow(0, true);
            g.setMergeRow(1, true);
            g.setMergeCol(1, true);
            g.setMergeCol(2, true);
            break;
        case 3:
            g = makeGrid({ { "序", "名" }, { "序", "名" }, { "1", "名" }, { "2", "名" } });
            g.setMergeCells(true);
            g.setMergeCol(1, true);
            break;
        }
        QCOMPARE(GridSpans::compute(g), expected);
    }

    void modelAnswersRoles()
    {
        ReportGrid g = headerGrid();
        g.setColumnAlign(2, CellAlign::Right);
        g.setHeaderAlign(2, CellAlign::Centre);
        g.setBackground(3, 2, kTotalColour);
        GridModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setGrid(&g);
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.columnCount(), 6);
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("阳光花园"));
        const QPalette palette = QApplication::palette();
        QCOMPARE(model.index(0, 3).data(Qt::BackgroundRole).value<QBrush>().color(), palette.color(QPalette::Button));
        QCOMPARE(model.index(2, 0).data(Qt::BackgroundRole).value<QBrush>().color(), palette.color(QPalette::Button));
        QCOMPARE(model.index(2, 2).data(Qt::BackgroundRole).value<QBrush>().color(), palette.color(QPalette::Base));
        QCOMPARE(model.index(3, 2).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(192, 192, 255));
        QCOMPARE(model.index(2, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
        QCOMPARE(model.index(1, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, int(Qt::AlignHCenter));
        QCOMPARE(model.index(2, 1).data(Qt::FontRole).value<QFont>().pointSizeF(), 9.0);
        QVERIFY(model.index(2, 1).data(Qt::FontRole).value<QFont>().families().contains(QStringLiteral("微软雅黑")));

        // A change of shape resets; a change of a text repaints.
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        g.setText(2, 1, QStringLiteral("梅园"));
        QVERIFY(!model.gridChanged());
        QCOMPARE(changes.count(), 1);
        g.appendRow();
        QVERIFY(model.gridChanged());
        QCOMPARE(resets.count(), 1);
        QCOMPARE(model.rowCount(), 5);
    }

    void viewFollowsTheGrid()
    {
        ReportGrid g = headerGrid();
        g.setColWidth(1, 3000);
        g.setRowHeight(1, 600);
        g.setWordWrap(true);
        FlexGrid view;
        view.resize(600, 300);
        view.setGrid(&g);
        view.show();
        QCOMPARE(view.objectName(), QStringLiteral("MSFlexGrid1"));
        QCOMPARE(view.columnWidth(1), Twips::toPixels(3000));
        QCOMPARE(view.rowHeight(1), Twips::toPixels(600));
        QCOMPARE(view.rowHeight(2), Twips::toPixels(ReportGrid::kDefaultRowHeight));
        QVERIFY(view.wordWrap());
        QCOMPARE(view.columnSpan(0, 2), 3);
        QCOMPARE(view.frozenRows()->columnSpan(0, 2), 3);
        QCOMPARE(view.rowSpan(0, 0), 2);
        QVERIFY(view.styleSheet().contains(UiLook::gridLines().name()));

        // Merges are worked out again when the texts change.
        g.setText(3, 1, QStringLiteral("梅园"));
        QCOMPARE(view.rowSpan(2, 1), 1);
        g.setText(3, 1, QStringLiteral("阳光花园"));
        QCOMPARE(view.rowSpan(2, 1), 2);
        view.setGrid(nullptr);
    }

    void headerRowsAndColumnStayInPlace()
    {
        ReportGrid g = headerGrid();
        for (int i = 0; i < 60; ++i) {
            const int r = g.appendRow();
            g.setText(r, 0, QString::number(r - 1));
            g.setText(r, 1, QStringLiteral("小区%1").arg(r));
        }
        for (int c = 0; c < g.cols(); ++c)
            g.setColWidth(c, 2400);
        FlexGrid view;
        view.resize(400, 250);
        view.setGrid(&g);
        view.show();
        const int headerHeight = view.rowHeight(0) + view.rowHeight(1);
        QCOMPARE(view.frozenRows()->height(), headerHeight);
        QCOMPARE(view.frozenColumn()->width(), view.columnWidth(0));
        QCOMPARE(view.frozenCorner()->size(), QSize(view.columnWidth(0), headerHeight));

        view.verticalScrollBar()->setValue(200);
        view.horizontalScrollBar()->setValue(150);
        QCOMPARE(view.frozenColumn()->verticalScrollBar()->value(), 200);
        QCOMPARE(view.frozenRows()->horizontalScrollBar()->value(), 150);
        QCOMPARE(view.frozenRows()->verticalScrollBar()->value(), 0);
        QCOMPARE(view.frozenColumn()->horizontalScrollBar()->value(), 0);
        QCOMPARE(view.frozenCorner()->verticalScrollBar()->value(), 0);
        QCOMPARE(view.frozenCorner()->horizontalScrollBar()->value(), 0);
        view.setGrid(nullptr);
    }

    void keyboardAndMouseMoveTheCurrentCell()
    {
        ReportGrid g = headerGrid();
        g.setText(3, 1, QStringLiteral("梅园"));
        g.appendRow();
        FlexGrid view;
        view.resize(600, 300);
        view.setGrid(&g);
        view.show();
        QSignalSpy moved(&view, &FlexGrid::currentCellChanged);

        // From no current cell the first key lands on the first data cell, never a header cell.
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(g.row(), 2);
        QCOMPARE(g.col(), 1);
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(g.row(), 3);
        QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(g.col(), 2);
        QTest::keyClick(&view, Qt::Key_Up);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(g.row(), 2); // the header rows cannot be entered
        QTest::keyClick(&view, Qt::Key_Left);
        QTest::keyClick(&view, Qt::Key_Left);
        QCOMPARE(g.col(), 1); // nor the header column
        const int keys = int(moved.count());
        QVERIFY(keys >= 4);

        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellRect(4, 3).center());
        QCOMPARE(g.row(), 4);
        QCOMPARE(g.col(), 3);
        QCOMPARE(moved.last().at(0).toInt(), 4);

        // A click on a header cell changes nothing.
        const int before = int(moved.count());
        QTest::mouseClick(view.frozenRows()->viewport(), Qt::LeftButton, {}, QPoint(view.columnWidth(0) + 5, 5));
        QCOMPARE(int(moved.count()), before);
        QCOMPARE(g.row(), 4);

        // A change the program makes to the grid is not a move of the user's.
        g.setText(2, 2, QStringLiteral("9"));
        QCOMPARE(int(moved.count()), before);
        view.setGrid(nullptr);
    }

    void twipsFollowTheScreen()
    {
        const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        QCOMPARE(Twips::toPixels(1440), qRound(dpi));
        QCOMPARE(Twips::fromPixels(Twips::toPixels(2880)), 2880);
    }

    void failingAssignmentIsSkipped()
    {
        QWidget parent;
        QWidget child(&parent);
        Twips::place(&child, 100, 200, 3000, 1500);
        QVERIFY(!Twips::set(&child, Twips::Edge::Height, -15));
        QVERIFY(!Twips::set(&child, Twips::Edge::Width, -1));
        QCOMPARE(Twips::get(&child, Twips::Edge::Height), 1500);
        QCOMPARE(Twips::get(&child, Twips::Edge::Width), 3000);
        QVERIFY(Twips::set(&child, Twips::Edge::Left, -300)); // a position may be negative
        QCOMPARE(Twips::get(&child, Twips::Edge::Left), -300);
        QCOMPARE(child.width(), Twips::toPixels(3000));
    }
};

QTEST_MAIN(GridViewTest)
#include "GridViewTest.moc"
