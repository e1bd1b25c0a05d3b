// The part files of outputs being written (the workbook's among them) on a termination signal:
// removed, and the process then ends by the signal; an earlier file stays as it was.

#include "OutputFile.h"
#include "PartFileRegistry.h"

#include <QtTest>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

using namespace trellum;

namespace {

QStringList partFiles(const QString& folder)
{
    return QDir(folder).entryList({ QStringLiteral(".trellum-*") }, QDir::Files | QDir::Hidden);
}

} // namespace

class TestPartFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aSignalRemovesThePartFiles_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("ignored"); // the signal was ignored when the handler was installed
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false;
        QTest::newRow("SIGPIPE") << int(SIGPIPE) << false;
        QTest::newRow("SIGHUP ignored, as under nohup") << int(SIGHUP) << true;
    }
    void aSignalRemovesThePartFiles()
    {
        QFETCH(int, signal);
        QFETCH(bool, ignored);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("earlier.xlsx"));
        {
            QFile earlier(target);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier");
        }
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (ignored)
                ::signal(signal, SIG_IGN);
            PartFileRegistry::installSignalCleanup();
            // two outputs under way, as the text documents of one run are
            OutputFile a;
            OutputFile b;
            if (a.open(target) || a.write(QByteArray(100000, 'a')) || b.open(dir.filePath(QStringLiteral("other.csv"))))
                ::_exit(2);
            ::raise(signal);
            ::_exit(PartFileRegistry::count() == 2 ? 7 : 3);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        if (ignored) {
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 7); // went on, its outputs still under way
        } else {
            QVERIFY2(WIFSIGNALED(status), "the process ends by the signal itself");
            QCOMPARE(WTERMSIG(status), signal);
            QCOMPARE(partFiles(dir.path()), QStringList());
        }
        QFile earlier(target);
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("other.csv"))));
    }

    void finishedOutputsAreForgotten()
    {
        QTemporaryDir dir;
        const int before = PartFileRegistry::count();
        {
            OutputFile out;
            QVERIFY(!out.open(dir.filePath(QStringLiteral("x.json"))));
            QCOMPARE(PartFileRegistry::count(), before + 1);
            QVERIFY(!out.write("{}"));
            QVERIFY(!out.commit());
            QCOMPARE(PartFileRegistry::count(), before);
        }
        {
            OutputFile given;
            QVERIFY(!given.open(dir.filePath(QStringLiteral("y.json"))));
        }
        QCOMPARE(PartFileRegistry::count(), before);
        QCOMPARE(partFiles(dir.path()), QStringList());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("y.json"))));
    }
};

QTEST_GUILESS_MAIN(TestPartFiles)
#include "test_partfiles.moc"
