#include "CellText.h"

#include <QtTest>

using namespace trellum;

class TestCellText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numberOfText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("integer") << "40" << 40.0;
        QTest::newRow("decimal") << "12.50" << 12.5;
        QTest::newRow("negative") << "-3.25" << -3.25;
        QTest::newRow("leading blank") << " 7" << 7.0;
        QTest::newRow("number then text") << "5张" << 5.0;
        QTest::newRow("text only") << "合计" << 0.0;
        QTest::newRow("point only") << "." << 0.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("dangling exponent") << "2e" << 2.0;
    }
    void numberOfText()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(cellNumber(text), value);
    }

    void format_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::newRow("half up on decimal form") << 2.675 << "0.00" << "2.68";
        QTest::newRow("two thirds") << 2.0 / 3.0 * 100 << "0.00" << "66.67";
        QTest::newRow("one hundred") << 100.0 << "0.00" << "100.00";
        QTest::newRow("forty") << 40.0 << "0.00" << "40.00";
        QTest::newRow("seven thirds") << 7.0 / 3.0 << "0.00" << "2.33";
        QTest::newRow("small half") << 0.005 << "0.00" << "0.01";
        QTest::newRow("negative half away") << -2.5 << "0" << "-3";
        QTest::newRow("half integer") << 2.5 << "0" << "3";
        QTest::newRow("carry") << 9.995 << "0.00" << "10.00";
        QTest::newRow("zero") << 0.0 << "0.00" << "0.00";
        QTest::newRow("negative to zero") << -0.001 << "0.00" << "0.00";
        QTest::newRow("count") << 12.0 << "0" << "12";
        QTest::newRow("hash pattern") << 12.5 << "#0.00" << "12.50";
        QTest::newRow("large") << 123456789.125 << "0.00" << "123456789.13";
    }
    void format()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(formatNumber(value, pattern), text);
    }

    void plain_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("count") << 17.0 << "17";
        QTest::newRow("sum of rounded") << 2.33 + 2.33 << "4.66";
        QTest::newRow("large") << 1e16 << "10000000000000000";
    }
    void plain()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(plainNumber(value), text);
    }

    void dates()
    {
        QCOMPARE(sqlDate(QDate(2024, 1, 5)), QStringLiteral("20240105"));
        QCOMPARE(isoDate(QDate(2024, 1, 5)), QStringLiteral("2024-01-05"));
    }
};

QTEST_APPLESS_MAIN(TestCellText)
#include "test_celltext.moc"
