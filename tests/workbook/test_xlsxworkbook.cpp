#include "WorkbookReader.h"
#include "XlsxWorkbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace trellum;
using trellum::test::WorkbookReader;

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A sheet with one of every kind of cell the exports write.
Sheet sampleSheet()
{
    Sheet s;
    s.merge({ 1, 1, 1, 3 });
    s.setAlignment({ 1, 1, 1, 3 }, SheetAlign::Centre);
    s.setText(1, 1, QStringLiteral("标题"));
    s.setFontName({ 1, 1, 1, 2 }, QStringLiteral("微软雅黑"));
    s.setFontBold({ 1, 1, 1, 2 }, true);
    // a merged header with borders and fill on both of its cells
    s.setText(4, 1, QStringLiteral("序"));
    s.setText(5, 1, QStringLiteral("序"));
    s.merge({ 4, 1, 5, 1 });
    s.setBorders({ 4, 1, 6, 3 });
    s.setFill({ 4, 1, 5, 3 }, 0xFFC0C0);
    s.setFill({ 6, 1, 6, 1 }, 0xFFFFC0);
    s.setFill({ 6, 2, 6, 2 }, 0x0000FF);
    s.setFontSize({ 4, 1, 6, 3 }, 9);
    // numbers and texts
    s.setNumberFormat({ 6, 3, 6, 3 }, QStringLiteral("#0.00"));
    s.setAlignment({ 6, 3, 6, 3 }, SheetAlign::Right);
    s.setText(6, 3, QStringLiteral("12.50"));
    s.setText(6, 2, QStringLiteral("阳光花园"));
    s.setNumberFormat({ 7, 3, 7, 3 }, QStringLiteral("#0"));
    s.setText(8, 2, QStringLiteral(" 经理:"));
    s.setAlignment({ 8, 2, 8, 2 }, SheetAlign::Left);
    // sizes and wrap
    s.setColumnWidth(1, 600 / 110.0);
    s.setColumnWidth(2, 3000 / 110.0);
    s.setColumnWidth(3, 1700 / 110.0);
    s.setColumnWidth(4, 3800 / 110.0);
    s.setRowHeight(4, 30);
    s.setRowWrap(5, true);
    s.setPrintTitleRows(4, 5);
    return s;
}

} // namespace

