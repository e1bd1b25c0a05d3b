// The report window's paper buttons: 打印… and 导出PDF beside 导出Excel, refused before a run,
// the PDF saved under the offered name with ".pdf", the print preview showing the pages.

#include "CategoryBox.h"
#include "FilterPanel.h"
#include "ReportScene.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// A save dialog that answers with a path and keeps what it was offered.
class OfferedSaveDialog final : public SaveDialog {
public:
    std::optional<QString> askSavePath(const QString& defaultName, const QString& filter) override
    {
        offeredName = defaultName;
        offeredFilter = filter;
        ++asked;
        return answer;
    }
    QString answer;
    QString offeredName;
    QString offeredFilter;
    int asked = 0;
};

struct Scene : ReportScene<OfferedSaveDialog> {
    Scene()
    {
        addFilterData(db);
        FixtureDb::Order o;
        o.office = QStringLiteral("0101");
        o.region = QStringLiteral("01");
        o.reported = QStringLiteral("2024-03-01 09:00:00");
        o.closed = QStringLiteral("2024-03-02 10:00:00");
        db.addOrder(o);
        open(ReportKind::Completion);
        window->show();
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    void run()
    {
        control<QDateEdit>("DTPicker1")->setDate(QDate(2024, 3, 1));
        control<QDateEdit>("DTPicker2")->setDate(QDate(2024, 3, 31));
        tickFirstOfEach();
        QVERIFY(runToEnd());
        messenger.messages.clear();
    }
};

} // namespace

class PrintButtonsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The two buttons stand in the button row after 导出Excel, as large as it and in line with it.
    void buttonsInTheRow()
    {
        Scene s;
        QCOMPARE(s.button("Command3")->text(), QStringLiteral("打印…"));
        QCOMPARE(s.button("Command4")->text(), QStringLiteral("导出PDF"));
        const QWidget* bar = s.window->findChild<QWidget*>(QStringLiteral("Picture3"));
        QRect previous;
        for (const char* name : { "Command5", "Command2", "Command3", "Command4", "Command1" }) {
            const QPushButton* b = s.button(name);
            QCOMPARE(b->parentWidget(), bar);
            QCOMPARE(b->size(), s.button("Command2")->size());
            QCOMPARE(b->y(), s.button("Command2")->y());
            QVERIFY2(previous.isNull() || previous.right() < b->x(), name);
            QVERIFY2(bar->rect().contains(b->geometry()), name);
            previous = b->geometry();
        }
    }

    // Before a run both answer "请先统计！" and neither asks for a file nor opens a preview.
    void refusedBeforeARun_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("print") << QStringLiteral("Command3");
        QTest::newRow("PDF") << QStringLiteral("Command4");
    }
    void refusedBeforeARun()
    {
        QFETCH(QString, button);
        Scene s;
        QTest::mouseClick(s.button(qPrintable(button)), Qt::LeftButton);
        QCOMPARE(s.messenger.texts(), QStringList { QStringLiteral("请先统计！") });
        QCOMPARE(s.dialog.asked, 0);
    }

    // After a run the PDF is offered under the workbook's name with ".pdf" and written there.
    void pdfAfterARun()
    {
        Scene s;
        s.run();
        QTemporaryDir folder;
        s.dialog.answer = folder.filePath(QStringLiteral("月报.xlsx"));
        QTest::mouseClick(s.button("Command4"), Qt::LeftButton);
        QCOMPARE(s.dialog.offeredName, QStringLiteral("维修完成情况一览表_20240301_20240331.pdf"));
        QCOMPARE(s.dialog.offeredFilter, QStringLiteral("PDF文件|*.pdf"));
        QCOMPARE(s.messenger.texts(), QStringList { QStringLiteral("维修完成情况一览表导出成功!") });
        QFile pdf(folder.filePath(QStringLiteral("月报.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("月报.xlsx"))));
        for (const char* b : { "Command1", "Command2", "Command3", "Command4", "Command5" })
            QVERIFY2(s.button(b)->isVisible(), b);
    }

    // After a run 打印… opens the preview with the printer choice, showing the form's pages.
    void printPreviewAfterARun()
    {
        Scene s;
        s.run();
        int pages = -1;
        bool landscape = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* preview = qobject_cast<QPrintPreviewDialog*>(w)) {
                    auto* view = preview->findChild<QPrintPreviewWidget*>();
                    pages = view ? view->pageCount() : -1;
                    landscape = view && view->orientation() == QPageLayout::Landscape;
                    preview->reject();
                }
        });
        QTest::mouseClick(s.button("Command3"), Qt::LeftButton);
        QCOMPARE(pages, 1);
        QVERIFY(landscape);
        QVERIFY(s.messenger.messages.isEmpty());
    }
};

QTEST_MAIN(PrintButtonsTest)
#include "PrintButtonsTest.moc"
