#include "HeadlessRunner.h"
#include "ProgramInfo.h"
#include "RecordingMessenger.h"
#include "TrellumVersion.h"

#include <QtTest>

using namespace trellum;

class TestProgramInfo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void desktopCommandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("replyStart"); // empty: no reply, the line is the hand-off's

        const QString version = QStringLiteral("trellum " TRELLUM_VERSION "\n");
        QTest::newRow("version") << QStringList { "trellum", "--version" } << version;
        QTest::newRow("help") << QStringList { "trellum", "--help" } << QStringLiteral("Usage: trellum");
        QTest::newRow("short help") << QStringList { "trellum", "-h" } << QStringLiteral("Usage: trellum");
        QTest::newRow("no arguments") << QStringList { "trellum" } << QString();
        QTest::newRow("hand-off") << QStringList { "trellum", "1001,张伟,D01,维修部,P01,水电工,C1,职能部门,K1,管理岗" } << QString();
        QTest::newRow("version among others") << QStringList { "trellum", "--version", "x" } << QString();
        QTest::newRow("version as a field") << QStringList { "trellum", "--version,a,b,c,d,e,f,g,h,i" } << QString();
        QTest::newRow("single dash") << QStringList { "trellum", "-version" } << QString();
    }

    void desktopCommandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, replyStart);
        const std::optional<QString> reply = desktopInfoReply(arguments);
        QCOMPARE(reply.has_value(), !replyStart.isEmpty());
        if (reply)
            QVERIFY2(reply->startsWith(replyStart), qPrintable(*reply));
    }

    void runnerAnswersItsVersion()
    {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        test::RecordingMessenger messenger;
        const int code = runHeadless({ "trellum-report", "--version" }, buffer, messenger);
        QCOMPARE(code, int(kExitOk));
        QCOMPARE(out, QByteArray("trellum-report " TRELLUM_VERSION "\n"));
        QVERIFY(messenger.messages.isEmpty());
    }

    void runnerVersionToAClosedOutputFails()
    {
        QBuffer closed;
        test::RecordingMessenger messenger;
        QCOMPARE(runHeadless({ "trellum-report", "--version" }, closed, messenger), int(kExitExport));
        QCOMPARE(messenger.messages.size(), 1);
    }

    // In a build folder the picture lies beside the program; installed, it lies in share/trellum
    // beside the bin folder, and a program folder holding no picture looks there.
    void dataFolderBesideOrInstalled()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QDir top(root.path());
        QVERIFY(top.mkpath(QStringLiteral("build/app")) && top.mkpath(QStringLiteral("usr/bin")));
        QFile picture(top.filePath(QStringLiteral("build/app/MDI.BMP")));
        QVERIFY(picture.open(QIODevice::WriteOnly) && picture.write("BM", 2) == 2);
        picture.close();

        QCOMPARE(dataFolder(top.filePath(QStringLiteral("build/app"))), top.filePath(QStringLiteral("build/app")));
        QCOMPARE(dataFolder(top.filePath(QStringLiteral("usr/bin"))), top.filePath(QStringLiteral("usr/share/trellum")));
    }
};

QTEST_GUILESS_MAIN(TestProgramInfo)
#include "test_programinfo.moc"
