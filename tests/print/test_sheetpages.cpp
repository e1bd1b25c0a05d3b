#include "SheetPages.h"

#include <QtTest>

using namespace trellum;

namespace {

// A form of `rows` rows of 15 points: a title in row 1, header rows 4 and 5 printed on every page.
Sheet form(int rows, double columnChars = 10)
{
    Sheet s;
    s.setColumnWidth(1, columnChars);
    s.setColumnWidth(2, columnChars);
    for (int r = 1; r <= rows; ++r) {
        s.setText(r, 1, QString::number(r));
        s.setText(r, 2, QStringLiteral("项"));
    }
    s.setPrintTitleRows(4, 5);
    return s;
}

QString describe(const SheetPages& p)
{
    QStringList pages;
    for (const PageRows& page : p.pages)
        pages << (page.titleFirst > 0 ? QStringLiteral("[%1-%2]").arg(page.titleFirst).arg(page.titleLast) : QString())
                     + QStringLiteral("%1-%2").arg(page.first).arg(page.last);
    return pages.join(QLatin1Char(' '));
}

} // namespace

class TestSheetPages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Which rows each page holds; a page of 150 points takes ten rows of 15 points.
    void pages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("verticalMerge"); // top, bottom; empty for none
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one page") << 8 << QList<int>() << 150.0 << QStringLiteral("1-8");
        QTest::newRow("exactly full") << 10 << QList<int>() << 150.0 << QStringLiteral("1-10");
        QTest::newRow("header rows on every later page")
            << 25 << QList<int>() << 150.0 << QStringLiteral("1-10 [4-5]11-18 [4-5]19-25");
        QTest::newRow("no break inside a merged area")
            << 25 << QList<int> { 9, 12 } << 150.0 << QStringLiteral("1-8 [4-5]9-16 [4-5]17-24 [4-5]25-25");
        QTest::newRow("a merged area starts a page, and is cut where it is taller")
            << 14 << QList<int> { 2, 14 } << 150.0 << QStringLiteral("1-1 2-11 [4-5]12-14");
        QTest::newRow("header rows taller than half a page are not repeated")
            << 12 << QList<int>() << 50.0 << QStringLiteral("1-3 4-6 7-9 10-12");
        QTest::newRow("empty sheet") << 0 << QList<int>() << 150.0 << QString();
    }
    void pages()
    {
        QFETCH(int, rows);
        QFETCH(QList<int>, verticalMerge);
        QFETCH(double, pageHeight);
        QFETCH(QString, expected);
        Sheet s = rows > 0 ? form(rows) : Sheet();
        if (!verticalMerge.isEmpty())
            s.merge({ verticalMerge[0], 2, verticalMerge[1], 2 });
        QCOMPARE(describe(SheetPages::plan(s, 1000, pageHeight)), expected);
    }

    // The whole form is scaled to the page width, never split between columns; a narrow one keeps its size.
    void scale_data()
    {
        QTest::addColumn<double>("pageWidth");
        QTest::addColumn<double>("expectedScale");
        // two columns of 10 characters: 75 pixels, 56.25 points each
        QTest::newRow("wider page") << 200.0 << 1.0;
        QTest::newRow("half as wide") << 56.25 << 0.5;
    }
    void scale()
    {
        QFETCH(double, pageWidth);
        QFETCH(double, expectedScale);
        const SheetPages p = SheetPages::plan(form(30), pageWidth, 150);
        QCOMPARE(p.scale, expectedScale);
        QCOMPARE(p.columnLeft.size(), std::size_t(3));
        QCOMPARE(p.columnLeft.back(), 112.5);
        // a smaller scale puts more rows on a page
        const int rowsOnFirstPage = p.pages.front().last;
        QCOMPARE(rowsOnFirstPage, int(150 / expectedScale / 15));
    }
};

QTEST_APPLESS_MAIN(TestSheetPages)
#include "test_sheetpages.moc"
