// Spliced values cannot change a statement: one description written once with plain codes and
// names and once with hostile ones; every report, through its window and through the headless
// runner, selects exactly what the plain spelling selects. The login statements select nothing
// they should not for hostile typed text.

#include "CellDetailCheck.h"
#include "FilterPanel.h"
#include "ItemwiseFigures.h"
#include "FixtureDb.h"
#include "Login.h"
#include "LoginWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "RecordingMessenger.h"
#include "ReportDriver.h"
#include "ReportCatalog.h"
#include "ReportScene.h"
#include "ReportWindow.h"
#include "SpliceScene.h"
#include "UiFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

const QDate kFrom(2024, 3, 1);
const QDate kTo(2024, 3, 31);

// The two fixtures of one description.
struct Twins {
    SpliceScene plain { SpliceScene::Spelling::Plain };
    SpliceScene hostile { SpliceScene::Spelling::Hostile };
    FixtureDb plainDb;
    FixtureDb hostileDb;
    Twins()
    {
        plain.fill(plainDb);
        hostile.fill(hostileDb);
        plainDb.close();
        hostileDb.close();
    }
};

// The first cell where `hostile` differs from `plain` once codes and names are translated.
QString difference(const GridRun& plain, const GridRun& hostile, const QHash<QString, QString>& map)
{
    if (plain.exitCode != hostile.exitCode)
        return QStringLiteral("exit %1 against %2").arg(hostile.exitCode).arg(plain.exitCode);
    if (plain.rows.size() != hostile.rows.size())
        return QStringLiteral("%1 rows against %2").arg(hostile.rows.size()).arg(plain.rows.size());
    for (std::size_t r = 0; r < plain.rows.size(); ++r) {
        if (plain.rows[r].size() != hostile.rows[r].size())
            return QStringLiteral("row %1: %2 columns against %3").arg(r).arg(hostile.rows[r].size()).arg(plain.rows[r].size());
        for (qsizetype c = 0; c < plain.rows[r].size(); ++c) {
            const QString expected = map.value(plain.rows[r][c], plain.rows[r][c]);
            if (hostile.rows[r][c] != expected)
                return QStringLiteral("cell (%1,%2): \"%3\" where \"%4\" was expected").arg(r).arg(c).arg(hostile.rows[r][c], expected);
        }
    }
    if (plain.fills != hostile.fills)
        return QStringLiteral("the cell backgrounds differ");
    if (plain.boxes != hostile.boxes)
        return QStringLiteral("type analysis %1 against %2").arg(hostile.boxes.join('|'), plain.boxes.join('|'));
    if (plain.messages.size() != hostile.messages.size())
        return QStringLiteral("messages %1 against %2").arg(hostile.messages.join('|'), plain.messages.join('|'));
    return QString();
}

// How many data cells of a run hold a number other than 0: a comparison of empty grids proves nothing.
int figuresShown(const GridRun& run, int headerRows)
{
    int n = 0;
    for (std::size_t r = std::size_t(headerRows); r + 1 < run.rows.size(); ++r)
        for (qsizetype c = 2; c < run.rows[r].size(); ++c)
            n += run.rows[r][c].toDouble() != 0 ? 1 : 0;
    return n;
}

QString codeList(const std::vector<Spelled>& entries, const QList<int>& picks)
{
    QStringList codes;
    for (int i : picks)
        codes << entries[std::size_t(i)].code;
    return codes.join(QLatin1Char(','));
}

// The tree children of region 0 by index: offices 0, 1, 2 (3 has ended), workers 0, 1, 2.
QStringList headlessArguments(ReportKind kind, const SpliceScene& s, const QString& db, int region,
                              const std::optional<QList<int>>& nodes, const std::optional<QList<int>>& categories)
{
    QStringList args { "--report", reportName(kind), "--from", kFrom.toString(Qt::ISODate), "--to",
                       kTo.toString(Qt::ISODate), "--region", s.regions()[std::size_t(region)].code, "--db", db,
                       "--json", "-" };
    const bool workers = findReport(kind).info().treeOfWorkers();
    args << (workers ? "--workers" : "--offices") << (nodes ? codeList(workers ? s.workers() : s.offices(), *nodes) : "all");
    args << "--categories" << (categories ? codeList(s.categories(), *categories) : QStringLiteral("all"));
    return args;
}

// Employees whose numbers and passwords are themselves hostile; each holds one position.
struct Employee {
    QString number;
    QString password;
    bool left = false;
};
const std::vector<Employee>& employees()
{
    static const std::vector<Employee> list = {
        { "1001", "1234" }, { "O'Neil", "pa'ss" }, { "%", "%" }, { "a_b", "x_y" }, { "' OR '1'='1", "' OR '1'='1" },
        { "1002\"; --", "p;w--" }, { "Ωμέγα 🔧", "Ünï" }, { "1003", "1234", true }, { "1, 2", "a,b" },
    };
    return list;
}

