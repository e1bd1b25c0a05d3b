// The result grid on screen: merged cells from the merge flags, the model's roles, sizes in
// twips, the frozen header rows and column, and the current cell moved by keyboard and mouse.

#include "FlexGrid.h"
#include "GridModel.h"
#include "GridSpans.h"
#include "ReportCatalog.h"
#include "Twips.h"
#include "UiLook.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPalette>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWheelEvent>
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

// The header grid with `extra` more data rows and every column wide, so that it scrolls both
// ways in a small view.
ReportGrid longGrid(int extra)
{
    ReportGrid g = headerGrid();
    g.setText(3, 1, QStringLiteral("梅园"));
    for (int i = 0; i < extra; ++i) {
        const int r = g.appendRow();
        g.setText(r, 0, QString::number(r - 1));
        g.setText(r, 1, QStringLiteral("小区%1").arg(r));
    }
    for (int c = 0; c < g.cols(); ++c)
        g.setColWidth(c, 2400);
    return g;
}

// The part of the grid a case points the mouse at.
QWidget* part(FlexGrid& view, const QString& name)
{
    if (name == QLatin1String("frozenRows"))
        return view.frozenRows()->viewport();
    if (name == QLatin1String("frozenColumn"))
        return view.frozenColumn()->viewport();
    if (name == QLatin1String("frozenCorner"))
        return view.frozenCorner()->viewport();
    return view.viewport();
}

// One notch of the wheel at the middle of `target`, sent through the application.
void wheel(QWidget* target, QPoint angle)
{
    const QPointF at = QRectF(target->rect()).center();
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// Where a part of a scroll bar is drawn, in the bar's own coordinates.
QRect barPart(QScrollBar* bar, QStyle::SubControl control)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    if (bar->orientation() == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, control, bar);
}

