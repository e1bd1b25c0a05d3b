#include "Sheet.h"

#include <QtTest>

using namespace trellum;

Q_DECLARE_METATYPE(CellValue::Kind)

namespace {

// "B2:C3" (or "B2") as a range.
SheetRange range(const QString& a1)
{
    auto corner = [](const QString& ref, int& row, int& col) {
        col = 0;
        int i = 0;
        while (i < ref.size() && ref[i].isLetter())
            col = col * 26 + (ref[i++].toUpper().unicode() - 'A' + 1);
        row = ref.mid(i).toInt();
    };
    const QStringList parts = a1.split(QLatin1Char(':'));
    SheetRange r;
    corner(parts[0], r.top, r.left);
    corner(parts.value(1, parts[0]), r.bottom, r.right);
    return r;
}

QString name(const SheetRange& r)
{
    auto col = [](int c) { return QString(QChar(char16_t(u'A' + c - 1))); };
    return col(r.left) + QString::number(r.top) + QLatin1Char(':') + col(r.right) + QString::number(r.bottom);
}

QString mergeList(const Sheet& sheet)
{
    QStringList out;
    for (const SheetRange& m : sheet.merges())
        out << name(m);
    out.sort();
    return out.join(QLatin1Char(' '));
}

QString shown(const Sheet& sheet, int row, int col)
{
    const CellValue v = sheet.value(row, col);
    switch (v.kind) {
    case CellValue::Kind::Empty: return QStringLiteral("-");
    case CellValue::Kind::Number: return QStringLiteral("n:") + QString::number(v.number);
    case CellValue::Kind::Text: return QStringLiteral("t:") + v.text;
    }
    return {};
}

} // namespace

