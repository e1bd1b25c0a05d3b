#include "AppSession.h"
#include "DbSettings.h"
#include "RecordingMessenger.h"

#include <QtTest>

#include <QStringEncoder>

using namespace trellum;

namespace {

// The settings file as a Windows tool or an installer may leave it, in `encoding` (with its mark).
QByteArray encoded(const QString& text, QStringConverter::Encoding encoding)
{
    QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
    return encode(text);
}

QString writeStore(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("Quorvel2011.conf"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

} // namespace

class TestDbSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void namesInAnyCaseAndMarkedEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString plain = QStringLiteral("[DBConfig]\r\nSvr=db01,1433\r\nUID=报修\r\nPWD=p;w\r\nDBname=Repair\r\n");
        const QString lower = QStringLiteral("[dbconfig]\r\nsvr=db01,1433\r\nuid=报修\r\npwd=p;w\r\ndbname=Repair\r\n");
        const QString mixed = QStringLiteral("[ DBCONFIG ]\nSVR = db01,1433\nUid=报修\nPwd=p;w\nDbName=Repair\n");
        QTest::newRow("as written by the installer") << plain.toUtf8();
        QTest::newRow("lower case") << lower.toUtf8();
        QTest::newRow("mixed case") << mixed.toUtf8();
        QTest::newRow("UTF-8 with a mark") << encoded(plain, QStringConverter::Utf8);
        QTest::newRow("UTF-16 little-endian with a mark") << encoded(lower, QStringConverter::Utf16LE);
        QTest::newRow("UTF-16 big-endian with a mark") << encoded(mixed, QStringConverter::Utf16BE);
    }
    void namesInAnyCaseAndMarkedEncodings()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const DbSettings s = readDbSettings(writeStore(dir, bytes));
        QCOMPARE(s.Svr, QStringLiteral("db01,1433"));
        QCOMPARE(s.UID, QStringLiteral("报修"));
        QCOMPARE(s.PWD, QStringLiteral("p;w"));
        QCOMPARE(s.DBname, QStringLiteral("Repair"));
    }

    void otherSectionsStayUnread_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("another section in any case") << QByteArray("[dbconfig2]\nSvr=x\n[other]\nsvr=y\n");
        QTest::newRow("UTF-16 without the section") << encoded(QStringLiteral("[Other]\r\nSvr=x\r\n"), QStringConverter::Utf16LE);
    }
    void otherSectionsStayUnread()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QCOMPARE(readDbSettings(writeStore(dir, bytes)).Svr, QString());
    }

    void anEmptyServerIsSaidSo_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Svr empty") << QByteArray("[DBConfig]\nSvr=\nUID=sa\nPWD=x\nDBname=Repair\n");
        QTest::newRow("Svr blank") << QByteArray("[DBConfig]\nSvr=   \nUID=sa\n");
        QTest::newRow("Svr missing") << QByteArray("[DBConfig]\nUID=sa\n");
        QTest::newRow("no store at all") << QByteArray();
    }
    void anEmptyServerIsSaidSo()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        AppSession session;
        session.settingsPath = bytes.isEmpty() ? dir.filePath(QStringLiteral("absent.conf")) : writeStore(dir, bytes);
        test::RecordingMessenger messenger;
        QVERIFY(!ConnectFromSettings(session, messenger));
        const QStringList texts = messenger.texts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].startsWith(QStringLiteral("错误信息：没有设置数据库服务器")) && texts[0].contains(QStringLiteral("Svr")),
                 qPrintable(texts[0]));
        QCOMPARE(messenger.messages[0].title, QStringLiteral("信息文本"));
        QCOMPARE(texts[1], QStringLiteral("数据库连接失败!"));
        QVERIFY(!session.connection->isOpen());
    }
};

QTEST_GUILESS_MAIN(TestDbSettings)
#include "test_dbsettings.moc"
