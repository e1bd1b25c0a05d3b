// HighlightCurrentRow in the four windows: which rows react, whether the totals row is left
// alone, from which column the row is coloured, and a remembered row after a smaller run.

#include "CategoryBox.h"
#include "FilterPanel.h"
#include "FlexGrid.h"
#include "ReportScene.h"

#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

struct Scene : ReportScene<> {
    explicit Scene(ReportKind kind, int dataRows = 8)
    {
        addFilterData(db);
        openFake(kind);
        fake->dataRows = dataRows;
        window->resize(1400, 900);
        window->show();
        tickFirstOfEach();
        run();
    }
    void run(int rows = -1)
    {
        if (rows >= 0)
            fake->dataRows = rows;
        QVERIFY(runToEnd());
    }
    ReportGrid& grid() { return window->grid(); }
    void click(int row)
    {
        FlexGrid* view = window->gridView();
        view->scrollTo(view->model()->index(row, 3));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cellRect(row, 3).center());
    }
    // The colours of a row, column by column ("-" for the window colour).
    QString colours(int row)
    {
        QStringList out;
        for (int c = 0; c < grid().cols(); ++c) {
            const std::optional<BgrColour> bg = grid().background(row, c);
            out << (bg ? QString::number(*bg, 16).toUpper() : QStringLiteral("-"));
        }
        return out.join(QLatin1Char(' '));
    }
};

const QString kPlain = QStringLiteral("- - - - - - -");
const QString kGreyFrom1 = QStringLiteral("- E0E0E0 E0E0E0 E0E0E0 E0E0E0 E0E0E0 E0E0E0");
const QString kGreyFrom2 = QStringLiteral("- - E0E0E0 E0E0E0 E0E0E0 E0E0E0 E0E0E0");
const QString kTotal = QStringLiteral("- FFC0C0 FFC0C0 FFC0C0 FFC0C0 FFC0C0 FFC0C0");

} // namespace

class HighlightTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondClickMovesTheHighlight_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("grey");
        QTest::newRow("A") << ReportKind::Completion << 5 << 7 << kGreyFrom1;
        QTest::newRow("B") << ReportKind::Ledger << 5 << 7 << kGreyFrom2;
        QTest::newRow("C") << ReportKind::Performance << 5 << 7 << kGreyFrom1;
        QTest::newRow("D") << ReportKind::MonthEnd << 5 << 7 << kGreyFrom1;
    }

    void secondClickMovesTheHighlight()
    {
        QFETCH(ReportKind, kind);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QString, grey);
        Scene s(kind);
        s.click(first);
        QCOMPARE(s.colours(first), grey);
        QCOMPARE(s.window->highlightedRow(), first);
        s.click(second);
        QCOMPARE(s.colours(first), kPlain);
        QCOMPARE(s.colours(second), grey);
        QCOMPARE(s.window->highlightedRow(), second);
        QCOMPARE(s.grid().row(), second);
        // The keyboard moves it too.
        QTest::keyClick(s.window->gridView(), Qt::Key_Down);
        QCOMPARE(s.colours(second), kPlain);
        QCOMPARE(s.colours(second + 1), grey);
    }

    void rowsThatDoNotReact_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("which");  // totals, subtotal, header
        QTest::addColumn<bool>("reacts");
        QTest::newRow("A totals") << ReportKind::Completion << "totals" << false;
        QTest::newRow("D totals") << ReportKind::MonthEnd << "totals" << false;
        QTest::newRow("C totals") << ReportKind::Performance << "totals" << true;
        QTest::newRow("B subtotal 合计") << ReportKind::Ledger << "subtotal" << false;
        QTest::newRow("B total 总计") << ReportKind::Ledger << "totals" << true;
    }

    void rowsThatDoNotReact()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, which);
        QFETCH(bool, reacts);
        Scene s(kind);
        s.click(4);
        const int last = s.grid().rows() - 1;
        const int row = which == QLatin1String("subtotal") ? last - 1 : last;
        const QString before = s.colours(row);
        s.click(row);
        if (reacts) {
            // In B column 1 keeps its own colour.
            QCOMPARE(s.colours(row), kind == ReportKind::Ledger
                         ? QStringLiteral("- FFC0C0 E0E0E0 E0E0E0 E0E0E0 E0E0E0 E0E0E0")
                         : kGreyFrom1);
            QCOMPARE(s.colours(4), kPlain);
            QCOMPARE(s.window->highlightedRow(), row);
        } else {
            QCOMPARE(s.colours(row), before);
            QCOMPARE(s.colours(4), kind == ReportKind::Ledger ? kGreyFrom2 : kGreyFrom1);
            QCOMPARE(s.window->highlightedRow(), 4);
        }
    }

    void headerRowsDoNotReact_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::newRow("A") << ReportKind::Completion;
        QTest::newRow("B") << ReportKind::Ledger;
        QTest::newRow("C") << ReportKind::Performance;
        QTest::newRow("D") << ReportKind::MonthEnd;
    }

    void headerRowsDoNotReact()
    {
        QFETCH(ReportKind, kind);
        Scene s(kind);
        FlexGrid* view = s.window->gridView();
        QTest::mouseClick(view->frozenRows()->viewport(), Qt::LeftButton, {}, QPoint(view->columnWidth(0) + 20, 4));
        QCOMPARE(s.window->highlightedRow(), 0);
        // The rule itself: a current row among the header rows changes nothing.
        const int header = s.grid().fixedRows();
        s.grid().setRow(header - 1);
        s.window->HighlightCurrentRow();
        QCOMPARE(s.window->highlightedRow(), 0);
        for (int r = 0; r < s.grid().rows(); ++r)
            if (r != s.grid().rows() - 1 && !(kind == ReportKind::Ledger && r == s.grid().rows() - 2))
                QCOMPARE(s.colours(r), kPlain);
    }

    void rememberedRowGoneAfterASmallerRun()
    {
        Scene s(ReportKind::Completion, 10);
        s.click(9);
        QCOMPARE(s.window->highlightedRow(), 9);
        s.run(3); // rows 2..4 and the totals row 5
        QCOMPARE(s.grid().rows(), 6);
        QCOMPARE(s.window->highlightedRow(), 9); // a run does not forget it
        s.click(3);
        QCOMPARE(s.grid().rows(), 6);
        QCOMPARE(s.colours(3), kGreyFrom1);
        QCOMPARE(s.window->highlightedRow(), 3);
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void rememberedRowRepaintedWhateverItHolds()
    {
        Scene s(ReportKind::Completion, 10);
        s.click(4);
        s.run(2); // row 4 is now the totals row
        QCOMPARE(s.grid().text(4, 1), QStringLiteral("合计"));
        QCOMPARE(s.colours(4), kTotal);
        s.click(2);
        QCOMPARE(s.colours(4), kPlain);
        QCOMPARE(s.colours(2), kGreyFrom1);
    }
};

QTEST_MAIN(HighlightTest)
#include "HighlightTest.moc"