class TestSheet : public QObject {
    Q_OBJECT

private slots:
    void typedEntries_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<CellValue::Kind>("kind");
        QTest::addColumn<double>("number");
        using K = CellValue::Kind;
        QTest::newRow("rate as formatted") << "12.50" << K::Number << 12.5;
        QTest::newRow("count") << "7" << K::Number << 7.0;
        QTest::newRow("leading zeros") << "007" << K::Number << 7.0;
        QTest::newRow("negative") << "-3.25" << K::Number << -3.25;
        QTest::newRow("blanks around") << " 12 " << K::Number << 12.0;
        QTest::newRow("empty") << "" << K::Empty << 0.0;
        QTest::newRow("label") << "合计" << K::Text << 0.0;
        QTest::newRow("number then text") << "12.5abc" << K::Text << 0.0;
        QTest::newRow("two points") << "1.2.3" << K::Text << 0.0;
        QTest::newRow("lone point") << "." << K::Text << 0.0;
        QTest::newRow("full-width digits") << "１２" << K::Text << 0.0;
        QTest::newRow("footer line") << " 经理:" << K::Text << 0.0;
    }
    void typedEntries()
    {
        QFETCH(QString, text);
        QFETCH(CellValue::Kind, kind);
        QFETCH(double, number);
        Sheet sheet;
        sheet.setText(2, 3, text);
        const CellValue v = sheet.value(2, 3);
        QCOMPARE(v.kind, kind);
        if (kind == CellValue::Kind::Number)
            QCOMPARE(v.number, number);
        if (kind == CellValue::Kind::Text)
            QCOMPARE(v.text, text);
    }

    // Range operations reach every cell of the range and no other; they add up per cell.
    void rangeStylesReachEveryCell()
    {
        Sheet sheet;
        sheet.setBorders(range(QStringLiteral("A4:C5")));
        sheet.setFill(range(QStringLiteral("B5:D5")), 0xFFC0C0);
        sheet.setFontSize(range(QStringLiteral("A2:C6")), 9);
        sheet.setNumberFormat(range(QStringLiteral("C5")), QStringLiteral("#0.00"));
        sheet.setRowWrap(5, true);
        for (int r = 4; r <= 5; ++r)
            for (int c = 1; c <= 3; ++c)
                QVERIFY(sheet.style(r, c).border);
        QVERIFY(!sheet.style(6, 1).border);
        QVERIFY(!sheet.style(4, 4).border);
        const CellStyle c5 = sheet.style(5, 3);
        QVERIFY(c5.border);
        QCOMPARE(c5.fill, std::optional<BgrColour>(0xFFC0C0));
        QCOMPARE(c5.fontSize, 9.0);
        QCOMPARE(c5.numberFormat, QStringLiteral("#0.00"));
        QVERIFY(c5.wrap);
        QVERIFY(sheet.style(5, 9).wrap); // the whole row wraps
        QVERIFY(!sheet.style(4, 3).wrap);
        QCOMPARE(sheet.style(5, 4).fontSize, 0.0);
        QCOMPARE(sheet.lastRow(), 6);
        QCOMPARE(sheet.lastColumn(), 4);
    }

    // Merges never overlap: a merge replaces the merged areas it overlaps; one cell is no merge.
    void mergeOverMerged_data()
    {
        QTest::addColumn<QStringList>("ops");
        QTest::addColumn<QString>("merges");
        QTest::newRow("disjoint areas stay") << QStringList { "A4:A5", "B4:B5", "I4:I5" } << "A4:A5 B4:B5 I4:I5";
        QTest::newRow("same area twice") << QStringList { "E3:F3", "E3:F3" } << "E3:F3";
        QTest::newRow("partial overlap replaces") << QStringList { "A1:B2", "B2:C3" } << "B2:C3";
        QTest::newRow("enclosing replaces both") << QStringList { "A1:A2", "C1:C2", "A1:C2" } << "A1:C2";
        QTest::newRow("inside replaces the outer") << QStringList { "A1:I1", "C1:D1" } << "C1:D1";
        QTest::newRow("one cell changes nothing") << QStringList { "A1:B2", "B2" } << "A1:B2";
        QTest::newRow("bad range ignored") << QStringList { "A1:B2", "C3:B1" } << "A1:B2";
    }
    void mergeOverMerged()
    {
        QFETCH(QStringList, ops);
        QFETCH(QString, merges);
        Sheet sheet;
        for (const QString& op : ops)
            sheet.merge(range(op));
        QCOMPARE(mergeList(sheet), merges);
        const auto& all = sheet.merges();
        for (std::size_t i = 0; i < all.size(); ++i)
            for (std::size_t j = i + 1; j < all.size(); ++j)
                QVERIFY(!all[i].overlaps(all[j]));
    }

    // A merged area holds one value in its top-left cell, whatever order values and merge come in.
    void mergedAreaHoldsOneValue_data()
    {
        QTest::addColumn<QStringList>("ops"); // "=A4 text" writes, "A4:A5" merges
        QTest::addColumn<QString>("a4");
        QTest::addColumn<QString>("a5");
        QTest::newRow("top-left kept, rest emptied") << QStringList { "=A4 序", "=A5 序", "A4:A5" } << "t:序" << "-";
        QTest::newRow("empty top-left takes the first value")
            << QStringList { "=A5 12", "A4:A5" } << "n:12" << "-";
        QTest::newRow("write into a covered cell dropped")
            << QStringList { "A4:A5", "=A4 备注", "=A5 x" } << "t:备注" << "-";
        QTest::newRow("cells of a replaced area are free again")
            << QStringList { "=A4 a", "=A5 b", "A4:A5", "A5:B5", "=A5 c" } << "t:a" << "t:c";
    }
    void mergedAreaHoldsOneValue()
    {
        QFETCH(QStringList, ops);
        QFETCH(QString, a4);
        QFETCH(QString, a5);
        Sheet sheet;
        for (const QString& op : ops) {
            if (op.startsWith(QLatin1Char('='))) {
                const SheetRange at = range(op.mid(1).section(QLatin1Char(' '), 0, 0));
                sheet.setText(at.top, at.left, op.section(QLatin1Char(' '), 1));
            } else {
                sheet.merge(range(op));
            }
        }
        QCOMPARE(shown(sheet, 4, 1), a4);
        QCOMPARE(shown(sheet, 5, 1), a5);
    }

    // Styles given to a merged area stay on each of its cells.
    void mergedCellsKeepTheirStyles()
    {
        Sheet sheet;
        sheet.merge(range(QStringLiteral("A4:A5")));
        sheet.setBorders(range(QStringLiteral("A4:I5")));
        sheet.setFill(range(QStringLiteral("A4:I5")), 0xFFC0C0);
        QVERIFY(sheet.style(5, 1).border);
        QCOMPARE(sheet.style(5, 1).fill, std::optional<BgrColour>(0xFFC0C0));
        QCOMPARE(sheet.mergeAt(5, 1), std::optional<SheetRange>(range(QStringLiteral("A4:A5"))));
        QVERIFY(!sheet.mergeAt(5, 2));
    }
};

QTEST_GUILESS_MAIN(TestSheet)
#include "test_sheet.moc"
