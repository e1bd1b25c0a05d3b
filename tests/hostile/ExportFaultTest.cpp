// Export faults through the report window's export button: a folder that does not exist, a
// read-only (immutable) folder or file, a full disk, a target that is a folder, a name too long;
// and odd but valid names. A fault gives "错误码: N 错误描述: D", leaves an existing file of that
// name as it was and no temporary file; the buttons come back either way.

#include "FixtureDb.h"
#include "FolderSnapshot.h"
#include "ImmutableFlag.h"
#include "ReportDriver.h"
#include "ReportWindow.h"
#include "SmallDisk.h"
#include "SpliceScene.h"

#include <QDir>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

const QByteArray kEarlier = "an earlier workbook that must survive\n";
const QString kSuccess = QStringLiteral("维修完成情况一览表导出成功!");

// The completion overview of the plain scene, run in its window.
struct Scene {
    FixtureDb db;
    std::unique_ptr<ReportDriver> driver;
    QTemporaryDir out;
    Scene()
    {
        SpliceScene(SpliceScene::Spelling::Plain).fill(db);
        db.close();
        driver = std::make_unique<ReportDriver>(ReportKind::Completion, db.path());
        driver->run(PanelChoice { QDate(2024, 3, 1), QDate(2024, 3, 31), 0, std::nullopt, std::nullopt });
    }
    // Exports to `chosen` and returns the one message shown.
    QString exportTo(const QString& chosen)
    {
        driver->messenger().messages.clear();
        driver->dialog().answer = chosen;
        driver->pressExport();
        const QStringList texts = driver->messenger().texts();
        return texts.size() == 1 ? texts[0] : texts.join(QStringLiteral(" | "));
    }
    bool buttonsShown() const
    {
        for (const char* name : { "Command1", "Command2", "Command5" })
            if (!driver->window().findChild<QPushButton*>(QString::fromLatin1(name))->isVisible())
                return false;
        return true;
    }
    bool progressShown() const
    {
        return driver->window().findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->isVisible();
    }
};

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({ QStringLiteral(".trellum-*") }, QDir::Files | QDir::Hidden);
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(content);
}

// The title cell as an independent reader finds it ("" when the file is no workbook).
QString titleOf(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            { QStringLiteral("-c"),
              QStringLiteral("import openpyxl, sys; print(openpyxl.load_workbook(open(sys.argv[1], 'rb')).worksheets[0]['A1'].value)"),
              path });
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

const QRegularExpression kErrorForm(QStringLiteral("^错误码: [0-9]+ 错误描述: .+"));

} // namespace

class ExportFaultTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void faultsKeepTheEarlierFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("described");
        QTest::newRow("folder does not exist") << "missing folder" << "No such file or directory";
        QTest::newRow("read-only folder") << "read-only folder" << "Operation not permitted";
        QTest::newRow("read-only file") << "read-only file" << "Operation not permitted";
        QTest::newRow("disk full") << "full disk" << "";
        QTest::newRow("target is a folder") << "target is a folder" << "Is a directory";
        QTest::newRow("name too long") << "name too long" << "File name too long";
    }

    void faultsKeepTheEarlierFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, described);
        Scene s;
        QDir(s.out.path()).mkdir(QStringLiteral("reports"));
        const QString folder = s.out.filePath(QStringLiteral("reports"));
        QString chosen = folder + QStringLiteral("/x.xlsx");
        const QString earlier = chosen;
        writeFile(earlier, kEarlier);
        writeFile(s.out.filePath(QStringLiteral("earlier")), kEarlier); // what the earlier file holds
        std::unique_ptr<ImmutableFlag> immutable;
        std::unique_ptr<SmallDisk> disk;
        if (fault == QLatin1String("missing folder")) {
            chosen = folder + QStringLiteral("/none/x.xlsx");
        } else if (fault == QLatin1String("read-only folder") || fault == QLatin1String("read-only file")) {
            immutable = std::make_unique<ImmutableFlag>(fault.endsWith(QLatin1String("folder")) ? folder : earlier);
            if (!immutable->set())
                QSKIP(qPrintable(QStringLiteral("the immutable attribute cannot be set here: ") + immutable->reason()));
        } else if (fault == QLatin1String("full disk")) {
            QFile::remove(earlier);
            disk = std::make_unique<SmallDisk>(folder, 256);
            if (!disk->mounted())
                QSKIP(qPrintable(QStringLiteral("no small disk can be mounted here: ") + disk->reason()));
            writeFile(earlier, kEarlier);
            QVERIFY(disk->fill(QStringLiteral("filler"), 2048));
        } else if (fault == QLatin1String("target is a folder")) {
            QFile::remove(earlier);
            QVERIFY(QDir(folder).mkdir(QStringLiteral("x.xlsx")));
            writeFile(earlier + QStringLiteral("/inside.txt"), kEarlier);
        } else {
            chosen = folder + QLatin1Char('/') + QString(300, QChar(0x957F)) + QStringLiteral(".xlsx");
        }
        const FolderSnapshot before = FolderSnapshot::of(folder);

        const QString message = s.exportTo(chosen);
        QVERIFY2(kErrorForm.match(message).hasMatch(), qPrintable(message));
        QVERIFY2(message.contains(described), qPrintable(message));
        QCOMPARE(s.driver->messenger().messages[0].title, QStringLiteral("系统提示"));
        QVERIFY(s.buttonsShown());
        QVERIFY(s.progressShown()); // it stays with its last value until a successful export
        QCOMPARE(leftovers(folder), QStringList());
        const QString changes = FolderSnapshot::of(folder).changesSince(before);
        QVERIFY2(changes.isEmpty(), qPrintable(changes));
        if (fault == QLatin1String("target is a folder"))
            QCOMPARE(FolderSnapshot::of(earlier).names(), QStringList { QStringLiteral("inside.txt") });
        else
            QCOMPARE(FolderSnapshot::hashOf(earlier), FolderSnapshot::hashOf(s.out.filePath(QStringLiteral("earlier"))));

        // the fault put right, the same window exports as usual
        immutable.reset();
        disk.reset();
        if (fault == QLatin1String("target is a folder"))
            QVERIFY(QDir(earlier).removeRecursively());
        QCOMPARE(s.exportTo(folder + QStringLiteral("/x.xlsx")), kSuccess);
        QVERIFY(!s.progressShown());
        QCOMPARE(titleOf(folder + QStringLiteral("/x.xlsx")), QStringLiteral("维修完成情况一览表"));
    }

    void oddNamesAreWritten_data()
    {
        QTest::addColumn<QString>("name");   // as typed into the save dialog
        QTest::addColumn<QString>("stored"); // the file then written
        QTest::newRow("quotes and marks") << "报表 'x' \"y\"; --%_.xlsx" << "报表 'x' \"y\"; --%_.xlsx";
        QTest::newRow("leading dash") << "-rf" << "-rf.xlsx";
        QTest::newRow("line break") << "a\nb.xls" << "a\nb.xlsx";
        QTest::newRow("two extensions") << "x.tar.gz" << "x.tar.xlsx";
        QTest::newRow("beyond the BMP") << "🔧 Ωμέγα 报表" << "🔧 Ωμέγα 报表.xlsx";
        QTest::newRow("blanks around") << "  x  .xls" << "  x  .xlsx";
        QTest::newRow("dots only") << "..." << "...xlsx";
        QTest::newRow("longest name") << QString(83, QChar(0x957F)) << QString(83, QChar(0x957F)) + ".xlsx";
        QTest::newRow("replaces an earlier file") << "earlier.xlsx" << "earlier.xlsx";
    }

    void oddNamesAreWritten()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        Scene s;
        const QString folder = s.out.path();
        writeFile(s.out.filePath(QStringLiteral("earlier.xlsx")), kEarlier);
        QCOMPARE(s.exportTo(folder + QLatin1Char('/') + name), kSuccess);
        QVERIFY(s.buttonsShown());
        QVERIFY(!s.progressShown());
        QCOMPARE(leftovers(folder), QStringList());
        QCOMPARE(titleOf(s.out.filePath(stored)), QStringLiteral("维修完成情况一览表"));
    }
};

QTEST_MAIN(ExportFaultTest)
#include "ExportFaultTest.moc"
