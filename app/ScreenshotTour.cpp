// trellum-screenshots --db FILE --out DIR [--user N --password P] [--from D --to D]
// [--screen-tag TAG]: opens the program's windows on a database, goes through a login with a
// position list, opens each report window from the menu, runs it over the region's offices or
// workers and every category from --from to --to (by default the demo database's November 2026),
// and saves a picture of each step: login.png, positions.png, main.png and one PNG per report
// (completion, ledger, performance, monthend). Messages are written to standard error and
// answered with OK. With --screen-tag the windows keep the size and place the program gives them
// on the screen it runs on, and only main-TAG.png and the reports' NAME-TAG.png are saved.

#include "AppSession.h"
#include "CategoryBox.h"
#include "DesktopSetup.h"
#include "FilterPanel.h"
#include "LoginWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "ReportWindow.h"
#include "UiLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace trellum;

class TourMessenger final : public Messenger {
public:
    MessageAnswer show(const Message& message) override
    {
        std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(message.title), qUtf8Printable(message.text));
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
};

class NoSaveDialog final : public SaveDialog {
public:
    std::optional<QString> askSavePath(const QString&, const QString&) override { return std::nullopt; }
};

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

bool save(QWidget* widget, const QDir& out, const QString& name)
{
    settle();
    const QString path = out.filePath(name + QStringLiteral(".png"));
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "trellum-screenshots: cannot write %s\n", qUtf8Printable(path));
        return false;
    }
    std::printf("%s\n", qUtf8Printable(path));
    return true;
}

void prepareAndRun(ReportWindow* window, const std::pair<QDate, QDate>& period)
{
    FilterPanel* panel = window->filterPanel();
    panel->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(period.first);
    panel->findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->setDate(period.second);
    auto* regions = panel->findChild<QComboBox*>(QStringLiteral("Combo1"));
    if (regions->count() > 0) {
        regions->setCurrentIndex(0);
        panel->fillTree();
    }
    panel->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
    panel->SelectAllNodes();
    panel->categoryBox()->selectAll()->setChecked(true);
    panel->categoryBox()->SelectAllCategories();
    window->pressRun();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(UiLook::yahei(9));
    DesktopSetup::apply(app);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({ QStringLiteral("db"), QStringLiteral("the database file"), QStringLiteral("FILE") });
    parser.addOption({ QStringLiteral("out"), QStringLiteral("the folder for the pictures"), QStringLiteral("DIR") });
    parser.addOption({ QStringLiteral("user"), QStringLiteral("employee number with several positions"),
                       QStringLiteral("N"), QStringLiteral("1002") });
    parser.addOption({ QStringLiteral("password"), QStringLiteral("the password"), QStringLiteral("P"),
                       QStringLiteral("1234") });
    // the demo database's last month, as the headless demo runs it
    parser.addOption({ QStringLiteral("from"), QStringLiteral("the first day of the report runs"), QStringLiteral("YYYY-MM-DD"),
                       QStringLiteral("2026-11-01") });
    parser.addOption({ QStringLiteral("to"), QStringLiteral("the last day of the report runs"), QStringLiteral("YYYY-MM-DD"),
                       QStringLiteral("2026-11-30") });
    parser.addOption({ QStringLiteral("screen-tag"),
                       QStringLiteral("pictures of the windows as the program sizes them, named NAME-TAG.png"),
                       QStringLiteral("TAG") });
    parser.process(app);
    const QString tag = parser.value(QStringLiteral("screen-tag"));
    const auto name = [&tag](const QString& base) { return tag.isEmpty() ? base : base + QLatin1Char('-') + tag; };
    if (!parser.isSet(QStringLiteral("db")) || !parser.isSet(QStringLiteral("out"))) {
        std::fprintf(stderr, "usage: trellum-screenshots --db FILE --out DIR\n");
        return 2;
    }
    const QDir out(parser.value(QStringLiteral("out")));
    QDir().mkpath(out.path());

    QTemporaryDir settingsDir;
    const QString settingsPath = settingsDir.filePath(QStringLiteral("Quorvel2011.conf"));
    {
        QSettings settings(settingsPath, QSettings::IniFormat);
        settings.setValue(QStringLiteral("DBConfig/Svr"),
                          QStringLiteral("sqlite:") + QFileInfo(parser.value(QStringLiteral("db"))).absoluteFilePath());
    }

    AppSession session;
    session.settingsPath = settingsPath;
    TourMessenger messenger;
    NoSaveDialog dialog;
    Program program(session, messenger, dialog, [] {}, QCoreApplication::applicationDirPath());
    program.start(QString());
    LoginWindow* login = program.loginWindow();
    login->findChild<QLineEdit*>(QStringLiteral("TxtUser"))->setText(parser.value(QStringLiteral("user")));
    login->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(parser.value(QStringLiteral("password")));
    bool ok = tag.isEmpty() ? save(login, out, QStringLiteral("login")) : true;
    login->cmdOK_Click();
    if (!program.mainWindow()) {
        if (tag.isEmpty())
            ok = save(login, out, QStringLiteral("positions")) && ok;
        auto* list = login->findChild<QListWidget*>(QStringLiteral("List1"));
        list->setCurrentRow(0);
        login->List1_DblClick();
    }
    MainWindow* main = program.mainWindow();
    if (!main) {
        std::fprintf(stderr, "trellum-screenshots: the login did not reach the main window\n");
        return 1;
    }
    if (tag.isEmpty())
        main->resize(1280, 860);
    ok = save(main, out, name(QStringLiteral("main"))) && ok;

    const std::pair<QDate, QDate> period { QDate::fromString(parser.value(QStringLiteral("from")), Qt::ISODate),
                                           QDate::fromString(parser.value(QStringLiteral("to")), Qt::ISODate) };
    if (!period.first.isValid() || !period.second.isValid()) {
        std::fprintf(stderr, "trellum-screenshots: --from and --to take days as YYYY-MM-DD\n");
        return 2;
    }
    for (ReportKind kind : { ReportKind::Completion, ReportKind::Ledger, ReportKind::Performance, ReportKind::MonthEnd }) {
        ReportWindow* window = main->openReport(kind);
        auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        if (frame && tag.isEmpty())
            frame->showMaximized();
        settle();
        prepareAndRun(window, period);
        ok = save(main, out, name(reportName(kind))) && ok;
        if (frame && !tag.isEmpty())
            frame->close(); // each window as it opens, not over the one before
    }
    return ok ? 0 : 1;
}
