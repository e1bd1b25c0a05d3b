// The window probe of the real-input tests: it replaces nothing that has its socket's name, and it
// never tells what a password field holds.

#include "UiProbe.h"

#include <QDir>
#include <QLineEdit>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace trellum;

class ProbeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void anExistingNameIsLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a file") << "file";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a link") << "link";
        QTest::newRow("a dangling link") << "dangling";
        QTest::newRow("a socket of another program") << "socket";
    }
    void anExistingNameIsLeftAlone()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("probe.sock"));
        const QString kept = dir.filePath(QStringLiteral("kept"));
        {
            QFile f(kept);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("someone's file");
        }
        int other = -1;
        if (kind == QLatin1String("file")) {
            QVERIFY(QFile::copy(kept, path));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("probe.sock")));
        } else if (kind == QLatin1String("link")) {
            QVERIFY(QFile::link(kept, path));
        } else if (kind == QLatin1String("dangling")) {
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("missing")), path));
        } else {
            other = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address {};
            address.sun_family = AF_UNIX;
            const QByteArray name = QFile::encodeName(path);
            QVERIFY(std::size_t(name.size()) < sizeof address.sun_path);
            std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
            QCOMPARE(::bind(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        }
        struct stat before {};
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &before), 0);
        {
            UiProbe probe;
            QVERIFY(!probe.listen(path));
        }
        struct stat after {};
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QFile f(kept);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("someone's file"));
        if (other >= 0)
            ::close(other);
    }

    void aNewSocketAnswersAndGoesAway()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("probe.sock"));
        {
            UiProbe probe;
            QVERIFY(probe.listen(path));
            QLocalSocket client;
            client.connectToServer(path);
            QVERIFY(client.waitForConnected(5000));
            client.write("describe\n");
            QVERIFY(QTest::qWaitFor([&] { return client.canReadLine() || client.state() != QLocalSocket::ConnectedState; }, 5000));
            QVERIFY(client.readAll().startsWith("{"));
        }
        QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());
    }

    void aPasswordIsNeverTold_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("told");
        QTest::newRow("plain field") << int(QLineEdit::Normal) << true;
        QTest::newRow("password field") << int(QLineEdit::Password) << false;
        QTest::newRow("shown while typed") << int(QLineEdit::PasswordEchoOnEdit) << false;
        QTest::newRow("no echo") << int(QLineEdit::NoEcho) << false;
    }
    void aPasswordIsNeverTold()
    {
        QFETCH(int, mode);
        QFETCH(bool, told);
        QWidget window;
        window.setObjectName(QStringLiteral("frmLogin"));
        auto* layout = new QVBoxLayout(&window);
        auto* field = new QLineEdit(&window);
        field->setObjectName(QStringLiteral("txtPassword"));
        field->setEchoMode(QLineEdit::EchoMode(mode));
        field->setText(QStringLiteral("kestra-秘密"));
        layout->addWidget(field);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QByteArray description = UiProbe::describe();
        QVERIFY(description.contains("txtPassword"));
        QCOMPARE(description.contains(QStringLiteral("kestra-秘密").toUtf8()), told);
    }
};

QTEST_MAIN(ProbeTest)
#include "ProbeTest.moc"
