// Database faults: settings pointing at a missing file, a file that is no database, a truncated
// or corrupted database, a missing table or column, a database locked by another process, a
// SQL Server address that refuses, and the database disappearing or changing while a window stays
// open. Each gives the program's own messages, never a crash; the login path ends the program
// where the connection cannot be opened, the report windows stay usable.

#include "FileFault.h"
#include "FixtureDb.h"
#include "LoginWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "RecordingMessenger.h"
#include "ReportDriver.h"
#include "ReportCatalog.h"
#include "ReportWindow.h"
#include "SpliceScene.h"
#include "UiFixture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

const QString kFailed = QStringLiteral("数据库连接失败!");

// A good database (the plain scene, logins 1001/1234 and 1002/1234) in a folder of its own.
struct GoodDatabase {
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("repair.db"));
    GoodDatabase()
    {
        FixtureDb fixture;
        SpliceScene(SpliceScene::Spelling::Plain).fill(fixture);
        fixture.addEmployee(QStringLiteral("1001"), QStringLiteral("1234"), QStringLiteral("李娜"));
        fixture.addPosition(QStringLiteral("1001"), QStringLiteral("P01"), QStringLiteral("水电工"), QStringLiteral("D01"),
                            QStringLiteral("维修部"), true);
        fixture.close();
        QFile::copy(fixture.path(), path);
    }
    QByteArray bytes() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// A settings store written by hand, as an installer writes one.
QString writeStore(const QTemporaryDir& dir, const QString& svr)
{
    const QString path = dir.filePath(QStringLiteral("Quorvel2011.conf"));
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write("[DBConfig]\nSvr=" + svr.toUtf8() + "\nUID=sa\nPWD=pw;with,marks\nDBname=repair\n");
    return path;
}

// A loopback port that refuses: listened on once, then closed.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

// Applies a named fault to the database (or, for "refusing server", points elsewhere); returns
// the Svr setting to use. `lock` receives the other process's lock for "locked".
QString applyFault(const QString& fault, GoodDatabase& db, std::unique_ptr<FileFault::Lock>& lock)
{
    const QString svr = QStringLiteral("sqlite:") + db.path;
    if (fault == QLatin1String("missing file"))
        return QStringLiteral("sqlite:") + db.folder.filePath(QStringLiteral("gone.db"));
    if (fault == QLatin1String("not a database"))
        FileFault::overwrite(db.path, QByteArray("REGION;OFFICE;ORDERS\n01;0101;12\n").repeated(400));
    else if (fault == QLatin1String("truncated to its header"))
        FileFault::truncate(db.path, 60);
    else if (fault == QLatin1String("truncated to one page"))
        FileFault::truncate(db.path, 4096);
    else if (fault == QLatin1String("corrupted pages"))
        FileFault::scramble(db.path, 100); // everything after the file header, the schema page included
    else if (fault == QLatin1String("missing table"))
        FileFault::alter(db.path, QStringLiteral("DROP TABLE 员工档案"));
    else if (fault == QLatin1String("missing column"))
        FileFault::alter(db.path, QStringLiteral("ALTER TABLE 员工档案 DROP COLUMN 帐号密码"));
    else if (fault == QLatin1String("locked by another process"))
        lock = std::make_unique<FileFault::Lock>(db.path);
    else if (fault == QLatin1String("refusing server"))
        return QStringLiteral("127.0.0.1,%1").arg(closedPort());
    else if (fault == QLatin1String("no settings"))
        return QString();
    return svr;
}

// The program started on `svr`; for an empty line the login button is pressed with 1001/1234.
struct Started {
    QTemporaryDir dir;
    AppSession session;
    RecordingMessenger messenger;
    CancellingSaveDialog dialog;
    int ended = 0;
    std::unique_ptr<Program> program;
    Started(const QString& svr, bool writeStoreFile, const QString& line)
    {
        session.settingsPath = writeStoreFile ? writeStore(dir, svr) : dir.filePath(QStringLiteral("none.conf"));
        program = std::make_unique<Program>(session, messenger, dialog, [this] { ++ended; }, dir.path());
        program->start(line);
        if (!line.isEmpty())
            return;
        program->loginWindow()->findChild<QLineEdit*>(QStringLiteral("TxtUser"))->setText(QStringLiteral("1001"));
        program->loginWindow()->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(QStringLiteral("1234"));
        program->loginWindow()->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    }
};

const QRegularExpression kReportForm(QStringLiteral("^错误码: -?[0-9]+ 错误描述: .+"));

} // namespace

class DbFaultTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loginFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("ends");        // the connection fails: both messages, the program ends
        QTest::addColumn<QString>("described"); // a part of the description shown
        QTest::newRow("missing file") << "missing file" << true << "gone.db";
        QTest::newRow("not a database") << "not a database" << true << "not a database";
        QTest::newRow("truncated to its header") << "truncated to its header" << true << "malformed";
        QTest::newRow("truncated to one page") << "truncated to one page" << true << "malformed";
        QTest::newRow("corrupted pages") << "corrupted pages" << true << "malformed";
        QTest::newRow("locked by another process") << "locked by another process" << true << "locked";
        QTest::newRow("refusing server") << "refusing server" << true << "Unable to connect";
        QTest::newRow("no settings") << "no settings" << true << "没有设置数据库服务器";
        QTest::newRow("missing table") << "missing table" << false << "no such table: 员工档案";
        QTest::newRow("missing column") << "missing column" << false << "no such column: 帐号密码";
    }

    void loginFaults()
    {
        QFETCH(QString, fault);
        QFETCH(bool, ends);
        QFETCH(QString, described);
        GoodDatabase db;
        std::unique_ptr<FileFault::Lock> lock;
        const QString svr = applyFault(fault, db, lock);
        if (lock)
            QVERIFY(lock->held());
        Started s(svr, fault != QLatin1String("no settings"), QString());
        const QList<Message>& m = s.messenger.messages;
        QVERIFY2(m.size() >= 1, "a message is shown");
        QVERIFY2(m[0].text.contains(described), qPrintable(s.messenger.texts().join('\n')));
        if (ends) {
            QCOMPARE(m.size(), 2);
            QVERIFY(m[0].text.startsWith(QStringLiteral("错误信息：")));
            QCOMPARE(m[0].title, QStringLiteral("信息文本"));
            QCOMPARE(m[1].text, kFailed);
            QCOMPARE(m[1].title, QStringLiteral("连接提示"));
            QCOMPARE(s.ended, 1);
        } else {
            // the login's own form, "number description"; the window stays for another attempt
            QCOMPARE(m.size(), 1);
            QVERIFY2(QRegularExpression(QStringLiteral("^-?[0-9]+ .+")).match(m[0].text).hasMatch(), qPrintable(m[0].text));
            QCOMPARE(m[0].title, QStringLiteral("Trellum"));
            QCOMPARE(s.ended, 0);
            QVERIFY(s.program->loginWindow()->isVisible());
        }
        QVERIFY(!s.program->mainWindow());
    }

    void handOffFaultsFallBackToTheLogin_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char* f : { "missing file", "not a database", "corrupted pages", "locked by another process", "refusing server" })
            QTest::newRow(f) << QString::fromUtf8(f);
    }

    void handOffFaultsFallBackToTheLogin()
    {
        QFETCH(QString, fault);
        GoodDatabase db;
        std::unique_ptr<FileFault::Lock> lock;
        const QString svr = applyFault(fault, db, lock);
        Started s(svr, true, QStringLiteral("1001,李娜,D01,维修部,P01,水电工,BM,职能部门,GL,管理岗"));
        QCOMPARE(s.messenger.messages.size(), 2);
        QVERIFY(s.messenger.messages[0].text.startsWith(QStringLiteral("错误信息：")));
        QCOMPARE(s.messenger.messages[1].text, kFailed);
        QCOMPARE(s.ended, 0);
        QVERIFY(!s.program->mainWindow());
        QVERIFY(s.program->loginWindow()->isVisible());
        QCOMPARE(s.session.state.EmployeeName, QStringLiteral("李娜"));
    }

    void faultsWhileTheWindowIsOpen_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("reported"); // false: the open connection still reads what it had
        QTest::newRow("file removed") << "file removed" << false;
        QTest::newRow("file replaced by another") << "file replaced by another" << false;
        QTest::newRow("emptied in place") << "emptied in place" << true;
        QTest::newRow("overwritten in place") << "overwritten in place" << true;
        QTest::newRow("pages corrupted in place") << "pages corrupted in place" << true;
        QTest::newRow("table dropped by a writer") << "table dropped by a writer" << true;
        QTest::newRow("locked by another process") << "locked by another process" << true;
    }

    void faultsWhileTheWindowIsOpen()
    {
        QFETCH(QString, fault);
        QFETCH(bool, reported);
        GoodDatabase db;
        const QByteArray good = db.bytes();
        for (ReportKind kind : { ReportKind::Completion, ReportKind::Performance, ReportKind::MonthEnd }) {
            QVERIFY(FileFault::overwrite(db.path, good));
            ReportDriver driver(kind, db.path);
            const GridRun first = driver.run(PanelChoice { QDate(2024, 3, 1), QDate(2024, 3, 31), 0, std::nullopt, std::nullopt });
            QVERIFY2(first.messages.isEmpty(), qPrintable(first.messages.join('\n')));
            std::unique_ptr<FileFault::Lock> lock;
            if (fault == QLatin1String("file removed")) {
                QVERIFY(QFile::remove(db.path));
            } else if (fault == QLatin1String("file replaced by another")) {
                QFile::remove(db.path + QStringLiteral(".new"));
                QVERIFY(QFile::copy(db.path, db.path + QStringLiteral(".new")));
                FileFault::alter(db.path + QStringLiteral(".new"), QStringLiteral("DELETE FROM PG派工单"));
                QVERIFY(QFile::remove(db.path));
                QVERIFY(QFile::rename(db.path + QStringLiteral(".new"), db.path));
            } else if (fault == QLatin1String("emptied in place")) {
                QVERIFY(FileFault::truncate(db.path, 0));
            } else if (fault == QLatin1String("overwritten in place")) {
                QVERIFY(FileFault::overwrite(db.path, QByteArray("not a database any more\n").repeated(500)));
            } else if (fault == QLatin1String("pages corrupted in place")) {
                QVERIFY(FileFault::scramble(db.path, 100));
            } else if (fault == QLatin1String("table dropped by a writer")) {
                QVERIFY(FileFault::alter(db.path, QStringLiteral("DROP TABLE PG派工单")));
            } else {
                lock = std::make_unique<FileFault::Lock>(db.path);
                QVERIFY(lock->held());
            }
            const GridRun second = driver.runAgain();
            if (reported) {
                QCOMPARE(second.messages.size(), 1);
                QVERIFY2(kReportForm.match(second.messages[0]).hasMatch(), qPrintable(second.messages[0]));
                QCOMPARE(driver.messenger().messages[0].title, QStringLiteral("系统提示"));
                QCOMPARE(second.rows, first.rows); // a failed run leaves the last result as it was
            } else {
                QVERIFY2(second.messages.isEmpty(), qPrintable(second.messages.join('\n')));
                QCOMPARE(second.rows, first.rows);
            }
            // the file is put right: the same window runs again as before
            if (lock)
                lock->release();
            if (fault == QLatin1String("file removed") || fault == QLatin1String("file replaced by another"))
                QFile::remove(db.path);
            QVERIFY(FileFault::overwrite(db.path, good));
            driver.messenger().messages.clear();
            const GridRun third = driver.runAgain();
            QVERIFY2(third.messages.isEmpty(), qPrintable(third.messages.join('\n')));
            if (!fault.startsWith(QLatin1String("file ")))
                QCOMPARE(third.rows, first.rows);
            QVERIFY(driver.window().isVisible());
        }
    }

    void settingsAreReadAsWritten_data()
    {
        QTest::addColumn<QByteArray>("line"); // one line of the [DBConfig] section
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("host and port") << QByteArray("Svr=127.0.0.1,1433") << "Svr" << "127.0.0.1,1433";
        QTest::newRow("named instance") << QByteArray("Svr=DB01\\SQLEXPRESS") << "Svr" << "DB01\\SQLEXPRESS";
        QTest::newRow("semicolon and comma") << QByteArray("PWD=a;b, c") << "PWD" << "a;b, c";
        QTest::newRow("backslash and quote") << QByteArray("PWD=p\\w\"x") << "PWD" << "p\\w\"x";
        QTest::newRow("blanks around") << QByteArray("UID =  sa  ") << "UID" << "sa";
        QTest::newRow("quoted") << QByteArray("PWD=\" a;b \\\"c\\\\ \"") << "PWD" << " a;b \"c\\ ";
        QTest::newRow("unicode") << QByteArray("DBname=报修 Ωμέγα") << "DBname" << "报修 Ωμέγα";
        QTest::newRow("embedded path with marks") << QByteArray("Svr=sqlite:/data/a,b;c/x.db") << "Svr" << "sqlite:/data/a,b;c/x.db";
    }

    void settingsAreReadAsWritten()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quorvel2011.conf"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; written by an installer\r\n[Other]\r\nSvr=elsewhere\r\n[DBConfig]\r\n" + line + "\r\n");
        f.close();
        const DbSettings s = readDbSettings(path);
        const QString read = key == QLatin1String("Svr") ? s.Svr : key == QLatin1String("UID") ? s.UID
            : key == QLatin1String("PWD") ? s.PWD : s.DBname;
        QCOMPARE(read, value);
        QCOMPARE(key == QLatin1String("Svr") ? QString() : s.Svr, QString()); // the other section is not read
    }

    void aMissingFileIsNeverCreated()
    {
        QTemporaryDir dir;
        const QString gone = dir.filePath(QStringLiteral("gone.db"));
        AppSession session;
        RecordingMessenger messenger;
        QVERIFY(!OpenDatabase(session, messenger, QString(), QString(), QString(), QStringLiteral("sqlite:") + gone));
        QVERIFY(!QFile::exists(gone));
        QCOMPARE(messenger.messages.size(), 1);
    }
};

QTEST_MAIN(DbFaultTest)
#include "DbFaultTest.moc"