class TestXlsxWorkbook : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    WorkbookReader* m_book = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("sample.xlsx"));
        const Sheet sheet = sampleSheet();
        const auto error = XlsxWorkbook(sheet).saveAs(path);
        QVERIFY2(!error, error ? qPrintable(error->description) : "");
        m_book = new WorkbookReader(path);
        QVERIFY2(m_book->ok(), qPrintable(m_book->error()));
    }
    void cleanupTestCase() { delete m_book; }

    void cells_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("expected");
        auto row = [](const char* name, const char* cell, const char* prop, const QVariant& v) {
            QTest::newRow(name) << QString::fromLatin1(cell) << QString::fromLatin1(prop) << v;
        };
        row("title text", "A1", "value", QStringLiteral("标题"));
        row("title centred", "A1", "align", QStringLiteral("center"));
        row("title font", "A1", "fontName", QStringLiteral("微软雅黑"));
        row("title bold", "A1", "bold", true);
        row("title default size", "A1", "fontSize", 11.0);
        row("title cell B1 own style", "B1", "xml:bold", true);
        row("title cell C1 not bold", "C1", "xml:bold", false);
        row("title cell C1 centred", "C1", "xml:align", QStringLiteral("center"));
        row("merged header value", "A4", "value", QStringLiteral("序"));
        row("merged header border", "A4", "border", QStringLiteral("thin,thin,thin,thin"));
        row("covered cell border", "A5", "xml:border", QStringLiteral("thin,thin,thin,thin"));
        row("covered cell fill", "A5", "xml:fill", QStringLiteral("FFC0C0FF"));
        row("covered cell size", "A5", "xml:fontSize", 9.0);
        row("covered cell wraps with its row", "A5", "xml:wrap", true);
        row("covered cell holds no value", "A5", "xml:type", QStringLiteral("null"));
        row("total colour red 192 green 192 blue 255", "B4", "fill", QStringLiteral("FFC0C0FF"));
        row("subtotal colour red 192 green 255 blue 255", "A6", "fill", QStringLiteral("FFC0FFFF"));
        row("blue-green-red 0x0000FF is red", "B6", "fill", QStringLiteral("FFFF0000"));
        row("a number text is a number", "C6", "value", 12.5);
        row("number cell type", "C6", "type", QStringLiteral("n"));
        row("its format", "C6", "numFmt", QStringLiteral("#0.00"));
        row("right-aligned", "C6", "align", QStringLiteral("right"));
        row("a name is text", "B6", "type", QStringLiteral("s"));
        row("empty cell keeps its format", "C7", "numFmt", QStringLiteral("#0"));
        row("empty cell has no value", "C7", "value", QStringLiteral("null"));
        row("footer text keeps its blank", "B8", "value", QStringLiteral(" 经理:"));
        row("footer left", "B8", "align", QStringLiteral("left"));
        row("row wrap reaches styled cells", "B5", "wrap", true);
        row("no border outside the range", "D4", "border", QVariant());
    }
    void cells()
    {
        QFETCH(QString, cell);
        QFETCH(QString, property);
        QFETCH(QVariant, expected);
        const QVariant actual = m_book->property(cell, property);
        if (expected.typeId() == QMetaType::Double)
            QCOMPARE(actual.toDouble(), expected.toDouble());
        else
            QCOMPARE(actual, expected);
    }

    void sheetShape()
    {
        const QJsonObject d = m_book->dump();
        QCOMPARE(m_book->merges(), QStringLiteral("A1:C1 A4:A5"));
        QCOMPARE(d.value(QStringLiteral("sheetNames")).toArray().size(), 1);
        // character widths with the spreadsheet's padding: 600 twips / 110 = 5.45 is 6.140625
        const QJsonObject w = d.value(QStringLiteral("widths")).toObject();
        QCOMPARE(w.value(QStringLiteral("A")).toDouble(), 6.140625);
        QCOMPARE(w.value(QStringLiteral("B")).toDouble(), 28.0);
        QCOMPARE(w.value(QStringLiteral("C")).toDouble(), 16.140625);
        QCOMPARE(w.value(QStringLiteral("D")).toDouble(), 35.28515625);
        QCOMPARE(d.value(QStringLiteral("heights")).toObject().value(QStringLiteral("4")).toDouble(), 30.0);
    }

    // The page setup: A4, one page wide, centred, the header rows on every page; landscape only
    // where the form is wider than an upright page.
    void pageSetup_data()
    {
        QTest::addColumn<double>("extraColumnChars");
        QTest::addColumn<QString>("orientation");
        QTest::newRow("narrow form upright") << 0.0 << QStringLiteral("portrait");
        QTest::newRow("wide form landscape") << 30.0 << QStringLiteral("landscape");
    }
    void pageSetup()
    {
        QFETCH(double, extraColumnChars);
        QFETCH(QString, orientation);
        Sheet sheet = sampleSheet();
        if (extraColumnChars > 0) {
            sheet.setColumnWidth(5, extraColumnChars);
            sheet.setText(6, 5, QStringLiteral("备注"));
        }
        const QString path = m_dir.filePath(QStringLiteral("pages.xlsx"));
        QVERIFY(!XlsxWorkbook(sheet).saveAs(path));
        const WorkbookReader book(path);
        QVERIFY2(book.ok(), qPrintable(book.error()));
        const QJsonObject p = book.dump().value(QStringLiteral("pageSetup")).toObject();
        QCOMPARE(p.value(QStringLiteral("orientation")).toString(), orientation);
        QCOMPARE(p.value(QStringLiteral("paperSize")).toInt(), 9);
        QVERIFY(p.value(QStringLiteral("fitToPage")).toBool());
        // one page wide is the file's default and may be left out; any number of pages tall is 0
        QCOMPARE(p.value(QStringLiteral("fitToWidth")).toInt(1), 1);
        QCOMPARE(p.value(QStringLiteral("fitToHeight")).toInt(), 0);
        QCOMPARE(p.value(QStringLiteral("printTitleRows")).toString(), QStringLiteral("$4:$5"));
        QVERIFY(p.value(QStringLiteral("centredHorizontally")).toBool());
        const QJsonArray margins = p.value(QStringLiteral("margins")).toArray();
        QCOMPARE(margins.size(), 4);
        for (const QJsonValue& m : margins)
            QVERIFY2(m.toDouble() >= 0.4 && m.toDouble() <= 1.0, "margins of about half an inch");
        QCOMPARE(p.value(QStringLiteral("footer")).toString(), QStringLiteral("第 &P 页 共 &N 页"));
        // the cells are as without a page setup
        QCOMPARE(book.property(QStringLiteral("C6"), QStringLiteral("value")).toDouble(), 12.5);
    }

    // Each distinct style is one cell format, however many cells carry it.
    void oneFormatPerStyle()
    {
        Sheet s;
        s.setBorders({ 1, 1, 200, 9 });
        s.setFill({ 1, 1, 200, 1 }, 0xFFC0C0);
        s.setNumberFormat({ 1, 9, 200, 9 }, QStringLiteral("#0"));
        for (int r = 1; r <= 200; ++r)
            s.setText(r, 2, QString::number(r));
        const QString path = m_dir.filePath(QStringLiteral("styles.xlsx"));
        QVERIFY(!XlsxWorkbook(s).saveAs(path));
        const WorkbookReader book(path);
        QVERIFY2(book.ok(), qPrintable(book.error()));
        // the default format and: border; border + fill; border + number format
        QCOMPARE(book.dump().value(QStringLiteral("xfCount")).toInt(), 4);
        QCOMPARE(book.property(QStringLiteral("B200"), QStringLiteral("value")).toDouble(), 200.0);
    }

    // A new workbook replaces an existing file and takes over its permissions; a new file gets
    // the usual ones. No temporary file stays behind.
    void replacesExistingFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("replace.xlsx"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older workbook");
        }
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
        const QStringList before = entries(m_dir.path());
        QVERIFY(!XlsxWorkbook(sampleSheet()).saveAs(path));
        QCOMPARE(entries(m_dir.path()), before);
        QVERIFY(WorkbookReader(path).ok());
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));

        const mode_t mask = ::umask(022);
        ::umask(mask);
        const QString fresh = m_dir.filePath(QStringLiteral("fresh.xlsx"));
        QVERIFY(!XlsxWorkbook(sampleSheet()).saveAs(fresh));
        QVERIFY(::stat(QFile::encodeName(fresh).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0666 & ~mask));
    }
};

QTEST_GUILESS_MAIN(TestXlsxWorkbook)
#include "test_xlsxworkbook.moc"