void addEmployees(FixtureDb& db)
{
    int n = 0;
    for (const Employee& e : employees()) {
        db.addEmployee(e.number, e.password, QStringLiteral("员工%1").arg(n), e.left ? QStringLiteral("2023-01-01") : QString());
        db.addPosition(e.number, QStringLiteral("P%1").arg(n), QStringLiteral("岗位%1").arg(n), QStringLiteral("D01"),
                       QStringLiteral("维修部"), true);
        ++n;
    }
}

int count(DbConnection& db, const QString& sql)
{
    DbCursor cur = db.select(sql);
    int n = 0;
    while (cur.next())
        ++n;
    return cur.failed() ? -1 : n;
}

} // namespace

class SpliceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportsSelectAlike_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("region");
        QTest::addColumn<std::optional<QList<int>>>("nodes");
        QTest::addColumn<std::optional<QList<int>>>("categories");
        const std::optional<QList<int>> all;
        for (ReportKind kind : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd }) {
            const bool workers = findReport(kind).info().treeOfWorkers();
            const QByteArray title = reportName(kind).toUtf8();
            const char* name = title.constData();
            QTest::addRow("%s, window, everything", name) << kind << true << 0 << all << all;
            QTest::addRow("%s, headless, everything", name) << kind << false << 0 << all << all;
            // the windows tick codes with commas too; the runner's lists cannot name them
            QTest::addRow("%s, window, some ticked", name)
                << kind << true << 0 << std::optional(workers ? QList<int> { 0, 2 } : QList<int> { 1, 2 })
                << std::optional(QList<int> { 0, 2 });
            QTest::addRow("%s, headless, some listed", name)
                << kind << false << 0 << std::optional(workers ? QList<int> { 1 } : QList<int> { 0, 2 })
                << std::optional(QList<int> { 0, 1 });
            QTest::addRow("%s, window, other region", name) << kind << true << 1 << all << all;
            QTest::addRow("%s, headless, other region", name) << kind << false << 1 << all << all;
        }
    }

    void reportsSelectAlike()
    {
        QFETCH(ReportKind, kind);
        QFETCH(bool, window);
        QFETCH(int, region);
        QFETCH(std::optional<QList<int>>, nodes);
        QFETCH(std::optional<QList<int>>, categories);
        Twins twins;
        GridRun runs[2];
        const SpliceScene* scenes[2] = { &twins.plain, &twins.hostile };
        const QString paths[2] = { twins.plainDb.path(), twins.hostileDb.path() };
        for (int i = 0; i < 2; ++i) {
            if (window) {
                ReportDriver driver(kind, paths[i]);
                runs[i] = driver.run(PanelChoice { kFrom, kTo, region, nodes, categories });
            } else {
                runs[i] = ReportDriver::headless(headlessArguments(kind, *scenes[i], paths[i], region, nodes, categories));
            }
        }
        QVERIFY2(runs[0].messages.isEmpty(), qPrintable(runs[0].messages.join('\n')));
        QCOMPARE(runs[0].exitCode, 0);
        if (region == 0)
            QVERIFY2(figuresShown(runs[0], findReport(kind).info().headerRows) >= 3, "the plain run shows figures");
        const QString diff = difference(runs[0], runs[1], SpliceScene::translation(twins.plain, twins.hostile));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void detailListsAlike_data()
    {
        QTest::addColumn<ReportKind>("kind");
        for (ReportKind kind : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd })
            QTest::newRow(qPrintable(reportName(kind))) << kind;
    }

    // The lists behind the figures: with hostile codes and names spliced into their statements
    // every list still gives its figure back, and as many cells offer one as with plain spellings.
    void detailListsAlike()
    {
        QFETCH(ReportKind, kind);
        Twins twins;
        const SpliceScene* scenes[2] = { &twins.plain, &twins.hostile };
        const QString paths[2] = { twins.plainDb.path(), twins.hostileDb.path() };
        int listed[2] = {};
        for (int i = 0; i < 2; ++i) {
            DbConnection db;
            QVERIFY(!db.openSqlite(paths[i]));
            const RunInput input = everythingTicked(kind, db, scenes[i]->regions()[0].code, kFrom, kTo);
            const QString disagreement = cellDisagreeingWithList(kind, db, input, &listed[i]);
            QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
        }
        QVERIFY2(listed[0] > 3, "the plain run lists figures");
        QCOMPARE(listed[1], listed[0]);
    }

    void hostileTreesListEveryCodeOnce()
    {
        // the hostile region's tree holds its own active offices and workers, each once
        Twins twins;
        for (ReportKind kind : { ReportKind::Completion, ReportKind::Performance }) {
            ReportDriver driver(kind, twins.hostileDb.path());
            driver.run(PanelChoice { kFrom, kTo, 0, QList<int> {}, QList<int> { 0 } });
            const FilterState state = driver.window().filterPanel()->state();
            QStringList codes;
            for (const TreeNode& n : state.nodes)
                if (n.member)
                    codes << n.code;
            const auto& entries = findReport(kind).info().treeOfWorkers() ? twins.hostile.workers() : twins.hostile.offices();
            QCOMPARE(codes, (QStringList { entries[0].code, entries[1].code, entries[2].code }));
            QCOMPARE(state.region->code, twins.hostile.regions()[0].code);
            QCOMPARE(state.region->name, twins.hostile.regions()[0].name);
        }
    }

    void loginStatementsSelectOnlyTheTypedEmployee_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("password");
        for (const Employee& e : employees())
            QTest::addRow("own: %s", qPrintable(e.number)) << e.number << e.password;
        const char* const attacks[][2] = {
            { "1001' --", "x" },
            { "' OR 1=1 --", "x" },
            { "1001' OR '1'='1", "1234' OR '1'='1" },
            { "x", "' OR '1'='1" },
            { "%", "1234" },
            { "1%", "1234" },
            { "100_", "1234" },
            { "_", "_" },
            { "1001\" OR \"1\"=\"1", "1234" },
            { "1001'; DELETE FROM 员工档案; --", "1234" },
            { "' UNION SELECT * FROM 员工档案 --", "x" },
            { "1001", "' OR 帐号密码 <> '" },
            { "1001", "  1234  " },
            { " 1001", "1234" },
            { "1003", "1234" },
            { "1,", "a,b" },
        };
        for (const auto& a : attacks)
            QTest::addRow("typed: %s / %s", a[0], a[1]) << QString::fromUtf8(a[0]) << QString::fromUtf8(a[1]);
    }

    void loginStatementsSelectOnlyTheTypedEmployee()
    {
        QFETCH(QString, number);
        QFETCH(QString, password);
        FixtureDb fixture;
        addEmployees(fixture);
        fixture.close();
        DbConnection db;
        QVERIFY(!db.openSqlite(fixture.path()));
        int matches = 0;
        int positions = 0;
        for (const Employee& e : employees()) {
            if (e.number == number && e.password == trimBlanks(password))
                ++matches;
            if (e.number == number && !e.left)
                ++positions;
        }
        QCOMPARE(count(db, employeeCheckStatement(number, password)), matches);
        QCOMPARE(count(db, positionsStatement(number)), positions);
    }

    void loginWindowWithHostileText_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("position"); // "" when the login is refused
        QTest::newRow("own apostrophes") << "' OR '1'='1" << "' OR '1'='1" << "岗位4";
        QTest::newRow("own percent sign") << "%" << "%" << "岗位2";
        QTest::newRow("own unicode") << "Ωμέγα 🔧" << "Ünï" << "岗位6";
        QTest::newRow("injection in the number") << "1001' --" << "x" << "";
        QTest::newRow("injection in the password") << "1001" << "' OR '1'='1" << "";
        QTest::newRow("wildcards") << "1%" << "1234" << "";
    }

    void loginWindowWithHostileText()
    {
        QFETCH(QString, number);
        QFETCH(QString, password);
        QFETCH(QString, position);
        ProgramScene s;
        addEmployees(s.db);
        s.db.close();
        Program& program = s.program;
        const RecordingMessenger& messenger = s.messenger;
        program.start(QString());
        program.loginWindow()->findChild<QLineEdit*>(QStringLiteral("TxtUser"))->setText(number);
        program.loginWindow()->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(password);
        program.loginWindow()->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QCOMPARE(s.ended, 0);
        if (position.isEmpty()) {
            QCOMPARE(messenger.texts(), QStringList { QStringLiteral("用户名或密码不正确,请重新输入!") });
            QVERIFY(!program.mainWindow());
        } else {
            QVERIFY2(messenger.messages.isEmpty(), qPrintable(messenger.texts().join('\n')));
            QVERIFY(program.mainWindow() && program.mainWindow()->isVisible());
            QCOMPARE(s.session.state.EmployeeId, number);
            QCOMPARE(s.session.state.PositionName, position);
        }
    }
};

QTEST_MAIN(SpliceTest)
#include "SpliceTest.moc"
