// The program's message boxes as a person meets them: the whole title shown in the window
// manager's title bar, however short the text, and the buttons answering a click.

#include "QtMessenger.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace trellum;

namespace {

// Runs `step` on the message box once it shows, from inside its own event loop.
void whenShown(const std::function<void(QMessageBox*)>& step)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, step] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->deleteLater();
        step(box);
    });
    poll->start(10);
}

// What a title bar needs for `title`: the title in bold at the program's size, and room for the
// window's icon and three title buttons (minimise, maximise, close) at 24 pixels each.
int titleBarNeeds(const QString& title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + 4 * 24;
}

} // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("question");
        QTest::newRow("report window") << "系统提示" << "请选择区域!" << false;
        QTest::newRow("login") << "Trellum" << "密码不能为空!" << false;
        QTest::newRow("opening the database") << "信息文本" << "错误信息：x" << false;
        QTest::newRow("connection") << "连接提示" << "数据库连接失败!" << false;
        QTest::newRow("closing question") << "Trellum" << "确认要退出系统吗？" << true;
        QTest::newRow("a long title") << "维修完成情况一览表导出提示信息" << "好" << false;
        QTest::newRow("a long text") << "系统提示"
                                     << "错误码: -2147467259 错误描述: 无法写入文件 /home/user/报表/维修完成情况一览表_"
                                        "20240301_20240331.xlsx：权限不够"
                                     << false;
    }

    void wholeTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(bool, question);
        QtMessenger messenger;
        int width = 0;
        QString shownTitle;
        QString shownText;
        whenShown([&](QMessageBox* box) {
            width = box->width();
            shownTitle = box->windowTitle();
            shownText = box->text();
            // A click on the box's first button, where the button shows.
            QAbstractButton* button = box->buttons().value(0);
            if (question)
                button = box->button(QMessageBox::Yes);
            if (!button) {
                box->reject();
                return;
            }
            QTest::mouseClick(button, Qt::LeftButton);
        });
        const MessageAnswer answer = messenger.show(
            Message { title, text, MessageIcon::Information, question ? MessageButtons::YesNo : MessageButtons::Ok });
        QCOMPARE(answer, question ? MessageAnswer::Yes : MessageAnswer::Ok);
        QCOMPARE(shownTitle, title);
        QCOMPARE(shownText, text);
        QVERIFY2(width >= titleBarNeeds(title), qPrintable(QStringLiteral("%1 < %2").arg(width).arg(titleBarNeeds(title))));
    }

    void dataShownAsPlainText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cut");
        QTest::newRow("markup") << "错误描述: <h1>大</h1><img src=\"/etc/passwd\"><a href=\"x\">链接</a>" << false;
        QTest::newRow("a 100 KB name") << QStringLiteral("部门").repeated(50000) << true;
        QTest::newRow("a long path") << "无法写入文件 /home/" + QStringLiteral("很长的文件夹/").repeated(40) + "a.xlsx" << true;
    }

    void dataShownAsPlainText()
    {
        QFETCH(QString, text);
        QFETCH(bool, cut);
        QtMessenger messenger;
        QString shown;
        QString details;
        Qt::TextFormat format = Qt::AutoText;
        int width = 0;
        whenShown([&](QMessageBox* box) {
            format = box->textFormat();
            shown = box->text();
            details = box->detailedText();
            width = box->width();
            box->buttons().value(0)->click();
        });
        messenger.show(Message { QStringLiteral("系统提示"), text, MessageIcon::Information, MessageButtons::Ok });
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown == text, !cut);
        QCOMPARE(details, cut ? text : QString()); // the whole text is there to read
        QVERIFY2(width <= QApplication::primaryScreen()->availableGeometry().width(), qPrintable(QString::number(width)));
    }
};

QTEST_MAIN(MessageBoxTest)
#include "MessageBoxTest.moc"
