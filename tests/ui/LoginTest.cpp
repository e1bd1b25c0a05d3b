// The login window: the table of outcomes, the position list and its double-click, the built-in
// account, the keyboard flow, and typed apostrophes that cannot change what is selected.

#include "FixtureDb.h"
#include "LoginArt.h"
#include "LoginWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "ProgramIcon.h"
#include "ReportScene.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace trellum;
using namespace trellum::test;

namespace {

// The login records: 1001 with one position, 1002 with three, 1003 with none, 1004 who has
// left, 1005 with blanks around the stored texts, O'Neil with apostrophes.
void addPeople(FixtureDb& db)
{
    db.addEmployee(QStringLiteral("1001"), QStringLiteral("1234"), QStringLiteral("李娜"));
    db.addPosition(QStringLiteral("1001"), QStringLiteral("P01"), QStringLiteral("水电工"), QStringLiteral("D01"),
                   QStringLiteral("维修部"), true);
    db.addEmployee(QStringLiteral("1002"), QStringLiteral("1234"), QStringLiteral("张伟"));
    db.addPosition(QStringLiteral("1002"), QStringLiteral("P01"), QStringLiteral("水电工"), QStringLiteral("D01"),
                   QStringLiteral("维修部"), true);
    db.addPosition(QStringLiteral("1002"), QStringLiteral("P02"), QStringLiteral("木工"), QStringLiteral("D01"),
                   QStringLiteral("维修部"), false);
    db.addPosition(QStringLiteral("1002"), QStringLiteral("P03"), QStringLiteral("调度员"), QStringLiteral("D02"),
                   QStringLiteral("客服部"), false);
    db.addEmployee(QStringLiteral("1003"), QStringLiteral("1234"), QStringLiteral("王芳"));
    db.addEmployee(QStringLiteral("1004"), QStringLiteral("1234"), QStringLiteral("刘洋"), QStringLiteral("2023-05-01"));
    db.addPosition(QStringLiteral("1004"), QStringLiteral("P01"), QStringLiteral("水电工"), QStringLiteral("D01"),
                   QStringLiteral("维修部"), true);
    db.addEmployee(QStringLiteral("1005"), QStringLiteral("1234"), QStringLiteral(" 赵静 "));
    db.addPosition(QStringLiteral("1005"), QStringLiteral("P05"), QStringLiteral("  保洁 "), QStringLiteral("D05"),
                   QStringLiteral("后勤部"), true);
    db.addEmployee(QStringLiteral("O'Neil"), QStringLiteral("pa'ss"), QStringLiteral("欧尼尔"));
    db.addPosition(QStringLiteral("O'Neil"), QStringLiteral("P01"), QStringLiteral("水电工"), QStringLiteral("D01"),
                   QStringLiteral("维修部"), true);
}

const QString kWrong = QStringLiteral("用户名或密码不正确,请重新输入!");
const QString kNoPosition = QStringLiteral("对不起，您没有岗位，请选择系统管理员");

// One program on a fresh fixture, started interactively.
struct Scene : ProgramScene {
    Scene() { addPeople(db); }
    LoginWindow* login() const { return program.loginWindow(); }
    template <typename T>
    T* control(const char* name) const
    {
        return login()->findChild<T*>(QString::fromUtf8(name));
    }
    void type(const QString& number, const QString& password)
    {
        auto* user = control<QLineEdit>("TxtUser");
        auto* pass = control<QLineEdit>("txtPassword");
        user->clear();
        pass->clear();
        QTest::keyClicks(user, number);
        QTest::keyClicks(pass, password);
    }
    void pressLogin() { QTest::mouseClick(control<QPushButton>("cmdOK"), Qt::LeftButton); }
    bool mainShown() const { return program.mainWindow() && program.mainWindow()->isVisible(); }
};

} // namespace

class LoginTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void outcomes_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");     // "" for none
        QTest::addColumn<QString>("result");      // stay, main, list
        QTest::addColumn<QString>("employeeId");
        QTest::addColumn<QString>("positionName");

        QTest::newRow("empty number") << "" << "1234" << "用户名不能为空!" << "stay" << "" << "";
        QTest::newRow("empty password") << "1001" << "" << "密码不能为空!" << "stay" << "" << "";
        QTest::newRow("wrong password") << "1001" << "9999" << kWrong << "stay" << "" << "";
        QTest::newRow("no such employee") << "7777" << "1234" << kWrong << "stay" << "" << "";
        QTest::newRow("password trimmed") << "1001" << "  1234 " << "" << "main" << "1001" << "水电工";
        QTest::newRow("number untrimmed") << " 1001" << "1234" << kWrong << "stay" << "" << "";
        QTest::newRow("one position") << "1001" << "1234" << "" << "main" << "1001" << "水电工";
        QTest::newRow("fields trimmed") << "1005" << "1234" << "" << "main" << "1005" << "保洁";
        QTest::newRow("several positions") << "1002" << "1234" << "" << "list" << "" << "";
        QTest::newRow("no position") << "1003" << "1234" << kNoPosition << "stay" << "" << "";
        QTest::newRow("has left") << "1004" << "1234" << kNoPosition << "stay" << "" << "";
        QTest::newRow("built-in account") << "opTor" << "kestra" << "" << "main" << "超级用户" << "";
        QTest::newRow("built-in wrong password") << "opTor" << "Kestra" << kWrong << "stay" << "" << "";
        QTest::newRow("built-in other case") << "optor" << "kestra" << kWrong << "stay" << "" << "";
        QTest::newRow("built-in password untrimmed") << "opTor" << " kestra" << kWrong << "stay" << "" << "";
        QTest::newRow("apostrophe in number") << "1001' or '1'='1" << "1234" << kWrong << "stay" << "" << "";
        QTest::newRow("apostrophe in password") << "1001" << "x' or '1'='1" << kWrong << "stay" << "" << "";
        QTest::newRow("comment in number") << "1001'--" << "x" << kWrong << "stay" << "" << "";
        QTest::newRow("apostrophes of its own") << "O'Neil" << "pa'ss" << "" << "main" << "O'Neil" << "水电工";
    }

    void outcomes()
    {
        QFETCH(QString, number);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, result);
        QFETCH(QString, employeeId);
        QFETCH(QString, positionName);
        Scene s;
        QCOMPARE(s.program.start(QString()), StartupPath::Login);
        s.type(number, password);
        s.pressLogin();

        QCOMPARE(s.messenger.texts(), message.isEmpty() ? QStringList() : QStringList { message });
        for (const Message& m : s.messenger.messages) {
            QCOMPARE(m.title, QStringLiteral("Trellum"));
            QCOMPARE(m.icon, m.text == kNoPosition ? MessageIcon::None : MessageIcon::Information);
        }
        QCOMPARE(s.ended, 0);
        QCOMPARE(s.mainShown(), result == QLatin1String("main"));
        QCOMPARE(s.login()->isVisible(), result != QLatin1String("main"));
        QCOMPARE(s.control<QListWidget>("List1")->isVisibleTo(s.login()), result == QLatin1String("list"));
        QCOMPARE(s.control<QLabel>("Label2")->isVisibleTo(s.login()), result == QLatin1String("list"));
        if (result == QLatin1String("main")) {
            QCOMPARE(s.session.state.EmployeeId, employeeId);
            QCOMPARE(s.session.state.PositionName, positionName);
        }
    }

    void onePositionFillsTheSession()
    {
        Scene s;
        s.program.start(QString());
        s.type(QStringLiteral("1005"), QStringLiteral("1234"));
        s.pressLogin();
        const SessionState& st = s.session.state;
        QCOMPARE(st.EmployeeId, QStringLiteral("1005"));
        QCOMPARE(st.EmployeeName, QStringLiteral("赵静"));
        QCOMPARE(st.DepartmentId, QStringLiteral("D05"));
        QCOMPARE(st.DepartmentName, QStringLiteral("后勤部"));
        QCOMPARE(st.PositionId, QStringLiteral("P05"));
        QCOMPARE(st.PositionName, QStringLiteral("保洁"));
        QCOMPARE(st.DepartmentCategoryId, QStringLiteral("BM"));
        QCOMPARE(st.DepartmentCategoryName, QStringLiteral("职能部门"));
        QCOMPARE(st.PositionCategoryId, QStringLiteral("GL"));
        QCOMPARE(st.PositionCategoryName, QStringLiteral("管理岗"));
        // The list was filled and its only entry chosen at once.
        QCOMPARE(s.control<QListWidget>("List1")->count(), 1);
    }

    void severalPositionsAndTheDoubleClick()
    {
        Scene s;
        s.program.start(QString());
        activate(s.login());
        s.type(QStringLiteral("1002"), QStringLiteral("1234"));
        s.pressLogin();
        auto* list = s.control<QListWidget>("List1");
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->item(i)->text();
        QCOMPARE(entries, (QStringList { QStringLiteral("维修部 水电工(主要)"), QStringLiteral("维修部 木工(兼职)"),
                                         QStringLiteral("客服部 调度员(兼职)") }));
        // The list lies over the two buttons.
        QVERIFY(list->geometry().contains(s.control<QPushButton>("cmdOK")->geometry()));
        QVERIFY(list->geometry().contains(s.control<QPushButton>("cmdCancel")->geometry()));

        // Nothing selected: a double-click does nothing.
        QVERIFY(list->selectedItems().isEmpty());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 3));
        QVERIFY(!s.mainShown());
        QCOMPARE(s.session.state.PositionName, QString());

        const QRect second = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QVERIFY(s.mainShown());
        QVERIFY(!s.login()->isVisible());
        QCOMPARE(s.session.state.PositionName, QStringLiteral("木工"));
        QCOMPARE(s.session.state.PositionId, QStringLiteral("P02"));
        QCOMPARE(s.session.state.EmployeeName, QStringLiteral("张伟"));
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void enterChoosesThePosition_data()
    {
        QTest::addColumn<int>("downs");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("position");
        // From no selection the first Down selects the first entry.
        QTest::newRow("first, Return") << 1 << int(Qt::Key_Return) << "水电工";
        QTest::newRow("second, Return") << 2 << int(Qt::Key_Return) << "木工";
        QTest::newRow("third, keypad Enter") << 3 << int(Qt::Key_Enter) << "调度员";
        QTest::newRow("nothing selected") << 0 << int(Qt::Key_Return) << "";
    }

    void enterChoosesThePosition()
    {
        QFETCH(int, downs);
        QFETCH(int, key);
        QFETCH(QString, position);
        Scene s;
        s.program.start(QString());
        activate(s.login());
        s.type(QStringLiteral("1002"), QStringLiteral("1234"));
        s.pressLogin();
        auto* list = s.control<QListWidget>("List1");
        QVERIFY(list->isVisible());
        QVERIFY(list->hasFocus());
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key(key));
        QCOMPARE(s.mainShown(), !position.isEmpty());
        QCOMPARE(s.session.state.PositionName, position);
        QCOMPARE(s.login()->isVisible(), position.isEmpty());
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void editingTheNumberReturnsToTheFirstStep()
    {
        Scene s;
        s.program.start(QString());
        activate(s.login());
        s.type(QStringLiteral("1002"), QStringLiteral("1234"));
        s.pressLogin();
        auto* list = s.control<QListWidget>("List1");
        QVERIFY(list->isVisible());
        QTest::mouseClick(s.control<QLineEdit>("TxtUser"), Qt::LeftButton);
        QVERIFY(!list->isVisible());
        QVERIFY(!s.control<QLabel>("Label2")->isVisible());
        // A new attempt rebuilds the list.
        s.pressLogin();
        QCOMPARE(list->count(), 3);
        QVERIFY(list->isVisible());
    }

    void builtInAccountAfterAFailedHandOff()
    {
        Scene s;
        s.settings.setSvr(QStringLiteral("sqlite:") + s.folder.filePath(QStringLiteral("missing.db")));
        const QString line = QStringLiteral("1001,李娜,D01,维修部,P01,水电工,BM,职能部门,GL,管理岗");
        QCOMPARE(s.program.start(line), StartupPath::Login);
        QCOMPARE(s.session.state.EmployeeName, QStringLiteral("李娜"));
        s.settings.setSvr(s.db.svr());
        s.messenger.messages.clear();
        s.type(QStringLiteral("opTor"), QStringLiteral("kestra"));
        s.pressLogin();
        QVERIFY(s.mainShown());
        SessionState expected;
        expected.EmployeeId = QStringLiteral("超级用户");
        QCOMPARE(s.session.state, expected);
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void failedConnectionEndsTheProgram()
    {
        Scene s;
        s.program.start(QString());
        s.settings.setSvr(QStringLiteral("sqlite:") + s.folder.filePath(QStringLiteral("missing.db")));
        s.type(QStringLiteral("opTor"), QStringLiteral("kestra"));
        s.pressLogin();
        QCOMPARE(s.ended, 1);
        QCOMPARE(s.messenger.messages.size(), 2);
        QCOMPARE(s.messenger.messages[0].title, QStringLiteral("信息文本"));
        QVERIFY(s.messenger.messages[0].text.startsWith(QStringLiteral("错误信息：")));
        QCOMPARE(s.messenger.messages[1].title, QStringLiteral("连接提示"));
        QCOMPARE(s.messenger.messages[1].text, QStringLiteral("数据库连接失败!"));
        QVERIFY(!s.mainShown());
    }

    void unexpectedErrorKeepsTheWindow()
    {
        Scene s;
        s.db.exec(QStringLiteral("DROP TABLE 岗位信息new"));
        s.program.start(QString());
        s.type(QStringLiteral("1001"), QStringLiteral("1234"));
        s.pressLogin();
        QCOMPARE(s.messenger.messages.size(), 1);
        const Message& m = s.messenger.messages.front();
        QCOMPARE(m.title, QStringLiteral("Trellum"));
        QVERIFY2(QRegularExpression(QStringLiteral("^-?\\d+ .+")).match(m.text).hasMatch(), qPrintable(m.text));
        QCOMPARE(s.ended, 0);
        QVERIFY(s.login()->isVisible());
        QVERIFY(!s.mainShown());
    }

    void cancelEndsTheProgram()
    {
        Scene s;
        s.program.start(QString());
        QTest::mouseClick(s.control<QPushButton>("cmdCancel"), Qt::LeftButton);
        QCOMPARE(s.ended, 1);
        QVERIFY(s.messenger.messages.isEmpty());
    }

    void emptyBoxTakesTheFocus_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no number") << "" << "1234" << "TxtUser";
        QTest::newRow("nothing at all") << "" << "" << "TxtUser";
        QTest::newRow("no password") << "1001" << "" << "txtPassword";
    }

    void emptyBoxTakesTheFocus()
    {
        QFETCH(QString, number);
        QFETCH(QString, password);
        QFETCH(QString, focus);
        Scene s;
        s.program.start(QString());
        activate(s.login());
        s.type(number, password);
        auto* ok = s.control<QPushButton>("cmdOK");
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Return);
        QCOMPARE(s.messenger.messages.size(), 1);
        QCOMPARE(QApplication::focusWidget(), s.control<QWidget>(focus.toUtf8().constData()));
    }

    void fixedWindowWithTheListOnItsCard()
    {
        Scene s;
        s.program.start(QString());
        LoginWindow* w = s.login();
        activate(w);
        // A fixed size: no maximise button.
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(w->minimumSize(), w->maximumSize());
        // The position list lies on the white card drawn behind the boxes, clear of the version.
        s.type(QStringLiteral("1002"), QStringLiteral("1234"));
        s.pressLogin();
        auto* list = s.control<QListWidget>("List1");
        QVERIFY(list->isVisible());
        const QRect card = LoginArt::card(s.control<QWidget>("TxtUser")->geometry(),
                                          s.control<QWidget>("txtPassword")->geometry(), list->geometry());
        QVERIFY(card.contains(list->geometry()));
        QVERIFY(!card.intersects(s.control<QWidget>("Label1")->geometry()));
        QVERIFY(QRect(QPoint(0, 0), w->size()).contains(card));
        const QImage painted = w->grab().toImage();
        const QColor below = painted.pixelColor(list->geometry().left() + 4, list->geometry().bottom() + 6);
        QVERIFY2(below.lightness() > 230, qPrintable(below.name())); // the card, not the sky
    }

    void windowAndKeyboard()
    {
        Scene s;
        s.program.start(QString());
        LoginWindow* w = s.login();
        activate(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Quorvel系统"));
        QCOMPARE(w->windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32),
                 ProgramIcon::picture(32).convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(s.control<QLabel>("Label1")->text(), QStringLiteral("V1.0版"));
        QCOMPARE(s.control<QLabel>("Label2")->text(), QStringLiteral("请您选择要登录的岗位"));
        auto* user = s.control<QLineEdit>("TxtUser");
        auto* pass = s.control<QLineEdit>("txtPassword");
        auto* ok = s.control<QPushButton>("cmdOK");
        auto* cancel = s.control<QPushButton>("cmdCancel");
        QCOMPARE(pass->echoMode(), QLineEdit::Password);
        QVERIFY(user->hasFocus());

        // Tab order: number, password, login, end.
        QCOMPARE(user->nextInFocusChain(), pass);
        QCOMPARE(pass->nextInFocusChain(), ok);
        QCOMPARE(ok->nextInFocusChain(), cancel);

        // Enter moves on like Tab and is swallowed; the box reached has its text selected.
        QTest::keyClicks(user, QStringLiteral("1001"));
        QTest::keyClicks(pass, QStringLiteral("1234"));
        QTest::keyClick(pass, Qt::Key_Home);
        user->setFocus();
        QTest::keyClick(user, Qt::Key_Return);
        QVERIFY(pass->hasFocus());
        QCOMPARE(pass->selectedText(), QStringLiteral("1234"));
        QCOMPARE(user->text(), QStringLiteral("1001"));
        QTest::keyClick(pass, Qt::Key_Enter);
        QVERIFY(ok->hasFocus());
        QTest::keyClick(ok, Qt::Key_Tab);
        QVERIFY(cancel->hasFocus());
        QTest::keyClick(cancel, Qt::Key_Backtab);
        QVERIFY(ok->hasFocus());

        // A click into a box selects its whole text too.
        QTest::mouseClick(user, Qt::LeftButton, {}, QPoint(3, user->height() / 2));
        QCoreApplication::processEvents();
        QCOMPARE(user->selectedText(), QStringLiteral("1001"));

        // Enter on the focused login button logs in.
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Return);
        QVERIFY(s.mainShown());
    }

    void statementsQuoteTheTypedText()
    {
        QCOMPARE(employeeCheckStatement(QStringLiteral(" 1001"), QStringLiteral("  12 34  ")),
                 QStringLiteral("Select * From 员工档案 Where 工号 =' 1001' and 帐号密码='12 34'"));
        QCOMPARE(employeeCheckStatement(QStringLiteral("a'b"), QStringLiteral("c'")),
                 QStringLiteral("Select * From 员工档案 Where 工号 ='a''b' and 帐号密码='c'''"));
        QVERIFY(positionsStatement(QStringLiteral("x'y")).endsWith(
            QStringLiteral(" Where 岗位员工new.员工代号='x''y' and 员工档案.离职日期 is null AND (岗位员工new.离岗日期 IS NULL)")));
        QVERIFY(positionsStatement(QStringLiteral("1")).startsWith(
            QStringLiteral("Select 员工档案.姓名,职能部门类别.部门类别代号,职能部门类别.部门类别名称,岗位类别.岗位类别编号,岗位类别名称,"
                           " 职能部门new.职能部门编号 , 职能部门new.职能部门名称, 岗位信息new.岗位代号, 岗位信息new.岗位名称,"
                           " 岗位员工new.主要岗位 From 岗位员工new Inner joIn 岗位信息new on")));
        QCOMPARE(trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
        QCOMPARE(trimBlanks(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
    }
};

QTEST_MAIN(LoginTest)
#include "LoginTest.moc"
