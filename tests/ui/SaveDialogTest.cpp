// The export's save dialog as a person meets it: the folder it opens in (the documents folder,
// else home, then the folder of the last export of this run), the offered name, and file types
// told by their names only, so that listing a folder never reads the files in it.

#include "DesktopSetup.h"
#include "QtSaveDialog.h"

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace trellum;

namespace {

// Runs `step` on the save dialog once it shows, from inside its own event loop.
void whenShown(const std::function<void(QFileDialog*)>& step)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, step] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->deleteLater();
        step(dialog);
    });
    poll->start(10);
}

// A home folder of its own, with or without its documents folder.
struct Home {
    explicit Home(bool documents)
    {
        qputenv("HOME", dir.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral(".config")).toLocal8Bit());
        if (documents)
            QDir(dir.path()).mkdir(QStringLiteral("Documents"));
        QDir(dir.path()).mkdir(QStringLiteral("报表"));
    }
    QString path(const QString& name = QString()) const
    {
        return QDir::cleanPath(name.isEmpty() ? dir.path() : dir.filePath(name));
    }
    QTemporaryDir dir;
};

} // namespace

class SaveDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsInTheDocumentsThenTheLastFolder_data()
    {
        QTest::addColumn<bool>("documents");
        QTest::addColumn<QString>("first");
        QTest::newRow("documents folder") << true << "Documents";
        QTest::newRow("no documents folder: home") << false << "";
    }

    void startsInTheDocumentsThenTheLastFolder()
    {
        QFETCH(bool, documents);
        QFETCH(QString, first);
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        {
            Home home(documents);
            QtSaveDialog dialog;
            QString shownIn;
            QString offered;
            QString title;
            whenShown([&](QFileDialog* d) {
                shownIn = QDir::cleanPath(d->directory().absolutePath());
                offered = d->selectedFiles().value(0);
                title = d->windowTitle();
                // The person types a path into the name box and presses Enter.
                auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (!name) {
                    d->reject();
                    return;
                }
                name->setText(home.path(QStringLiteral("报表/台账.xlsx")));
                QTest::keyClick(name, Qt::Key_Return);
            });
            const std::optional<QString> chosen = dialog.askSavePath(QStringLiteral("班组核算台账_20240105"),
                                                                     QStringLiteral("电子表|*.xls;*.xlsx"));
            QCOMPARE(shownIn, home.path(first));
            QCOMPARE(QFileInfo(offered).fileName(), QStringLiteral("班组核算台账_20240105"));
            QVERIFY(!title.isEmpty());
            QVERIFY(chosen.has_value());
            QCOMPARE(QDir::cleanPath(*chosen), home.path(QStringLiteral("报表/台账.xlsx")));

            // The next export of this run starts where the last one went; a cancel changes nothing.
            for (int i = 0; i < 2; ++i) {
                whenShown([&](QFileDialog* d) {
                    shownIn = QDir::cleanPath(d->directory().absolutePath());
                    d->reject();
                });
                QVERIFY(!dialog.askSavePath(QStringLiteral("x"), QStringLiteral("电子表|*.xls;*.xlsx")));
                QCOMPARE(shownIn, home.path(QStringLiteral("报表")));
            }
        }
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }

    void asksBeforeReplacingTheFileWritten_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("answer"); // the question's button pressed, "" when none is expected
        QTest::addColumn<QString>("suffix"); // the extension the output is written with
        // The export writes the chosen name as .xlsx (the PDF as .pdf): the question is about that
        // file, whatever extension the name was typed with, and only when it exists.
        QTest::newRow("offered name, file there, keep it") << "台账_20261211" << true << "no" << ".xlsx";
        QTest::newRow("offered name, file there, replace") << "台账_20261211" << true << "yes" << ".xlsx";
        QTest::newRow("typed .xlsx, file there, replace") << "台账_20261211.xlsx" << true << "yes" << ".xlsx";
        QTest::newRow("typed .xls, file there, keep it") << "台账_20261211.xls" << true << "no" << ".xlsx";
        QTest::newRow("no such file: no question") << "台账_20261211" << false << "" << ".xlsx";
        QTest::newRow("PDF, offered name, file there, keep it") << "台账_20261211" << true << "no" << ".pdf";
        QTest::newRow("PDF, typed .xlsx, the .pdf there, replace") << "台账_20261211.xlsx" << true << "yes" << ".pdf";
    }

    void asksBeforeReplacingTheFileWritten()
    {
        QFETCH(QString, typed);
        QFETCH(bool, exists);
        QFETCH(QString, answer);
        QFETCH(QString, suffix);
        DesktopSetup::apply(*qApp); // the framework's Chinese texts, as the program loads them
        QTemporaryDir folder;
        const QString written = folder.filePath(QStringLiteral("台账_20261211") + suffix);
        if (exists) {
            QFile file(written);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("the first region's workbook");
        }

        QtSaveDialog dialog;
        QString question;
        bool stillOpen = false;
        whenShown([&](QFileDialog* d) {
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!name) {
                d->reject();
                return;
            }
            name->setText(folder.filePath(typed));
            // The question comes from inside Enter's handling; it is answered from its own loop.
            auto* poll = new QTimer(d);
            QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box || !box->isVisible())
                    return;
                poll->stop();
                question = box->text();
                box->button(answer == QLatin1String("yes") ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            poll->start(10);
            QTest::keyClick(name, Qt::Key_Return);
            stillOpen = d->isVisible();
            if (stillOpen)
                d->reject();
        });
        const std::optional<QString> chosen =
            dialog.askSavePath(QStringLiteral("台账_20261211"),
                               suffix == QLatin1String(".pdf") ? QStringLiteral("PDF文件|*.pdf")
                                                               : QStringLiteral("电子表|*.xls;*.xlsx"));

        if (answer.isEmpty()) {
            QVERIFY(question.isEmpty());
        } else {
            QCOMPARE(question, QStringLiteral("台账_20261211%1 已存在。\n您想要替换它吗？").arg(suffix));
        }
        const bool replace = answer != QLatin1String("no");
        QCOMPARE(stillOpen, !replace); // a No leaves the dialog open for another name
        QCOMPARE(chosen.has_value(), replace);
        if (chosen)
            QCOMPARE(QFileInfo(*chosen).fileName(), QFileInfo(folder.filePath(typed)).fileName());
        if (exists) {
            QFile file(written);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("the first region's workbook")); // the dialog writes nothing
        }
    }

    void folderListingReadsNoFile()
    {
        // A file without an extension whose content reads as a PDF: told by its content it would
        // be "PDF document". Listing a folder must not open its files (a file such as /proc/kmsg
        // blocks its reader for ever).
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("report"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
        file.close();
        const QFileInfo info(path);
        QCOMPARE(QMimeDatabase().mimeTypeForFile(info).name(), QStringLiteral("application/pdf"));

        QtSaveDialog dialog;
        QString type;
        bool ownDialog = false;
        whenShown([&](QFileDialog* d) {
            ownDialog = d->testOption(QFileDialog::DontUseNativeDialog);
            if (d->iconProvider())
                type = d->iconProvider()->type(info);
            d->reject();
        });
        dialog.askSavePath(QStringLiteral("x"), QStringLiteral("电子表|*.xls;*.xlsx"));
        QVERIFY(ownDialog); // the framework's own dialog, in the framework's language
        QVERIFY(!type.isEmpty());
        QVERIFY2(type != QMimeDatabase().mimeTypeForFile(info).comment(), qPrintable(type));
    }
};

QTEST_MAIN(SaveDialogTest)
#include "SaveDialogTest.moc"
