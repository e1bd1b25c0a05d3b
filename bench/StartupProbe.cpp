#include "StartupProbe.h"

#include "CategoryBox.h"
#include "FilterPanel.h"
#include "LoginWindow.h"
#include "MainWindow.h"
#include "PeakMemory.h"
#include "ReportWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QEvent>
#include <QJsonDocument>
#include <QLineEdit>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace trellum::bench {

namespace {

double megabytes(long long bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

} // namespace

MessageAnswer StartupProbe::Quiet::show(const Message& message)
{
    texts << message.text;
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(message.title), qUtf8Printable(message.text));
    return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

StartupProbe::StartupProbe(const Options& options)
    : m_options(options)
{
}

StartupProbe::~StartupProbe() = default;

double StartupProbe::sinceOrigin() const
{
    const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    return double(now - m_options.originNs) / 1e9;
}

void StartupProbe::start()
{
    m_program = std::make_unique<Program>(m_session, m_quiet, m_quiet, [] {}, m_options.programFolder);
    m_program->start(QString());
    afterFirstPaint(m_program->loginWindow(), &StartupProbe::loginShown);
}

void StartupProbe::afterFirstPaint(QWidget* widget, void (StartupProbe::*next)())
{
    if (!widget) {
        finish(QStringLiteral("the window to wait for is not there"));
        return;
    }
    m_watched = widget;
    m_next = next;
    widget->installEventFilter(this);
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && event->type() == QEvent::Paint) {
        m_watched->removeEventFilter(this);
        m_watched = nullptr;
        // the paint this event starts ends before the event loop takes the queued call
        QTimer::singleShot(0, this, [this] { (this->*m_next)(); });
    }
    return QObject::eventFilter(watched, event);
}

void StartupProbe::loginShown()
{
    m_result.insert(QStringLiteral("login_shown_s"), sinceOrigin());
    m_result.insert(QStringLiteral("login_peak_mb"), megabytes(PeakMemory::peakBytes()));
    LoginWindow* login = m_program->loginWindow();
    login->findChild<QLineEdit*>(QStringLiteral("TxtUser"))->setText(m_options.user);
    login->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(m_options.password);
    login->cmdOK_Click();
    if (!m_program->mainWindow()) {
        finish(QStringLiteral("the login did not lead to the main window: ") + m_quiet.texts.join(QLatin1Char(' ')));
        return;
    }
    afterFirstPaint(m_program->mainWindow(), &StartupProbe::mainShown);
}

void StartupProbe::mainShown()
{
    m_result.insert(QStringLiteral("main_shown_s"), sinceOrigin());
    ReportWindow* window = m_program->mainWindow()->openReport(m_options.kind);
    m_result.insert(QStringLiteral("report_opened_s"), sinceOrigin());
    afterFirstPaint(window ? window->parentWidget() : nullptr, &StartupProbe::reportShown);
}

void StartupProbe::reportShown()
{
    m_result.insert(QStringLiteral("report_shown_s"), sinceOrigin());
    m_result.insert(QStringLiteral("report_shown_peak_mb"), megabytes(PeakMemory::peakBytes()));
    if (m_options.runReport) {
        const QDate last = m_options.lastDay;
        runPeriod(QStringLiteral("month"), QDate(last.year(), last.month(), 1), last);
        runPeriod(QStringLiteral("year"), last.addYears(-1).addDays(1), last);
    }
    finish();
}

void StartupProbe::runPeriod(const QString& name, const QDate& start, const QDate& end)
{
    ReportWindow* window = m_program->mainWindow()->reportWindow(m_options.kind);
    if (!window)
        return;
    FilterPanel* panel = window->filterPanel();
    panel->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(start);
    panel->findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->setDate(end);
    auto* regions = panel->findChild<QComboBox*>(QStringLiteral("Combo1"));
    for (int i = 0; i < regions->count(); ++i)
        if (regions->itemText(i).section(QLatin1Char(' '), 0, 0) == m_options.region)
            regions->setCurrentIndex(i);
    panel->fillTree();
    panel->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
    panel->SelectAllNodes();
    panel->categoryBox()->selectAll()->setChecked(true);
    panel->categoryBox()->SelectAllCategories();
    const auto t = std::chrono::steady_clock::now();
    window->pressRun();
    QCoreApplication::processEvents(); // the grid view draws the new rows
    m_result.insert(name + QStringLiteral("_run_s"),
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
    m_result.insert(name + QStringLiteral("_grid_rows"), window->grid().rows());
    m_result.insert(name + QStringLiteral("_peak_mb"), megabytes(PeakMemory::peakBytes()));
}

void StartupProbe::finish(const QString& error)
{
    if (!error.isEmpty())
        m_result.insert(QStringLiteral("error"), error);
    m_result.insert(QStringLiteral("messages"), m_quiet.texts.join(QStringLiteral(" | ")));
    const QByteArray line = QJsonDocument(m_result).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fflush(stdout);
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
}

} // namespace trellum::bench
