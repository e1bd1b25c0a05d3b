#include "TdsServer.h"

#include "DemoDatabase.h"
#include "SqlFunctions.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpSocket>

#include <sqlite3.h>

namespace trellum::test {

TdsServer::TdsServer()
    : m_port(qEnvironmentVariableIntValue("TRELLUM_TDS_PORT"))
    , m_control(qEnvironmentVariableIntValue("TRELLUM_TDS_CONTROL"))
{
}

QString TdsServer::svr() const
{
    return QStringLiteral("127.0.0.1,%1").arg(m_port);
}

QJsonObject TdsServer::request(const QJsonObject& body)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(m_control));
    if (!socket.waitForConnected(5000))
        return QJsonObject { { "ok", false }, { "error", "no control channel" } };
    socket.write(QJsonDocument(body).toJson(QJsonDocument::Compact) + '\n');
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(10000))
        answer += socket.readAll();
    return QJsonDocument::fromJson(answer).object();
}

bool TdsServer::serve(const QString& database, const QJsonObject& extra)
{
    QJsonObject body = extra;
    body.insert("op", "config");
    body.insert("db", database);
    body.insert("user", user());
    body.insert("password", password());
    body.insert("database", TdsServer::database());
    return request(body).value("ok").toBool();
}

QJsonObject TdsServer::log()
{
    return request(QJsonObject { { "op", "log" } }).value("log").toObject();
}

bool TdsServer::down()
{
    return request(QJsonObject { { "op", "down" } }).value("ok").toBool();
}

bool TdsServer::up()
{
    return request(QJsonObject { { "op", "up" } }).value("ok").toBool();
}

TdsSettings::TdsSettings(const TdsServer& server, const QStringList& extraLines)
{
    write(server.svr(), TdsServer::password(), extraLines);
}

void TdsSettings::write(const QString& svr, const QString& password, const QStringList& extraLines)
{
    QFile f(path());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    QString text = QStringLiteral("[DBConfig]\nSvr=%1\nUID=%2\nPWD=%3\nDBname=%4\n")
                       .arg(svr, TdsServer::user(), password, TdsServer::database());
    for (const QString& line : extraLines)
        text += line + QLatin1Char('\n');
    f.write(text.toUtf8());
}

ReportProcess runReportProgram(const QStringList& arguments, const QString& configFolder)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TRELLUM_REPORT_BINARY), arguments);
    ReportProcess out;
    if (!p.waitForStarted(10000))
        return out;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(5000);
        out.err = QStringLiteral("trellum-report ran past two minutes");
        return out;
    }
    out.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    out.out = p.readAllStandardOutput();
    out.err = QString::fromUtf8(p.readAllStandardError());
    return out;
}

void execOn(const QString& database, const QString& sql)
{
    sqlite3* db = nullptr;
    char* problem = nullptr;
    // the file's expression indexes need the T-SQL functions to be written to
    if (sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
        || registerTsqlFunctions(db) != SQLITE_OK
        || sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &problem) != SQLITE_OK)
        qWarning("test data not written: %s %s", problem ? problem : "", sqlite3_errmsg(db));
    sqlite3_free(problem);
    sqlite3_close(db);
}

void writeSmallDemo(const QString& path)
{
    DemoDatabase::Options o;
    o.outPath = path;
    o.orders = 1500;
    o.offices = 8;
    o.workers = 8;
    o.categories = 4;
    DemoDatabase(o).write();
}

QString writeNamesDatabase(const QString& path, bool beyondGbk)
{
    DemoDatabase::Options o;
    o.outPath = path;
    o.orders = 4000;
    o.offices = 12;
    o.workers = 16;
    o.categories = 6;
    DemoDatabase demo(o);
    if (!demo.write().isEmpty())
        return QString();
    execOn(path, QStringLiteral("UPDATE 设置管理处 SET gyd_name = gyd_name || '堃喆' WHERE gyd_dh LIKE '%1' OR gyd_dh LIKE '%3';"
                                "UPDATE PG区域维修人员 SET 姓名 = '赟' || 姓名, 岗位 = 岗位 || '瑄';"
                                "UPDATE PG报修类别设置 SET 类别名称 = 类别名称 || '犇镕';"
                                "UPDATE 员工档案 SET 姓名 = 姓名 || '喆' WHERE 工号 = '1001';"));
    if (beyondGbk)
        execOn(path, QStringLiteral("UPDATE 设置管理处 SET gyd_name = '𠀀' || gyd_name || 'é' WHERE gyd_dh LIKE '%2';"
                                    "UPDATE PG区域维修人员 SET 姓名 = 姓名 || '𠀀' WHERE rowid % 2 = 1;"));
    return path;
}

// The parts of a workbook that hold what it shows (everything but its creation time).
QByteArray workbookParts(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            { QStringLiteral("-c"),
              QStringLiteral("import sys, zipfile\n"
                             "z = zipfile.ZipFile(sys.argv[1])\n"
                             "for n in sorted(z.namelist()):\n"
                             "    if n != 'docProps/core.xml':\n"
                             "        sys.stdout.buffer.write(n.encode() + b'\\n' + z.read(n) + b'\\n')\n"),
              path });
    if (!p.waitForFinished(30000))
        return QByteArray();
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

} // namespace trellum::test
