// The grouped statements over the real client stack against the TDS test server: every report
// run both ways on the server's connection, grouped and item by item, gives the same grid,
// backgrounds and type-analysis boxes, with the texts declared as NVARCHAR and as code-page-936
// VARCHAR.

#include "AppSession.h"
#include "CellDetailCheck.h"
#include "ItemwiseFigures.h"
#include "RecordingMessenger.h"
#include "TdsServer.h"

#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// The names database served over TDS with its texts declared as `text` (nvarchar or varchar), and a
// session connected to it through the settings.
struct ServedNames {
    explicit ServedNames(const QString& text)
    {
        const QString db = writeNamesDatabase(dir.filePath(QStringLiteral("repair.db")), text == QStringLiteral("nvarchar"));
        if (db.isEmpty() || !server.serve(db, QJsonObject { { "text", text }, { "collation", "Chinese_PRC_CI_AS" } }))
            return;
        settings = std::make_unique<TdsSettings>(server);
        session.settingsPath = settings->path();
        connected = ConnectFromSettings(session, messenger);
    }
    QTemporaryDir dir;
    TdsServer server;
    std::unique_ptr<TdsSettings> settings;
    AppSession session;
    RecordingMessenger messenger;
    bool connected = false;
};

} // namespace

class ReferenceOverTdsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(TdsServer().valid(), "run under run_with_server.py"); }

    void groupedEqualsItemwise_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        for (const char* text : { "nvarchar", "varchar" }) {
            for (ReportKind kind : { ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd }) {
                const QString name = QLatin1String(text) + QLatin1Char(' ') + reportName(kind);
                QTest::newRow(qPrintable(name + QStringLiteral(" month"))) << text << int(kind) << "01"
                                                                            << QDate(2026, 11, 1) << QDate(2026, 11, 30);
                QTest::newRow(qPrintable(name + QStringLiteral(" half year"))) << text << int(kind) << "03"
                                                                                << QDate(2026, 6, 1) << QDate(2026, 11, 30);
            }
        }
    }

private:
    // The current row's case, everything of its region ticked, checked by `check` over the TDS test
    // server in the row's column types; "no connection" when the server could not be reached.
    template <typename Check>
    static QString onServedCase(Check check, int* count)
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, region);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        ServedNames served(text);
        if (!served.connected)
            return QStringLiteral("no connection to the TDS test server");
        DbConnection& connection = *served.session.connection;
        return check(ReportKind(kind), connection, everythingTicked(ReportKind(kind), connection, region, start, end), count);
    }

private Q_SLOTS:
    void groupedEqualsItemwise()
    {
        int rows = 0;
        const QString difference = onServedCase(differenceFromItemwise, &rows);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QVERIFY2(rows > 1, "the run has figures");
    }

    void everyCellListsItsFigure_data()
    {
        groupedEqualsItemwise_data();
        QTest::newRow("nvarchar completion month") << "nvarchar" << int(ReportKind::Completion) << "01"
                                                   << QDate(2026, 11, 1) << QDate(2026, 11, 30);
    }

    // Every figure cell's list gives its figure back over the real client stack too.
    void everyCellListsItsFigure()
    {
        int listed = 0;
        const QString disagreement = onServedCase(cellDisagreeingWithList, &listed);
        QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
        QVERIFY2(listed > 4, "the run has figures to list");
    }
};

QTEST_GUILESS_MAIN(ReferenceOverTdsTest)
#include "ReferenceOverTdsTest.moc"
