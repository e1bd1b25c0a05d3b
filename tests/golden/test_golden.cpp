// Each report's whole grid on the demo database (region 01, November 2026) against its golden
// JSON: the fixed rows, every cell's text and background, the month-end's type-analysis boxes.
// A difference names its cell. scripts/update-golden.sh writes the golden files again.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Runs a program to its end; its standard output, or a description of the failure in `error`.
QByteArray runProgram(const QString& program, const QStringList& args, QString& error)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(-1) || !p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit) {
        error = program + QStringLiteral(" did not run to its end");
        return {};
    }
    if (p.exitCode() != 0)
        error = program + QStringLiteral(" exit %1: ").arg(p.exitCode()) + QString::fromUtf8(p.readAllStandardError());
    return p.readAllStandardOutput();
}

QJsonObject parse(const QByteArray& bytes, const QString& what, QString& error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (!doc.isObject())
        error = what + QStringLiteral(" is no JSON object: ") + parseError.errorString();
    return doc.object();
}

// The first difference of two tables of texts, "" when they agree cell by cell.
QString tableDifference(const QString& name, const QJsonArray& golden, const QJsonArray& now)
{
    if (golden.size() != now.size())
        return QStringLiteral("%1: %2 rows, golden %3").arg(name).arg(now.size()).arg(golden.size());
    for (qsizetype r = 0; r < golden.size(); ++r) {
        const QJsonArray g = golden[r].toArray();
        const QJsonArray n = now[r].toArray();
        if (g.size() != n.size())
            return QStringLiteral("%1 row %2: %3 cells, golden %4").arg(name).arg(r).arg(n.size()).arg(g.size());
        for (qsizetype c = 0; c < g.size(); ++c)
            if (g[c] != n[c])
                return QStringLiteral("%1[%2][%3]: \"%4\", golden \"%5\"")
                    .arg(name)
                    .arg(r)
                    .arg(c)
                    .arg(n[c].toString(), g[c].toString());
    }
    return QString();
}

} // namespace

class TestGolden : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        runProgram(QStringLiteral(TRELLUM_DEMO_TOOL), { QStringLiteral("--out"), database() }, error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void reportMatchesItsGolden_data()
    {
        QTest::addColumn<QString>("report");
        for (const char* report : { "completion", "ledger", "performance", "monthend" })
            QTest::newRow(report) << QString::fromLatin1(report);
    }

    void reportMatchesItsGolden()
    {
        QFETCH(QString, report);
        QFile file(QStringLiteral(TRELLUM_GOLDEN_DIR "/") + report + QStringLiteral(".json"));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QString error;
        const QJsonObject golden = parse(file.readAll(), file.fileName(), error);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        const QByteArray out = runProgram(QStringLiteral(TRELLUM_REPORT_BINARY),
                                          { "--report", report, "--db", database(), "--region", "01", "--from",
                                            "2026-11-01", "--to", "2026-11-30", "--today", "2026-12-01", "--json", "-" },
                                          error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QJsonObject now = parse(out, QStringLiteral("the runner's output"), error);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        QCOMPARE(now.value(QStringLiteral("report")).toString(), report);
        QCOMPARE(now.value(QStringLiteral("fixedRows")), golden.value(QStringLiteral("fixedRows")));
        // the demo month has figures in every report, so a run that lost them cannot pass
        QVERIFY(golden.value(QStringLiteral("rows")).toArray().size() > golden.value(QStringLiteral("fixedRows")).toInt() + 1);
        for (const char* table : { "rows", "backgrounds" }) {
            const QString name = QString::fromLatin1(table);
            const QString difference = tableDifference(name, golden.value(name).toArray(), now.value(name).toArray());
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
        }
        QCOMPARE(now.value(QStringLiteral("typeAnalysis")), golden.value(QStringLiteral("typeAnalysis")));
    }

private:
    QString database() const { return m_dir.filePath(QStringLiteral("demo.db")); }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestGolden)
#include "test_golden.moc"