void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
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
        // the data stay apart, as do empty 备注 cells.
        QTest::newRow("two header rows") << 0
                                         << std::vector<CellSpan> { { 0, 0, 2, 1 }, { 0, 1, 2, 1 }, { 0, 2, 1, 3 },
                                                                    { 0, 5, 2, 1 } };
        QTest::newRow("merging off") << 1 << std::vector<CellSpan> {};
        // A block repeated in two rows of flagged columns becomes one rectangle.
        QTest::newRow("rectangle") << 2 << std::vector<CellSpan> { { 0, 1, 2, 2 } };
        // A header text equal to the data's below does not merge across the fixed rows, and the
        // equal data do not merge at all.
        QTest::newRow("fixed apart") << 3 << std::vector<CellSpan> { { 0, 1, 2, 1 } };
        // The month-end: 转计划单 of three offices is 1 each, 上月结转 and 本月报修 of an office
        // are equal, in flagged rows and columns: each figure keeps its own cell.
        QTest::newRow("equal figures of offices") << 4
            << std::vector<CellSpan> { { 0, 0, 2, 1 }, { 0, 1, 2, 1 }, { 0, 2, 1, 2 }, { 0, 4, 2, 1 } };
        // The ledger: a worker's subtotal line and the next worker's line, both 168.00 实际.
        QTest::newRow("subtotal over the next worker") << 5
            << std::vector<CellSpan> { { 0, 1, 2, 1 }, { 0, 2, 2, 1 } };
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
        case 4:
            g = makeGrid({ { "序", "单位", "报修", "报修", "转计划单" },
                           { "序", "单位", "上月结转", "本月报修", "转计划单" },
                           { "1", "阳光花园", "2", "2", "1" },
                           { "2", "梅园小区", "3", "3", "1" },
                           { "3", "丽景苑", "0", "4", "1" },
                           { "合计", "合计", "5", "9", "3" } });
            g.setMergeCells(true);
            for (int r = 0; r < g.rows(); ++r)
                g.setMergeRow(r, true);
            for (int c = 0; c < g.cols(); ++c)
                g.setMergeCol(c, true);
            break;
        case 5:
            g = makeGrid({ { "序", "姓名", "实际" },
                           { "序", "姓名", "实际" },
                           { "1", "王建国", "120.00" },
                           { "", "小计", "168.00" },
                           { "2", "陈永明", "168.00" },
                           { "", "小计", "168.00" } });
            g.setMergeCells(true);
            for (int c = 1; c < g.cols(); ++c)
                g.setMergeCol(c, true);
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

        // Equal figures in the data show each in its own cell.
        QCOMPARE(view.rowSpan(2, 1), 1);
        QCOMPARE(view.rowSpan(2, 2), 1);
        // Merges are worked out again when the header texts change.
        g.setText(1, 1, QStringLiteral("名称"));
        QCOMPARE(view.rowSpan(0, 1), 1);
        g.setText(1, 1, QStringLiteral("小区名称"));
        QCOMPARE(view.rowSpan(0, 1), 2);
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
        // The 序 column and the names column beside it stay in view.
        const int namesRight = view.columnWidth(0) + view.columnWidth(1);
        QCOMPARE(view.frozenCols(), 2);
        QCOMPARE(view.frozenRows()->height(), headerHeight);
        QCOMPARE(view.frozenColumn()->width(), namesRight);
        QCOMPARE(view.frozenCorner()->size(), QSize(namesRight, headerHeight));

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

    void headerTextsFitTheirCells_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::newRow("completion") << ReportKind::Completion;
        QTest::newRow("ledger") << ReportKind::Ledger;
        QTest::newRow("performance") << ReportKind::Performance;
        QTest::newRow("month-end") << ReportKind::MonthEnd;
    }

    void headerTextsFitTheirCells()
    {
        // At the widths a window opens with, every header text wraps into the lines its cell has,
        // never a character per line; the grid (and the workbook) keeps its own widths.
        QFETCH(ReportKind, kind);
        ReportGrid g;
        CategoryTable categories { { QStringLiteral("01"), QStringLiteral("水电") }, { QStringLiteral("02"), QStringLiteral("土建") } };
        findReport(kind).layoutGrid(g, categories);
        const ReportGrid designed = g;
        FlexGrid view;
        view.resize(900, 400);
        view.setGrid(&g);
        view.show();
        const QFontMetrics metrics(UiLook::gridFont());
        for (int r = 0; r < g.fixedRows(); ++r)
            for (int c = 0; c < g.cols(); ++c) {
                const QString text = g.text(r, c);
                if (text.isEmpty() || view.columnSpan(r, c) > 1 || view.rowSpan(r, c) == 0)
                    continue;
                if (r > 0 && view.rowSpan(r - 1, c) > 1 && g.text(r - 1, c) == text)
                    continue; // inside a cell merged down
                int height = 0;
                for (int k = r; k < r + view.rowSpan(r, c); ++k)
                    height += view.rowHeight(k);
                const int width = view.columnWidth(c) - 6;
                const QRect needed = metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text);
                const QString where = QStringLiteral("%1 (%2, %3): %4 px high in %5 x %6")
                                          .arg(text).arg(r).arg(c).arg(needed.height()).arg(width).arg(height);
                QVERIFY2(needed.height() <= height, qPrintable(where));
                if (text.size() > 1)
                    QVERIFY2(metrics.horizontalAdvance(text.left(2)) <= width, qPrintable(where));
            }
        for (int c = 0; c < g.cols(); ++c)
            QCOMPARE(g.colWidth(c), designed.colWidth(c));
        view.setGrid(nullptr);
    }

    void dragAColumnEdgeInTheHeader_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("dx");
        QTest::newRow("names column wider") << 1 << 60;
        QTest::newRow("a figure narrower") << 3 << -30;
        QTest::newRow("never below a sliver") << 2 << -500;
    }

    void dragAColumnEdgeInTheHeader()
    {
        QFETCH(int, col);
        QFETCH(int, dx);
        ReportGrid g = headerGrid();
        FlexGrid view;
        view.resize(700, 300);
        view.setGrid(&g);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const int before = view.columnWidth(col);
        const int twips = g.colWidth(col);
        // The edge is where the second header row shows it, in the frozen header band.
        QTableView* band = col < view.frozenCols() ? view.frozenCorner() : view.frozenRows();
        QWidget* target = band->viewport();
        const QPoint edge(band->columnViewportPosition(col) + band->columnWidth(col), band->rowViewportPosition(1) + 4);
        mouse(target, QEvent::MouseMove, edge, Qt::NoButton);
        QCOMPARE(target->cursor().shape(), Qt::SplitHCursor);
        mouse(target, QEvent::MouseButtonPress, edge, Qt::LeftButton);
        mouse(target, QEvent::MouseMove, edge + QPoint(dx, 0), Qt::LeftButton);
        mouse(target, QEvent::MouseButtonRelease, edge + QPoint(dx, 0), Qt::NoButton);
        const int expected = std::max(8, before + dx);
        QCOMPARE(view.columnWidth(col), expected);
        for (QTableView* other : { view.frozenRows(), view.frozenColumn(), view.frozenCorner() })
            QCOMPARE(other->columnWidth(col), expected);
        // For this showing only: the grid (and with it the workbook) keeps its width, and a
        // change of the grid's texts keeps the dragged one.
        QCOMPARE(g.colWidth(col), twips);
        g.setText(2, 2, QStringLiteral("7"));
        QCOMPARE(view.columnWidth(col), expected);
        view.setGrid(nullptr);
    }

    void copyTheSelectedRectangle_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QString>("copied");
        QTest::newRow("one cell") << QPoint(2, 2) << QPoint(2, 2) << "3\n";
        QTest::newRow("a rectangle") << QPoint(1, 2) << QPoint(3, 3)
                                     << "阳光花园\t3\t3\n阳光花园\t3\t1\n";
        QTest::newRow("dragged up and left") << QPoint(4, 3) << QPoint(2, 2) << "3\t3\t100.00\n3\t1\t33.33\n";
        QTest::newRow("a text with a tab and a quote") << QPoint(5, 2) << QPoint(5, 2) << "\"说\"\"明\"\"\t备注\"\n";
    }

    void copyTheSelectedRectangle()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QString, copied);
        ReportGrid g = headerGrid();
        g.setText(2, 5, QStringLiteral("说\"明\"\t备注"));
        FlexGrid view;
        view.resize(900, 300);
        view.setGrid(&g);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // Pressed on one cell, released on another with the button held: the rectangle between.
        mouse(view.viewport(), QEvent::MouseButtonPress, view.cellRect(from.y(), from.x()).center(), Qt::LeftButton);
        mouse(view.viewport(), QEvent::MouseMove, view.cellRect(to.y(), to.x()).center(), Qt::LeftButton);
        mouse(view.viewport(), QEvent::MouseButtonRelease, view.cellRect(to.y(), to.x()).center(), Qt::NoButton);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        view.setGrid(nullptr);
    }

    void contextMenuCopiesAndExports()
    {
        ReportGrid g = headerGrid();
        FlexGrid view;
        view.resize(900, 300);
        view.setGrid(&g);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy exports(&view, &FlexGrid::exportRequested);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellRect(3, 4).center());
        QStringList offered;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* a : menu->actions())
                offered << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (off)"));
            menu->findChild<QAction*>(QStringLiteral("导出Excel"))->trigger();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, view.cellRect(3, 4).center(),
                                view.viewport()->mapToGlobal(view.cellRect(3, 4).center()));
        QApplication::sendEvent(view.viewport(), &event);
        QCOMPARE(offered, (QStringList { QStringLiteral("复制"), QStringLiteral("导出Excel") }));
        QCOMPARE(exports.count(), 1);
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

    void wheelScrollsTheData_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("extraRows");
        QTest::addColumn<QPoint>("angle");
        QTest::addColumn<bool>("down");   // the data move up (vertical bar forward)
        QTest::addColumn<bool>("across"); // the data move left (horizontal bar forward)
        const QPoint notchDown(0, -120);
        const QPoint notchRight(-120, 0);
        for (const char* name : { "data", "frozenRows", "frozenColumn", "frozenCorner" }) {
            QTest::addRow("%s, filled, down", name) << name << 60 << notchDown << true << false;
            QTest::addRow("%s, filled, across", name) << name << 60 << notchRight << false << true;
            QTest::addRow("%s, header rows only", name) << name << -2 << notchDown << false << false;
        }
    }

    void wheelScrollsTheData()
    {
        QFETCH(QString, part);
        QFETCH(int, extraRows);
        QFETCH(QPoint, angle);
        QFETCH(bool, down);
        QFETCH(bool, across);
        ReportGrid g = longGrid(std::max(extraRows, 0));
        if (extraRows < 0)
            g.setRows(g.fixedRows()); // a grid before its first run: the header rows alone
        FlexGrid view;
        view.resize(400, 250);
        view.setGrid(&g);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        if (g.rows() > g.fixedRows())
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellRect(2, 1).center());
        const QModelIndex current = view.currentIndex();
        const int row = g.row();
        const int col = g.col();

        wheel(::part(view, part), angle);
        QCOMPARE(view.verticalScrollBar()->value() > 0, down);
        QCOMPARE(view.horizontalScrollBar()->value() > 0, across);
        // The frozen parts follow the data along their own direction only.
        QCOMPARE(view.frozenColumn()->verticalScrollBar()->value(), view.verticalScrollBar()->value());
        QCOMPARE(view.frozenRows()->horizontalScrollBar()->value(), view.horizontalScrollBar()->value());
        QCOMPARE(view.frozenRows()->verticalScrollBar()->value(), 0);
        QCOMPARE(view.frozenColumn()->horizontalScrollBar()->value(), 0);
        // The wheel scrolls; it does not move the current cell.
        QCOMPARE(view.currentIndex(), current);
        QCOMPARE(g.row(), row);
        QCOMPARE(g.col(), col);

        // A notch the other way goes back.
        wheel(::part(view, part), -angle);
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QCOMPARE(view.horizontalScrollBar()->value(), 0);
        view.setGrid(nullptr);
    }

    void scrollBarsAnswerTheMouse_data()
    {
        QTest::addColumn<Qt::Orientation>("orientation");
        QTest::addColumn<int>("control"); // QStyle::SubControl clicked, or SC_ScrollBarSlider dragged
        for (Qt::Orientation o : { Qt::Vertical, Qt::Horizontal }) {
            const char* name = o == Qt::Vertical ? "vertical" : "horizontal";
            QTest::addRow("%s arrow", name) << o << int(QStyle::SC_ScrollBarAddLine);
            QTest::addRow("%s trough", name) << o << int(QStyle::SC_ScrollBarAddPage);
            QTest::addRow("%s handle dragged", name) << o << int(QStyle::SC_ScrollBarSlider);
        }
    }

    void scrollBarsAnswerTheMouse()
    {
        QFETCH(Qt::Orientation, orientation);
        QFETCH(int, control);
        ReportGrid g = longGrid(60);
        FlexGrid view;
        view.resize(400, 250);
        view.setGrid(&g);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellRect(2, 1).center());
        QCOMPARE(g.row(), 2);
        QCOMPARE(g.col(), 1);
        QScrollBar* bar = orientation == Qt::Vertical ? view.verticalScrollBar() : view.horizontalScrollBar();
        QScrollBar* other = orientation == Qt::Vertical ? view.horizontalScrollBar() : view.verticalScrollBar();
        QVERIFY(bar->isVisible());
        QVERIFY(bar->maximum() > bar->pageStep());

        const QRect where = barPart(bar, QStyle::SubControl(control));
        QVERIFY(!where.isEmpty());
        const QPoint at = where.center();
        if (control == QStyle::SC_ScrollBarSlider) {
            const QPoint to = at + (orientation == Qt::Vertical ? QPoint(0, 40) : QPoint(40, 0));
            mouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton);
            mouse(bar, QEvent::MouseMove, to, Qt::LeftButton);
            mouse(bar, QEvent::MouseButtonRelease, to, Qt::NoButton);
            QVERIFY(bar->value() > 0);
        } else {
            mouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton);
            mouse(bar, QEvent::MouseButtonRelease, at, Qt::NoButton);
            const int step = control == QStyle::SC_ScrollBarAddLine ? bar->singleStep() : bar->pageStep();
            QCOMPARE(bar->value(), step);
        }
        QCOMPARE(other->value(), 0);
        QCOMPARE(view.frozenColumn()->verticalScrollBar()->value(), view.verticalScrollBar()->value());
        QCOMPARE(view.frozenRows()->horizontalScrollBar()->value(), view.horizontalScrollBar()->value());
        // Scrolling leaves the current cell where it was ...
        QCOMPARE(g.row(), 2);
        QCOMPARE(g.col(), 1);
        // ... and a click then takes the cell now shown under the mouse.
        const QPoint cell(view.viewport()->width() - 30, view.viewport()->height() - 30);
        const int shownRow = view.rowAt(cell.y());
        const int shownCol = view.columnAt(cell.x());
        QVERIFY(shownRow >= 2 && shownCol >= 1);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(g.row(), shownRow);
        QCOMPARE(g.col(), shownCol);
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
