// What the desktop program sets on the application before its first window: the framework's own
// texts in Chinese whatever the system's locale (the suite runs under the C locale), and the
// program's icon for the application.

#include "DesktopSetup.h"
#include "ProgramIcon.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

using namespace trellum;

namespace {

bool hasHan(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

} // namespace

class DesktopSetupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QLocale::system().language() != QLocale::Chinese);
        QVERIFY(DesktopSetup::apply(*qApp));
    }

    void messageBoxButtons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("english");
        QTest::newRow("OK") << int(QMessageBox::Ok) << "OK";
        QTest::newRow("Yes") << int(QMessageBox::Yes) << "&Yes";
        QTest::newRow("No") << int(QMessageBox::No) << "&No";
    }

    void messageBoxButtons()
    {
        QFETCH(int, button);
        QFETCH(QString, english);
        QMessageBox box;
        box.setStandardButtons(QMessageBox::StandardButton(button));
        const QString shown = box.button(QMessageBox::StandardButton(button))->text();
        QVERIFY2(shown != english, qPrintable(shown));
        QVERIFY2(hasHan(shown), qPrintable(shown));
    }

    void saveDialogAndItsQuestion()
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const QString save = dialog.labelText(QFileDialog::Accept);
        QVERIFY2(hasHan(save), qPrintable(save));
        const QString cancel = dialog.labelText(QFileDialog::Reject);
        QVERIFY2(hasHan(cancel), qPrintable(cancel));
        QVERIFY(hasHan(dialog.labelText(QFileDialog::FileName)));
        // The question before an existing file is replaced.
        const char* question = "%1 already exists.\nDo you want to replace it?";
        QVERIFY(hasHan(QCoreApplication::translate("QFileDialog", question)));
    }

    void calendarOfTheDatePickers()
    {
        QDateEdit picker;
        picker.setCalendarPopup(true);
        picker.setDate(QDate(2026, 12, 11));
        QCalendarWidget* calendar = picker.calendarWidget();
        QCOMPARE(calendar->locale().language(), QLocale::Chinese);
        auto* days = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
        QVERIFY(days);
        for (int column = 0; column < days->model()->columnCount(); ++column) {
            const QString day = days->model()->index(0, column).data().toString();
            QVERIFY2(hasHan(day), qPrintable(day));
        }
        auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
        QVERIFY(month);
        QVERIFY2(hasHan(month->text()), qPrintable(month->text()));
    }

    void programIcon()
    {
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        for (int side : { 16, 32, 48 })
            QCOMPARE(icon.pixmap(side).toImage().convertToFormat(QImage::Format_ARGB32),
                     ProgramIcon::picture(side).convertToFormat(QImage::Format_ARGB32));
    }
};

QTEST_MAIN(DesktopSetupTest)
#include "DesktopSetupTest.moc"
